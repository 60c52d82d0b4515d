// The binary's command line and output naming.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "driver.h"
#include "e2e.h"

TEST(CommandLine, NoControlFilePrintsUsageAndCreatesNothing) {
  const std::string usage = "Usage: cmd7420 controlfile\n Version: revWorking, Feb 14 2005\n";
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, std::vector<std::string>{"--check", "--summary", "--"}}) {
    ScratchDir dir;
    RunResult r = run_cmd7420(dir, args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, usage);
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(dir.exists("cmd7420TmpCmdFile"));
  }
}

TEST(OutputNaming, CutsAtTheFirstDotOfTheFileNamePart) {
  EXPECT_EQ(output_path("filt.txt", "anl"), "filt.anl");
  EXPECT_EQ(output_path("filt", "anl"), "filt.anl");
  EXPECT_EQ(output_path("run.rev.txt", "kx330"), "run.kx330");
  EXPECT_EQ(output_path("cfg/rx.txt", "anl"), "cfg/rx.anl");
  EXPECT_EQ(output_path("./cfg/rx.txt", "h"), "./cfg/rx.h");
  EXPECT_EQ(output_path("../rx.txt", "tbl"), "../rx.tbl");
  EXPECT_EQ(output_path("my.dir/rx", "sim"), "my.dir/rx.sim");
}

namespace {

// Every channel powered down with its port widths given, so the run needs
// nothing computed from rates.
const std::string kPoweredDown =
    "mode ab receive\nmode cd receive\npwr_dwn_cic_AB 1\npwr_dwn_cic_CD 1\n"
    "channel 0\npins 16\nbits 16\nchannel 1\npins 16\nbits 16\n"
    "channel 2\npins 16\nbits 16\nchannel 3\npins 16\nbits 16\n";

bool starts_with(const std::string& text, const std::string& head) {
  return text.compare(0, head.size(), head) == 0;
}

}  // namespace

TEST(OutputFiles, ComputationErrorsStillWriteEveryOutputUnderTheCutName) {
  ScratchDir dir;
  // An unknown sync mode is reported once per channel by the configuration
  // pass; the run goes on to write every requested output.
  dir.write("run.rev.txt", "print table\nprint kx330\nprint hfile\nprint sim\n" + kPoweredDown +
                               "sync_mode 10\n");
  RunResult r = run_cmd7420(dir, {"run.rev.txt"});
  EXPECT_EQ(r.status, 1);
  const std::string error = "Error(config L361): sync_mode unknown! Must be from 0 - 9.\n";
  const std::string errors = error + error + error + error;
  // The reports made while the files were open stand ahead of the contents.
  EXPECT_TRUE(starts_with(dir.read("run.tbl"), errors + "ck_loss_status       -1\n"));
  EXPECT_TRUE(starts_with(dir.read("run.kx330"), errors + "dwr16 0 fff0\ndwr16 2 80\n"));
  EXPECT_TRUE(starts_with(dir.read("run.sim"), errors + "Wglb 0 0xfff0\n"));
  // The header never carries reports; it opens with the cut name.
  EXPECT_TRUE(starts_with(dir.read("run.h"),
                          "/* hfile for run configuration; necessary for config_tq7420 "
                          "function */\n\nstruct {\n    short page;\n"));
  for (const char* absent : {"run.anl", "run.dbg", "run.rev.tbl"})
    EXPECT_FALSE(dir.exists(absent)) << absent;
}

TEST(OutputFiles, HeaderOpensWithTheCutNameOfADirectoryPath) {
  ScratchDir dir;
  ASSERT_EQ(std::system(("mkdir " + dir.file("cfg.d")).c_str()), 0);
  const std::string control = dir.file("cfg.d/rx.v2.txt");
  init();
  ASSERT_NE(myopen(control, "h", kOutH), nullptr);
  // Other extensions get no first line.
  myopen(control, "tbl", kOutTbl);
  close_outputs();
  const std::string cut = dir.file("cfg.d/rx");
  EXPECT_EQ(read_file(cut + ".h"), "/* hfile for " + cut +
                                       " configuration; necessary for config_tq7420 function "
                                       "*/\n\n");
  EXPECT_EQ(read_file(cut + ".tbl"), "");
}
