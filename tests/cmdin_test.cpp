// The command interpreter: cleaning of control files into the temporary
// command file, and the interpretation passes with their commands,
// assignments, warnings and errors.
#include "cmdin.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "diag.h"
#include "driver.h"
#include "records.h"
#include "scratch_cwd.h"
#include "strtab.h"
#include "test_util.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

const std::string kModes = "mode ab receive\nmode cd receive\n";

class Cmdin : public ::testing::Test {
 protected:
  void SetUp() override { init(); }
  void TearDown() override {
    close_outputs();
    reset_cmdin();
  }

  void write(const std::string& name, const std::string& text) { cwd.dir.write(name, text); }

  // Cleans `name` (written with `text` first when given) into the temporary
  // command file and returns that file; standard error goes to `log`.
  std::string clean(const std::string& text, const std::string& name = "ctl.txt") {
    write(name, text);
    return clean_existing(name);
  }
  std::string clean_existing(const std::string& name) {
    f_tmpCmdW.reset(std::fopen(kTmpCmdFile, "w"));
    CaptureStderr();
    createTmpCmdFile(name);
    log = GetCapturedStderr();
    f_tmpCmdW.reset();
    return cwd.dir.read(kTmpCmdFile);
  }

  // Cleans `text` and runs the first pass over it.
  int first_pass(const std::string& text) {
    clean(text);
    CaptureStderr();
    int r = cmdin("ctl.txt", &over_ride);
    log += GetCapturedStderr();
    return r;
  }
  int override_pass() {
    CaptureStderr();
    int r = cmdin("ctl.txt", &over_ride);
    log = GetCapturedStderr();
    return r;
  }

  ScratchCwd cwd;
  int over_ride = 0;
  std::string log;
};

std::string expert_warning(const std::string& name) {
  return "Warning: Manually setting a variable that is normally computed\n"
         "Experts only.  Black diamond run. Variable " +
         name + "\n";
}
std::string channel_warning(const std::string& name) {
  return "Warning: Setting a channel variable before channel declaration...putting in channel 0.\n"
         "To fix, put variable under channel declaration.Variable " +
         name + "\n";
}

}  // namespace

// ---- Cleaning ----

TEST_F(Cmdin, CleaningDropsBlankLinesAndEndsEachFileWithAnEmptyLine) {
  EXPECT_EQ(clean("mode ab receive\n   \n\n\t \n\tgain 1\n"), "mode ab receive\n\tgain 1\n\n");
  EXPECT_EQ(log, "");
}

TEST_F(Cmdin, CleaningKeepsALastLineWithoutLineEnd) {
  EXPECT_EQ(clean("a 1\nb 2"), "a 1\nb 2\n");
  // A one-character last line has nothing before its last character.
  EXPECT_EQ(clean("a 1\nb"), "a 1\n\n");
}

TEST_F(Cmdin, CleaningCutsCaretMUpToTheLineEnd) {
  EXPECT_EQ(clean("gain 1^M trailing\n^M\nfreq 2^M"), "gain 1\n\nfreq 2\n");
}

TEST_F(Cmdin, CleaningDeletesNonAsciiCharactersWithAWarningEach) {
  EXPECT_EQ(clean("# ok\ngain\x01 1\xc3\xa9\n"), "# ok\ngain 1\n\n");
  const std::string warning =
      "Warning: Non ascii character on line 2; character was deleted.\n"
      "If there are problems, delete and re-write the line by hand.\n";
  EXPECT_EQ(log, warning + warning + warning);
}

TEST_F(Cmdin, CarriageReturnsDrawOneWarningPerLine) {
  EXPECT_EQ(clean("mode ab receive\r\n\r\nmode cd receive\r\n"),
            "mode ab receive\n\nmode cd receive\n\n");
  std::string expected;
  for (int line : {1, 2, 3})
    expected += "Warning: Non ascii character on line " + std::to_string(line) +
                "; character was deleted.\nIf there are problems, delete and re-write the line by "
                "hand.\n";
  EXPECT_EQ(log, expected);
}

TEST_F(Cmdin, IncludeInsertsTheCleanedFileInPlace) {
  write("part2.tq7420", "gain 2\n\n  \nfreq 3\n");
  write("part3.txt", "bits 4\n");
  EXPECT_EQ(clean("mode ab receive\ninclude part2\ninclude=part3.v2, extra\nend 1\n"),
            "mode ab receive\ngain 2\nfreq 3\n\nbits 4\n\nend 1\n\n");
}

