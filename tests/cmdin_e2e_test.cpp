// Control files run through the real binary: what stops the run after the
// first pass, what is only reported, the file lookups and includes, and the
// override pass after the computation.
#include <gtest/gtest.h>

#include <string>

#include "e2e.h"
#include "test_util.h"

namespace {

// Both pairs declared and every channel powered down: nothing else is
// required, so the run goes through all its passes (with kPorts, cleanly).
const std::string kQuiet = "mode ab receive\nmode cd receive\npwr_dwn_cic_AB 1\npwr_dwn_cic_CD 1\n";
// Powered-down channels still have their port widths checked.
const std::string kPorts =
    "channel 0\npins 16\nbits 16\nchannel 1\npins 16\nbits 16\n"
    "channel 2\npins 16\nbits 16\nchannel 3\npins 16\nbits 16\n";
const std::string kBanner = "cmd7420 - revWorking, Feb 14 2005\n";


bool ends_with(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

TEST(CmdinRun, AnInputErrorStopsTheRunAfterTheFirstPass) {
  ScratchDir dir;
  dir.write("cfg.txt", "print table\n" + kQuiet + "bogus 1\nchannel 0\ngain\n");
  RunResult r = run_cmd7420(dir, {"cfg.txt"});
  EXPECT_EQ(r.status, 1);
  // Both bad lines are reported; no banner, since nothing was computed.
  EXPECT_EQ(r.err,
            "Error: Unrecognized command on line 6: bogus\n\n"
            "Error: gain Usage: Gain through final gain block\n\n");
  // The table, a register output, is not written.
  EXPECT_FALSE(dir.exists("cfg.tbl"));
  EXPECT_TRUE(dir.exists("cmd7420TmpCmdFile"));
}

TEST(CmdinRun, WidthErrorsStopTheRunAndFittingValuesDoNot) {
  ScratchDir dir;
  dir.write("wide.txt", kQuiet + "channel 0\ncoef_ofsc 16\n");
  RunResult r = run_cmd7420(dir, {"wide.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Error: coef_ofsc has only 4 bits\nUsage: FIR coefficient address offset\n\n");

  dir.write("fits.txt", kQuiet + "channel 0\ncoef_ofsc 0xf\n" + kPorts);
  r = run_cmd7420(dir, {"fits.txt"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err.rfind(kBanner, 0), 0u);
}

TEST(CmdinRun, ReportedButNotFlaggedErrorsLetTheRunFinishWithStatusOne) {
  ScratchDir dir;
  dir.write("cfg", "pwr_dwn_cic_AB 1\n" + kQuiet + "mode ab transmit\n");
  RunResult r = run_cmd7420(dir, {"cfg"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind("Error: Must set mode ab and mode cd before setting other variables\n\n"
                        "Error: mode may not be changed \n" +
                            kBanner,
                        0),
            0u);
}

TEST(CmdinRun, CarriageReturnLineEndsAreWarnedAboutAndReadNormally) {
  ScratchDir dir;
  std::string crlf;
  const std::string text = kQuiet + "print table\n" + kPorts;
  for (char c : text)
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  dir.write("dos.txt", crlf);
  RunResult r = run_cmd7420(dir, {"dos.txt"});
  EXPECT_EQ(r.status, 0);
  std::string warnings;
  for (int line = 1; line <= 17; ++line)
    warnings += "Warning: Non ascii character on line " + std::to_string(line) +
                "; character was deleted.\nIf there are problems, delete and re-write the line by "
                "hand.\n";
  EXPECT_EQ(r.err.rfind(warnings + kBanner, 0), 0u);
  EXPECT_TRUE(dir.exists("dos.tbl"));
}

TEST(CmdinRun, ControlFileIsFoundUnderItsCutNameAndExtensions) {
  for (const char* typed : {"x", "x.txt", "x.anything"}) {
    ScratchDir dir;
    dir.write("x.txt", kQuiet + "print table\n" + kPorts);
    RunResult r = run_cmd7420(dir, {typed});
    EXPECT_EQ(r.status, 0) << typed;
    EXPECT_TRUE(dir.exists("x.tbl")) << typed;
  }
  ScratchDir dir;
  RunResult r = run_cmd7420(dir, {"none.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Error: Couldn't open command file none.txt\n");
}

TEST(CmdinRun, IncludesAreInsertedWhereTheyStand) {
  ScratchDir dir;
  dir.write("common.tq7420", "mode cd receive\npwr_dwn_cic_AB 1\n");
  dir.write("main.txt", "mode ab receive\ninclude common\npwr_dwn_cic_CD 1\n" + kPorts);
  RunResult r = run_cmd7420(dir, {"main.txt"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(dir.read("cmd7420TmpCmdFile"),
            "mode ab receive\nmode cd receive\npwr_dwn_cic_AB 1\n\npwr_dwn_cic_CD 1\n" + kPorts +
                "\n");
}

TEST(CmdinRun, AMissingOrCyclicIncludeEndsTheRun) {
  ScratchDir dir;
  dir.write("main.txt", kQuiet + "include part9\n");
  RunResult r = run_cmd7420(dir, {"main.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Error: Couldn't open command file part9\n");

  dir.write("ping", "include pong\n");
  dir.write("pong", "include ping\n");
  r = run_cmd7420(dir, {"ping"});
  EXPECT_EQ(r.status, 1);
  // ping is the 1st, 3rd, ... 31st file and would be the 33rd.
  EXPECT_EQ(r.err, "Error: Include files nested too deeply: ping\n");
}

TEST(CmdinRun, ATooLongLineEndsTheRun) {
  ScratchDir dir;
  dir.write("long.txt", kQuiet + "# " + std::string(997, '-') + "\n");
  RunResult r = run_cmd7420(dir, {"long.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Error: Line 5 of long.txt is too long\n");
}

TEST(CmdinRun, OverrideLinesAreAppliedAfterTheComputation) {
  ScratchDir dir;
  dir.write("ov.txt", kQuiet + kPorts + "override\nfreq 2\nprint debug\n");
  RunResult r = run_cmd7420(dir, {"ov.txt"});
  EXPECT_EQ(r.status, 0);
  // The override pass starts with no channel declared, after the banner.
  const std::string warning =
      "Warning: Setting a channel variable before channel declaration...putting in channel 0.\n"
      "To fix, put variable under channel declaration.Variable freq\n";
  size_t banner = r.err.find(kBanner);
  ASSERT_NE(banner, std::string::npos);
  EXPECT_GT(r.err.find(warning), banner);
  EXPECT_TRUE(dir.exists("ov.dbg"));
}

TEST(CmdinRun, AnInputErrorInTheOverridePassStopsBeforePacking) {
  ScratchDir dir;
  dir.write("ov.txt", kQuiet + "print table\noverride\n\n# numbered from 1 again\nbogus\n");
  RunResult r = run_cmd7420(dir, {"ov.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(contains(r.err, kBanner));
  EXPECT_TRUE(ends_with(r.err, "\nError: Unrecognized command on line 2: bogus\n\n"));
}

TEST(CmdinRun, CoefficientFileProblems) {
  ScratchDir dir;
  dir.write("missing.txt", kQuiet + "print analysis\nchannel 1\nfir_coef nope.coef\n");
  RunResult r = run_cmd7420(dir, {"missing.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Couldn't open coefficient file: nope.coef\n");
  EXPECT_EQ(dir.read("missing.anl"), "Couldn't open coefficient file: nope.coef\n");

  std::string taps;
  for (int i = 0; i < 513; ++i) taps += "1\n";
  dir.write("many.coef", taps);
  dir.write("many.txt", kQuiet + "fir_coef many.coef\n");
  r = run_cmd7420(dir, {"many.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Too many coefficients in file: many.coef\n");
}

TEST(CmdinRun, HelpIsPrintedOnStandardError) {
  ScratchDir dir;
  dir.write("h.txt", kQuiet + "help fck\n" + kPorts);
  RunResult r = run_cmd7420(dir, {"h.txt"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err.rfind("\nfck  Pseudo-variable with 64 bits.  In receive Mandatory.  In transmit "
                        "Mandatory.\n",
                        0),
            0u);
}

TEST(CmdinRun, TheChannelsExampleRuns) {
  ScratchDir dir;
  for (const char* name : {"channels.txt", "halfband21.coef"})
    dir.write(name, read_file(examples_dir() + "/" + name));
  RunResult r = run_cmd7420(dir, {"channels.txt"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err.rfind(kBanner, 0), 0u);
  EXPECT_TRUE(dir.exists("channels.tbl"));
}
