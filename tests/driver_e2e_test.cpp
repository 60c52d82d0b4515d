// The binary's command line and output naming.
#include <gtest/gtest.h>

#include "driver.h"
#include "e2e.h"

TEST(CommandLine, WrongArgumentCountPrintsUsageAndCreatesNothing) {
  const std::string usage = "Usage: cmd7420 controlfile\n Version: revWorking, Feb 14 2005\n";
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, std::vector<std::string>{"a.txt", "b.txt"}}) {
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