TEST_F(Cmdin, IncludeWithoutAFileNameIsCopiedAsItStands) {
  EXPECT_EQ(clean("include\ninclude  \n"), "include\ninclude  \n\n");
  EXPECT_EQ(first_pass("include\n"), 1);
  EXPECT_EQ(log, "Error: Unrecognized command on line 1: include\n\n");
}

TEST_F(Cmdin, ControlFileFallsBackToTheCutNameAndItsExtensions) {
  write("x.txt", "from txt\n");
  for (const char* typed : {"x", "x.txt", "x.anything", "x.a.b"})
    EXPECT_EQ(clean_existing(typed), "from txt\n\n") << typed;
  write("x.tq7420", "from tq7420\n");
  EXPECT_EQ(clean_existing("x.other"), "from tq7420\n\n");
  write("x", "plain\n");
  EXPECT_EQ(clean_existing("x.other"), "plain\n\n");
}

TEST_F(Cmdin, ADirectoryIsNotTakenForTheControlFile) {
  ASSERT_EQ(std::system(("mkdir " + cwd.dir.file("proj")).c_str()), 0);
  write("proj.txt", "the file\n");
  EXPECT_EQ(clean_existing("proj"), "the file\n\n");
}

TEST_F(Cmdin, ControlFileFallbackCutsOnlyTheFileNamePart) {
  std::string made = cwd.dir.file("v1.0");
  ASSERT_EQ(std::system(("mkdir " + made).c_str()), 0);
  write("v1.0/rx.txt", "found\n");
  EXPECT_EQ(clean_existing("v1.0/rx"), "found\n\n");
}

TEST_F(Cmdin, UnopenableControlFileEndsTheRun) {
  f_tmpCmdW.reset(std::fopen(kTmpCmdFile, "w"));
  EXPECT_EXIT(createTmpCmdFile("nope.cfg"), testing::ExitedWithCode(1),
              "^Error: Couldn't open command file nope.cfg\n$");
}

TEST_F(Cmdin, UnopenableIncludeEndsTheRun) {
  write("ctl.txt", kModes + "include missing.part\n");
  f_tmpCmdW.reset(std::fopen(kTmpCmdFile, "w"));
  EXPECT_EXIT(createTmpCmdFile("ctl.txt"), testing::ExitedWithCode(1),
              "^Error: Couldn't open command file missing.part\n$");
}

TEST_F(Cmdin, LinesUpTo999CharactersWithTheirLineEndAreAccepted) {
  std::string longest = "#" + std::string(997, 'x') + "\n";  // 999 with the line end
  std::string last = "#" + std::string(998, 'y');            // 999, no line end
  EXPECT_EQ(clean(longest + last), longest + last + "\n");
}

TEST_F(Cmdin, ALongerLineEndsTheRun) {
  write("ctl.txt", "# first\n#" + std::string(998, 'x') + "\n");
  f_tmpCmdW.reset(std::fopen(kTmpCmdFile, "w"));
  EXPECT_EXIT(createTmpCmdFile("ctl.txt"), testing::ExitedWithCode(1),
              "^Error: Line 2 of ctl.txt is too long\n$");
}

TEST_F(Cmdin, Includes32DeepAreAcceptedAndDeeperEndTheRun) {
  // n1 (the control file) includes n2, ... up to nK.
  auto chain = [&](int k) {
    for (int i = 1; i <= k; ++i)
      write("n" + std::to_string(i), i < k ? "include n" + std::to_string(i + 1) + "\n" : "v 1\n");
  };
  chain(32);
  EXPECT_EQ(clean_existing("n1"), "v 1\n" + std::string(32, '\n'));
  chain(33);
  f_tmpCmdW.reset(std::fopen(kTmpCmdFile, "w"));
  EXPECT_EXIT(createTmpCmdFile("n1"), testing::ExitedWithCode(1),
              "^Error: Include files nested too deeply: n33\n$");
}

TEST_F(Cmdin, AnIncludeCycleEndsTheRun) {
  write("self", "# me\ninclude self\n");
  f_tmpCmdW.reset(std::fopen(kTmpCmdFile, "w"));
  EXPECT_EXIT(createTmpCmdFile("self"), testing::ExitedWithCode(1),
              "Error: Include files nested too deeply: self\n$");
}

// ---- Words and commands ----

TEST_F(Cmdin, AnySeparatorRunSeparatesNameAndValue) {
  for (const char* line :
       {"gain=1.5", "gain 1.5", "gain, 1.5", "gain = 1.5", "\tgain,=\t1.5 rest"}) {
    init();
    ASSERT_EQ(first_pass(kModes + "channel 2\n" + line + "\n"), 0) << line;
    EXPECT_EQ(chan[2].gain, 1.5) << line;
    EXPECT_EQ(log, "") << line;
  }
}

TEST_F(Cmdin, CommentLinesAreIgnored) {
  EXPECT_EQ(first_pass(kModes + "# gain 1\n// x\n/x\n;;\n; gain 2\n"), 0);
  EXPECT_EQ(chan[0].gain, -1.0);
  EXPECT_EQ(log, "");
}

TEST_F(Cmdin, NamesAndCommandsAreCaseSensitive) {
  EXPECT_EQ(first_pass(kModes + "MODE ab receive\nGain 1\n"), 1);
  EXPECT_EQ(log,
            "Error: Unrecognized command on line 3: MODE\n\n"
            "Error: Unrecognized command on line 4: Gain\n\n");
}

TEST_F(Cmdin, WordsThatOnlyStartLikeACommandAreUnrecognised) {
  EXPECT_EQ(
      first_pass(kModes + "chan 1\nmodes ab r\nprinter t\nhelper x\nfir_coefs f\noverrid\nxyz\n"),
      1);
  std::string expected;
  int line = 3;
  for (const char* w : {"chan", "modes", "printer", "helper", "fir_coefs", "overrid", "xyz"})
    expected += "Error: Unrecognized command on line " + std::to_string(line++) + ": " + w + "\n\n";
  EXPECT_EQ(log, expected);
}

TEST_F(Cmdin, CommandsMissingTheirWordsAreUnrecognised) {
  EXPECT_EQ(first_pass(kModes + "help\nprint\nfir_coef\nmode\nmode ab\n"), 1);
  std::string expected;
  int line = 3;
  for (const char* w : {"help", "print", "fir_coef", "mode", "mode"})
    expected += "Error: Unrecognized command on line " + std::to_string(line++) + ": " + w + "\n\n";
  EXPECT_EQ(log, expected);
}

TEST_F(Cmdin, LineNumbersCountTheTemporaryFile) {
  write("part2", "# a\n\n\n# b\n");
  // Blank lines vanish; the include brings two lines and its empty line.
  EXPECT_EQ(first_pass(kModes + "\n\ninclude part2\nbogus\n"), 1);
  EXPECT_EQ(log, "Error: Unrecognized command on line 6: bogus\n\n");
}

// ---- Modes ----

TEST_F(Cmdin, ModeWordsAreAbbreviatedToTheirFirstLetter) {
  EXPECT_EQ(first_pass("mode a t\nmode cd rx\n"), 0);
  EXPECT_EQ(g.mode[0], 1);
  EXPECT_EQ(g.mode[1], 2);
  EXPECT_EQ(chan[0].xmt, 1);
  EXPECT_EQ(chan[1].xmt, 1);
  EXPECT_EQ(chan[2].xmt, 0);
  EXPECT_EQ(chan[3].xmt, 0);
  EXPECT_EQ(log, "");
}

TEST_F(Cmdin, ModeWordsMustBeLowerCaseAndKnown) {
  EXPECT_EQ(first_pass("mode A r\nmode ab R\nmode b r\nmode ab x\n"), 1);
  EXPECT_EQ(g.mode[0], -1);
  EXPECT_EQ(log, std::string("Error: Unrecognized command on line 1: mode\n\n") +
                     "Error: Unrecognized command on line 2: mode\n\n" +
                     "Error: Unrecognized command on line 3: mode\n\n" +
                     "Error: Unrecognized command on line 4: mode\n\n");
}

TEST_F(Cmdin, ModeMayBeRepeatedButNotChanged) {
  EXPECT_EQ(first_pass(kModes + "mode ab receive\nmode ab transmit\n"), 0);
  EXPECT_EQ(log, "Error: mode may not be changed \n");
  EXPECT_EQ(exit_status, 1);  // reported, yet the pass has not failed
  EXPECT_EQ(g.mode[0], 2);
  EXPECT_EQ(chan[0].xmt, 0);
}

TEST_F(Cmdin, EveryModeCommandAfterBothRestoresTheDefaults) {
  // en_ck_loss is a Default variable with default 1.
  EXPECT_EQ(first_pass(kModes + "en_ck_loss 0\n"), 0);
  EXPECT_EQ(g.en_ck_loss, 0);
  init();
  EXPECT_EQ(first_pass(kModes + "en_ck_loss 0\nmode cd receive\n"), 0);
  EXPECT_EQ(g.en_ck_loss, 1);
}

TEST_F(Cmdin, DefaultsWaitForBothPairs) {
  EXPECT_EQ(first_pass("mode ab receive\n"), 0);
  EXPECT_EQ(g.en_ck_loss, -1);
  init();
  EXPECT_EQ(first_pass("mode ab receive\nmode cd transmit\n"), 0);
  EXPECT_EQ(g.en_ck_loss, 1);
}

// ---- Assignments ----

TEST_F(Cmdin, AssignmentBeforeTheModesIsReportedAndCarriedOut) {
  EXPECT_EQ(first_pass("mode ab receive\nen_ck_loss 0\nmode cd receive\nchannel 1\nfreq 7\n"), 0);
  EXPECT_EQ(log, "Error: Must set mode ab and mode cd before setting other variables\n\n");
  EXPECT_EQ(exit_status, 1);
  EXPECT_EQ(g.en_ck_loss, 1);  // stored, then the defaults pass restored it
  EXPECT_EQ(chan[1].freq, 7.0);
}

TEST_F(Cmdin, ValuesAreCheckedAgainstTheirWidth) {
  EXPECT_EQ(first_pass(kModes + "channel 0\ncoef_ofsc 0xf\n"), 0);
  EXPECT_EQ(chan[0].coef_ofsc, 15);
  EXPECT_EQ(log, "");
  init();
  EXPECT_EQ(first_pass(kModes + "channel 0\ncoef_ofsc 16\n"), 1);
  EXPECT_EQ(log, "Error: coef_ofsc has only 4 bits\nUsage: FIR coefficient address offset\n\n");
  EXPECT_EQ(chan[0].coef_ofsc, 16);  // stored all the same
  init();
  EXPECT_EQ(first_pass(kModes + "channel 0\ncoef_ofsc -1\n"), 1);
  EXPECT_EQ(chan[0].coef_ofsc, -1);
}

TEST_F(Cmdin, HexValuesUpTo32BitsWrapToInt) {
  EXPECT_EQ(first_pass(kModes + "channel 0\ncoef_ofsc 0xffffffff\n"), 1);
  EXPECT_EQ(log, "Error: coef_ofsc has only 4 bits\nUsage: FIR coefficient address offset\n\n");
  EXPECT_EQ(chan[0].coef_ofsc, -1);
}

TEST_F(Cmdin, ThirtyOneBitVariablesAcceptEveryNonNegativeInt) {
  EXPECT_EQ(first_pass(kModes + "channel 0\nmaxtap 2147483647\n"), 0);
  EXPECT_EQ(chan[0].maxtap, 2147483647);
  EXPECT_EQ(log, expert_warning("maxtap"));
}

TEST_F(Cmdin, AValueWordStartingWithANumberKeepsTheNumber) {
  EXPECT_EQ(first_pass(kModes + "channel 0\ncoef_ofsc 12abc\ngain 2.5dB\nchannel 1\ngain 0x.8\n"
                                "channel 2\ngain 0x1p3\n"),
            0);
  EXPECT_EQ(chan[0].coef_ofsc, 12);
  EXPECT_EQ(chan[0].gain, 2.5);
  EXPECT_EQ(chan[1].gain, 0.5);  // hexadecimal doubles read as "%lf" reads them
  EXPECT_EQ(chan[2].gain, 8.0);
}

TEST_F(Cmdin, AValueThatIsNotANumberIsRefusedAndNothingStored) {
  EXPECT_EQ(first_pass(kModes + "channel 0\ncoef_ofsc 3\ncoef_ofsc abc\ngain 2\ngain nan\n"
                                "gain inf\ngain 1e400\ncoef_ofsc 0x\ngain 0x\ngain -0Xg\n"),
            1);
  // "%lf" reads nothing from a "0x" that no hex digit follows, although
  // strtod would take its "0".
  EXPECT_EQ(log,
            "Error: Value of coef_ofsc is not a number: abc\n"
            "Error: Value of gain is not a number: nan\n"
            "Error: Value of gain is not a number: inf\n"
            "Error: Value of gain is not a number: 1e400\n"
            "Error: Value of coef_ofsc is not a number: 0x\n"
            "Error: Value of gain is not a number: 0x\n"
            "Error: Value of gain is not a number: -0Xg\n");
  EXPECT_EQ(chan[0].coef_ofsc, 3);
  EXPECT_EQ(chan[0].gain, 2.0);
}

TEST_F(Cmdin, NotANumberBeforeTheModesDrawsTheModeErrorFirst) {
  EXPECT_EQ(first_pass("channel 0\ncoef_ofsc x\n"), 1);
  EXPECT_EQ(log,
            "Error: Must set mode ab and mode cd before setting other variables\n\n"
            "Error: Value of coef_ofsc is not a number: x\n");
}

TEST_F(Cmdin, IntegersBeyond32BitsAreOutOfRange) {
  EXPECT_EQ(first_pass(kModes + "channel 0\nfir_dec 2147483648\nfir_dec 0x100000000\n"
                                "fir_dec -2147483649\nfir_dec 2\n"),
            1);
  EXPECT_EQ(log,
            "Error: Value of fir_dec is out of range: 2147483648\n"
            "Error: Value of fir_dec is out of range: 0x100000000\n"
            "Error: Value of fir_dec is out of range: -2147483649\n");
  EXPECT_EQ(chan[0].fir_dec, 2);
}

TEST_F(Cmdin, AMissingValueIsReportedAndZeroUsed) {
  EXPECT_EQ(first_pass(kModes + "channel 3\ngain\n"), 1);
  EXPECT_EQ(log, "Error: gain Usage: Gain through final gain block\n\n");
  EXPECT_EQ(chan[3].gain, 0.0);
}

TEST_F(Cmdin, ChannelVariablesBeforeAnyChannelGoToChannelA) {
  // tinf_bits: regtype 1, NotUsed in receive. cic_rcv: regtype 2, Expert in receive.
  EXPECT_EQ(first_pass(kModes + "tinf_bits 2\ncic_rcv 1\nchannel 1\ntinf_bits 3\n"), 0);
  EXPECT_EQ(chan[0].tinf_bits, 2);
  EXPECT_EQ(chan[0].cic_rcv, 1);
  EXPECT_EQ(chan[1].tinf_bits, 3);
  EXPECT_EQ(log, channel_warning("tinf_bits") + expert_warning("cic_rcv"));
}

TEST_F(Cmdin, ExpertWarningFollowsTheCurrentChannelsDirection) {
  // tinf_bits is NotUsed in receive and Expert in transmit.
  EXPECT_EQ(first_pass("mode ab receive\nmode cd transmit\nchannel 1\ntinf_bits 1\nchannel 2\n"
                       "tinf_bits 1\n"),
            0);
  EXPECT_EQ(log, expert_warning("tinf_bits"));
  EXPECT_EQ(chan[2].tinf_bits, 1);
}

TEST_F(Cmdin, ChipWideVariablesUseTheirReceiveClassAndNoChannel) {
  // sum_selI: chip-wide and Expert; chip-wide variables never draw the
  // channel warning.
  EXPECT_EQ(first_pass("mode ab transmit\nmode cd transmit\nsum_selI 5\n"), 0);
  EXPECT_EQ(g.sum_selI, 5);
  EXPECT_EQ(log, expert_warning("sum_selI"));
}

TEST_F(Cmdin, AChannelOfAnUndeclaredPairHasNoClass) {
  // Pair CD has no mode, so cic_rcv (Expert in receive) draws no expert warning.
  EXPECT_EQ(first_pass("mode ab receive\nchannel 2\ncic_rcv 1\n"), 0);
  EXPECT_EQ(log, "Error: Must set mode ab and mode cd before setting other variables\n\n");
  EXPECT_EQ(chan[2].cic_rcv, 1);
}

// ---- channel and copy_channel numbers ----

TEST_F(Cmdin, ChannelSelectsTheTargetOfChannelVariables) {
  EXPECT_EQ(first_pass(kModes + "channel 3\nfreq 1\nchannel 0x1\nfreq 2\n"), 0);
  EXPECT_EQ(chan[3].freq, 1.0);
  EXPECT_EQ(chan[1].freq, 2.0);
}

TEST_F(Cmdin, BadChannelNumbersFailThePassAndKeepTheChannel) {
  EXPECT_EQ(first_pass(kModes + "channel 2\nchannel 4\nfreq 1\nchannel -1\nchannel\nchannel x\n"
                                "freq 2\n"),
            1);
  EXPECT_EQ(log,
            "channel must be between 0 and 3\nchannel must be between 0 and 3\n"
            "channel must be between 0 and 3\nchannel must be between 0 and 3\n");
  EXPECT_EQ(chan[2].freq, 2.0);
  EXPECT_EQ(exit_status, 0);  // the range message goes to standard error only
}

TEST_F(Cmdin, GetintMatchesOnlyItsCommand) {
  int v = 7;
  EXPECT_EQ(getint("chan", "channel", nullptr, &v, 0, 3), 0);
  EXPECT_EQ(err, 0);
  std::string word = "0x3";
  EXPECT_EQ(getint("channel", "channel", &word, &v, 0, 3), 1);
  EXPECT_EQ(v, 3);
  word = "9";
  CaptureStderr();
  EXPECT_EQ(getint("copy_channel", "copy_channel", &word, &v, 0, 3), 1);
  EXPECT_EQ(GetCapturedStderr(), "copy_channel must be between 0 and 3\n");
  EXPECT_EQ(v, 3);
  EXPECT_EQ(err, 1);
}

TEST_F(Cmdin, CopyChannelFromAnOutOfRangeSourceCopiesNothing) {
  EXPECT_EQ(first_pass(kModes + "channel 0\nfreq 5\nchannel 1\nfreq 6\ncopy_channel 7\n"), 1);
  EXPECT_EQ(log, "copy_channel must be between 0 and 3\n");
  EXPECT_EQ(chan[1].freq, 6.0);
}

TEST_F(Cmdin, CopyChannelCopiesIntoTheCurrentChannel) {
  EXPECT_EQ(first_pass(kModes + "channel 0\nfreq 5\nchannel 3\ncopy_channel 0\n"), 0);
  EXPECT_EQ(chan[3].freq, 5.0);
}

// ---- print ----

TEST_F(Cmdin, PrintWordsAreAbbreviatedInEitherCase) {
  for (const char* word : {"table", "T", "tx"}) {
    init();
    EXPECT_EQ(first_pass(kModes + "print " + word + "\n"), 0) << word;
    EXPECT_EQ(g.printout, kOutTbl) << word;
    EXPECT_TRUE(cwd.dir.exists("ctl.tbl")) << word;
    close_outputs();
    std::remove("ctl.tbl");
  }
}

TEST_F(Cmdin, PrintOpensEachOutputNamedAfterTheControlFile) {
  EXPECT_EQ(first_pass(kModes + "print a\nprint D\nprint kx\nprint s\nprint t\nprint hfile\n"), 0);
  EXPECT_EQ(g.printout, 63);
  close_outputs();
  for (const char* name : {"ctl.anl", "ctl.dbg", "ctl.kx330", "ctl.sim", "ctl.tbl"})
    EXPECT_EQ(cwd.dir.read(name), "") << name;
  EXPECT_EQ(cwd.dir.read("ctl.h"),
            "/* hfile for ctl configuration; necessary for config_tq7420 function */\n\n");
}

TEST_F(Cmdin, ASecondPrintOfAnOpenOutputKeepsItsReports) {
  EXPECT_EQ(first_pass(kModes + "print analysis\nmode ab transmit\nprint anl\n"), 0);
  close_outputs();
  EXPECT_EQ(cwd.dir.read("ctl.anl"), "Error(cmdin L180): mode may not be changed \n");
}

TEST_F(Cmdin, AnUnknownPrintWordListsTheOptions) {
  EXPECT_EQ(first_pass(kModes + "print xyz\n"), 1);
  EXPECT_EQ(log,
            "Error: Unrecognized print command xyz\n\n"
            "Error: Options are: analysis, debug, kx330, sim, table and hfile\n");
  EXPECT_EQ(g.printout, 0);
}

// ---- help ----

TEST_F(Cmdin, HelpListsMatchingVariablesInTableOrder) {
  EXPECT_EQ(first_pass("help agc_\n"), 0);
  // Buckets ascending, the newest registration first within a bucket.
  const std::vector<std::string> order = {"agc_thresh",   "agc_Dzro",     "agc_freeze", "agc_max",
                                          "agc_Dblw",     "agc_gain_out", "agc_Dabv",   "agc_Dsat",
                                          "agc_zero_cnt", "agc_sat_cnt",  "agc_mode",   "agc_tc",
                                          "agc_zmag",     "agc_hold",     "agc_cf",     "agc_min"};
  size_t at = 0;
  for (const std::string& name : order) {
    size_t found = log.find("\n" + name + "  ", at);
    ASSERT_NE(found, std::string::npos) << name;
    at = found + 1;
  }
  EXPECT_NE(log.find("\nagc_max  Real-variable with 16 bits.  In receive Compute.  In transmit "
                     "NotUsed.\nAGC maximum adaption limit. Upper limit for adapted gain is "
                     "base_gain + agc_max\n"),
            std::string::npos);
  EXPECT_EQ(log.find("\nagc_", at), std::string::npos);  // nothing else listed
}

TEST_F(Cmdin, HelpNamesPseudoVariablesAndTheStatusClass) {
  EXPECT_EQ(first_pass("help ck_loss_s\nhelp xmt\n"), 0);
  EXPECT_EQ(
      log,
      "\nck_loss_status  Real-variable with 2 bits.  In receive Status.  In transmit Status.\n"
      "Bit 0 is current status, bit 1 is sticky status. Set if clock loss is detected. \n"
      "Bit 1 must be reset by the user.\n"
      "\nxmt  Pseudo-variable with 1 bits.  In receive Expert.  In transmit Expert.\n0\n");
}

TEST_F(Cmdin, HelpWithAPrefixThatMatchesNothingPrintsNothing) {
  EXPECT_EQ(first_pass("help zzz\n"), 0);
  EXPECT_EQ(log, "");
}

// ---- Passes ----

TEST_F(Cmdin, OverrideEndsTheFirstPassAndTheSecondAppliesTheRest) {
  EXPECT_EQ(first_pass(kModes + "channel 1\nfreq 1\noverride\nfreq 2\nbogus\n"), 0);
  EXPECT_EQ(over_ride, 1);
  EXPECT_EQ(chan[1].freq, 1.0);
  EXPECT_EQ(log, "");
  // The second pass starts at channel 0, undeclared, and at line 1.
  EXPECT_EQ(override_pass(), 1);
  EXPECT_EQ(chan[0].freq, 2.0);
  EXPECT_EQ(log, channel_warning("freq") + "Error: Unrecognized command on line 2: bogus\n\n");
}

TEST_F(Cmdin, TheOverridePassKeepsModesAndDefaults) {
  EXPECT_EQ(first_pass(kModes + "override\nen_ck_loss 0\n"), 0);
  EXPECT_EQ(override_pass(), 0);
  EXPECT_EQ(g.mode[0], 2);
  EXPECT_EQ(g.en_ck_loss, 0);
  EXPECT_EQ(log, "");  // defaults are done: no mode error
}

TEST_F(Cmdin, ASecondOverrideEndsTheSecondPass) {
  EXPECT_EQ(first_pass(kModes + "override\nchannel 0\nfreq 1\noverride\nfreq 2\n"), 0);
  EXPECT_EQ(override_pass(), 0);
  EXPECT_EQ(chan[0].freq, 1.0);
}

TEST_F(Cmdin, AnErrorOfTheFirstPassIsStillReturnedByTheSecond) {
  EXPECT_EQ(first_pass(kModes + "channel 9\noverride\n"), 1);
  EXPECT_EQ(override_pass(), 1);
}

TEST_F(Cmdin, TheFirstPassClearsOriginalCoefficientMarks) {
  for (CHAN& c : chan) c.origcoefs = 1;
  EXPECT_EQ(first_pass(kModes), 0);
  for (const CHAN& c : chan) EXPECT_EQ(c.origcoefs, 0);
}

TEST_F(Cmdin, AMissingTemporaryFileFailsThePass) {
  CaptureStderr();
  EXPECT_EQ(cmdin("ctl.txt", &over_ride), 1);
  EXPECT_EQ(GetCapturedStderr(), "Error: temporary command file was not generated\n");
}

TEST_F(Cmdin, FirCoefReadsIntoTheCurrentChannel) {
  write("taps", "1\n2\n1\n");
  EXPECT_EQ(first_pass(kModes + "channel 2\nfir_coef taps\n"), 0);
  EXPECT_EQ(chan[2].ncoefs, 3);
  EXPECT_EQ(chan[2].origcoefs, 1);
  EXPECT_EQ(chan[0].ncoefs, -1);
}
