// The command interpreter: cleaning of control files into the temporary
// command file, and the interpretation passes with their commands,
// assignments, warnings and errors.
#include "cmdin.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "diag.h"
#include "driver.h"
#include "records.h"
#include "scratch_cwd.h"
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

  // Cleans `name` (written with `text` first) and returns the cleaned text;
  // standard error goes to `log`.
  std::string clean(const std::string& text, const std::string& name = "ctl.txt") {
    write(name, text);
    return clean_existing(name);
  }
  std::string clean_existing(const std::string& name) {
    CaptureStderr();
    createTmpCmdFile(name);
    log = GetCapturedStderr();
    return expanded_text();
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
         "Experts only.  Black diamond run. Variable " + name + "\n";
}
std::string channel_warning(const std::string& name) {
  return "Warning: Setting a channel variable before channel declaration...putting in channel 0.\n"
         "To fix, put variable under channel declaration.Variable " + name + "\n";
}
std::string non_ascii(int line) {
  return "Warning: Non ascii character on line " + std::to_string(line) +
         "; character was deleted.\nIf there are problems, delete and re-write the line by hand.\n";
}
// The reports of lines first_line, first_line + 1, ... refused with `words`.
std::string unrecognised(int first_line, const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& w : words)
    text += "Error: Unrecognized command on line " + std::to_string(first_line++) + ": " + w + "\n\n";
  return text;
}
const std::string kWidthError = "Error: coef_ofsc has only 4 bits\nUsage: FIR coefficient address offset\n\n";
const std::string kModeFirst = "Error: Must set mode ab and mode cd before setting other variables\n\n";
const std::string kChannelRange = "channel must be between 0 and 3\n";

}  // namespace

// ---- Cleaning ----

// Blank lines go, caret-M cuts the rest of its line, non-ASCII characters
// (carriage returns among them) go with a warning each, every file ends with
// an empty line, lines of up to 999 characters pass whole, and an include
// inserts its cleaned file in place.
TEST_F(Cmdin, CleaningRewritesTheLinesOfAFile) {
  write("part2.tq7420", "gain 2\n\n  \nfreq 3\n");
  write("part3.txt", "bits 4\n");
  const std::string longest = "#" + std::string(997, 'x') + "\n";  // 999 with the line end
  const std::string last = "#" + std::string(998, 'y');            // 999, no line end
  const struct {
    std::string text, cleaned, log;
  } cases[] = {
      {"mode ab receive\n   \n\n\t \n\tgain 1\n", "mode ab receive\n\tgain 1\n\n", ""},
      {"a 1\nb 2", "a 1\nb 2\n", ""},
      {"a 1\nb", "a 1\n\n", ""},  // a one-character last line has nothing before its last character
      {"gain 1^M trailing\n^M\nfreq 2^M", "gain 1\n\nfreq 2\n", ""},
      {"# ok\ngain\x01 1\xc3\xa9\n", "# ok\ngain 1\n\n", non_ascii(2) + non_ascii(2) + non_ascii(2)},
      {"mode ab receive\r\n\r\nmode cd receive\r\n", "mode ab receive\n\nmode cd receive\n\n",
       non_ascii(1) + non_ascii(2) + non_ascii(3)},
      {"include\ninclude  \n", "include\ninclude  \n\n", ""},  // no file name: copied as it stands
      {longest + last, longest + last + "\n", ""},
      {"mode ab receive\ninclude part2\ninclude=part3.v2, extra\nend 1\n",
       "mode ab receive\ngain 2\nfreq 3\n\nbits 4\n\nend 1\n\n", ""},
  };
  for (const auto& k : cases) {
    EXPECT_EQ(clean(k.text), k.cleaned) << k.text;
    EXPECT_EQ(log, k.log) << k.text;
  }
}

// Each cleaned line keeps the file it was read from (under the name found)
// and its line there; a file's closing empty line counts as the line after
// its last, and a last line without a line end is the line it ends.
TEST_F(Cmdin, CleanedLinesKnowWhereTheyComeFrom) {
  write("part2.tq7420", "\ngain 2\nfreq 3");
  clean("mode ab receive\n\ninclude part2\nend 1\n");
  const ExpandedControl& x = expanded_control();
  EXPECT_EQ(x.files, (std::vector<std::string>{"ctl.txt", "part2.tq7420"}));
  const struct {
    const char* text;
    size_t file;
    int line;
  } lines[] = {{"mode ab receive\n", 0, 1}, {"gain 2\n", 1, 2}, {"freq 3\n", 1, 3},
               {"end 1\n", 0, 4},          {"\n", 0, 5}};
  ASSERT_EQ(x.lines.size(), std::size(lines));
  for (size_t i = 0; i < x.lines.size(); ++i) {
    EXPECT_EQ(x.lines[i].text, lines[i].text) << i;
    EXPECT_EQ(x.lines[i].file, lines[i].file) << i;
    EXPECT_EQ(x.lines[i].line, lines[i].line) << i;
  }
}

// Looked up as typed, then cut at the first '.' of the file-name part, then
// with ".tq7420" and ".txt"; a directory does not count.
TEST_F(Cmdin, ControlFileFallsBackToTheCutNameAndItsExtensions) {
  write("x.txt", "from txt\n");
  for (const char* typed : {"x", "x.txt", "x.anything", "x.a.b"})
    EXPECT_EQ(clean_existing(typed), "from txt\n\n") << typed;
  write("x.tq7420", "from tq7420\n");
  EXPECT_EQ(clean_existing("x.other"), "from tq7420\n\n");
  write("x", "plain\n");
  EXPECT_EQ(clean_existing("x.other"), "plain\n\n");
  ASSERT_EQ(::mkdir(cwd.dir.file("proj").c_str(), 0755), 0);
  write("proj.txt", "the file\n");
  EXPECT_EQ(clean_existing("proj"), "the file\n\n");
  ASSERT_EQ(::mkdir(cwd.dir.file("v1.0").c_str(), 0755), 0);
  write("v1.0/rx.txt", "found\n");
  EXPECT_EQ(clean_existing("v1.0/rx"), "found\n\n");
}

// File `prefix`1 includes `prefix`2 and so on up to `prefix``depth`.
void write_include_chain(const ScratchDir& dir, const std::string& prefix, int depth) {
  for (int i = 1; i <= depth; ++i)
    dir.write(prefix + std::to_string(i),
              i < depth ? "include " + prefix + std::to_string(i + 1) + "\n" : "v 1\n");
}

TEST_F(Cmdin, CleaningStopsAtFilesItCannotTake) {
  write_include_chain(cwd.dir, "m", 32);
  EXPECT_EQ(clean_existing("m1"), "v 1\n" + std::string(32, '\n'));  // 32 deep is the most
  write_include_chain(cwd.dir, "n", 33);
  write("ctl.txt", kModes + "include missing.part\n");
  write("long.txt", "# first\n#" + std::string(998, 'x') + "\n");
  write("self", "# me\ninclude self\n");
  const struct {
    const char* control;
    const char* message;
  } cases[] = {
      {"nope.cfg", "Couldn't open command file nope.cfg"},
      {"ctl.txt", "Couldn't open command file missing.part"},
      {"long.txt", "Line 2 of long.txt is too long"},
      {"n1", "Include files nested too deeply: n33"},
      {"self", "Include files nested too deeply: self"},  // a cycle
  };
  for (const auto& k : cases) {
    CaptureStderr();
    EXPECT_EQ(createTmpCmdFile(k.control), 1) << k.control;
    EXPECT_EQ(GetCapturedStderr(), std::string("Error: ") + k.message + "\n");
  }
}

// ---- Commands ----

// Commands and names are case-sensitive whole words, and a command missing
// its words is no command.
TEST_F(Cmdin, UnknownOrIncompleteCommandsAreUnrecognised) {
  EXPECT_EQ(first_pass("mode A r\nmode ab R\nmode b r\nmode ab x\n" + kModes +
                       "MODE ab receive\nGain 1\nchan 1\nmodes ab r\nprinter t\nhelper x\nfir_coefs f\n"
                       "overrid\nxyz\nhelp\nprint\nfir_coef\nmode\nmode ab\ninclude\n"),
            1);
  EXPECT_EQ(log, unrecognised(1, {"mode", "mode", "mode", "mode"}) +
                     unrecognised(7, {"MODE", "Gain", "chan", "modes", "printer", "helper", "fir_coefs",
                                      "overrid", "xyz", "help", "print", "fir_coef", "mode", "mode",
                                      "include"}));
}

TEST_F(Cmdin, ModeWordsAreAbbreviatedToTheirFirstLetter) {
  EXPECT_EQ(first_pass("mode a t\nmode cd rx\n"), 0);
  EXPECT_EQ(log, "");
  EXPECT_EQ((std::vector<int>{g.mode[0], g.mode[1], chan[0].xmt, chan[1].xmt, chan[2].xmt, chan[3].xmt}),
            (std::vector<int>{1, 2, 1, 1, 0, 0}));
}

// What one first pass returns, reports and stores: the defaults once both
// pairs are declared (en_ck_loss is a Default variable with default 1),
// values and their checks, the warnings, and the channel a line goes to.
TEST_F(Cmdin, FirstPassResultsReportsAndValues) {
  write("part2", "# a\n\n\n# b\n");
  const struct {
    const char* what;
    std::string control;
    int result;
    std::string log;
    int channel;
    const char* values;
    int status;  // the exit status, or -1 when it does not matter
  } cases[] = {
      // Blank lines vanish; the include brings two lines and its empty line.
      {"line numbers of the temporary file", kModes + "\n\ninclude part2\nbogus\n", 1,
       unrecognised(6, {"bogus"}), 0, "", -1},
      {"defaults wait for both pairs", "mode ab receive\n", 0, "", 0, "en_ck_loss=-1", -1},
      {"defaults once both are declared", "mode ab receive\nmode cd transmit\n", 0, "", 0, "en_ck_loss=1", -1},
      {"a default value given", kModes + "en_ck_loss 0\n", 0, "", 0, "en_ck_loss=0", -1},
      {"every later mode command restores the defaults", kModes + "en_ck_loss 0\nmode cd receive\n", 0, "", 0,
       "en_ck_loss=1", -1},
      {"any separator run",
       kModes + "channel 0\ngain=1.5\nchannel 1\ngain 1.5\nchannel 2\ngain, 1.5\nchannel 3\ngain = 1.5\n"
                "\tfreq,=\t1.5 rest\n",
       0, "", 0, "gain=1.5 1:gain=1.5 2:gain=1.5 3:gain=1.5 3:freq=1.5", -1},
      {"comment lines", kModes + "# gain 1\n// x\n/x\n;;\n; gain 2\n\t=#gain 3\n , ;gain 4\nbogus\n", 1,
       unrecognised(10, {"bogus"}), 0, "gain=-1", -1},
      {"mode repeated but not changed", kModes + "mode ab receive\nmode ab transmit\n", 0,
       "Error: mode may not be changed \n", 0, "xmt=0", 1},  // reported, yet the pass has not failed
      {"assignment before the modes", "mode ab receive\nen_ck_loss 0\nmode cd receive\nchannel 1\nfreq 7\n", 0,
       kModeFirst, 1, "en_ck_loss=1 freq=7", 1},  // stored, then the defaults pass restored it
      {"within the width", kModes + "channel 0\ncoef_ofsc 0xf\n", 0, "", 0, "coef_ofsc=15", -1},
      {"beyond the width, stored all the same", kModes + "channel 0\ncoef_ofsc 16\n", 1, kWidthError, 0,
       "coef_ofsc=16", -1},
      {"negative", kModes + "channel 0\ncoef_ofsc -1\n", 1, kWidthError, 0, "coef_ofsc=-1", -1},
      {"hex up to 32 bits wraps", kModes + "channel 0\ncoef_ofsc 0xffffffff\n", 1, kWidthError, 0,
       "coef_ofsc=-1", -1},
      {"31 bits take every non-negative int", kModes + "channel 0\nmaxtap 2147483647\n", 0,
       expert_warning("maxtap"), 0, "maxtap=2147483647", -1},
      // Hexadecimal doubles read as "%lf" reads them.
      {"a word starting with a number",
       kModes + "channel 0\ncoef_ofsc 12abc\ngain 2.5dB\nchannel 1\ngain 0x.8\nchannel 2\ngain 0x1p3\n", 0, "",
       0, "coef_ofsc=12 gain=2.5 1:gain=0.5 2:gain=8", -1},
      // "%lf" reads nothing from a "0x" that no hex digit follows, although
      // strtod would take its "0".
      {"not a number",
       kModes + "channel 0\ncoef_ofsc 3\ncoef_ofsc abc\ngain 2\ngain nan\ngain inf\ngain 1e400\n"
                "coef_ofsc 0x\ngain 0x\ngain -0Xg\n",
       1,
       "Error: Value of coef_ofsc is not a number: abc\nError: Value of gain is not a number: nan\n"
       "Error: Value of gain is not a number: inf\nError: Value of gain is not a number: 1e400\n"
       "Error: Value of coef_ofsc is not a number: 0x\nError: Value of gain is not a number: 0x\n"
       "Error: Value of gain is not a number: -0Xg\n", 0, "coef_ofsc=3 gain=2", -1},
      {"not a number before the modes", "channel 0\ncoef_ofsc x\n", 1,
       kModeFirst + "Error: Value of coef_ofsc is not a number: x\n", 0, "coef_ofsc=-1", -1},
      {"beyond 32 bits", kModes + "channel 0\nfir_dec 2147483648\nfir_dec 0x100000000\nfir_dec -2147483649\n"
       "fir_dec 2\n", 1,
       "Error: Value of fir_dec is out of range: 2147483648\nError: Value of fir_dec is out of range: "
       "0x100000000\nError: Value of fir_dec is out of range: -2147483649\n", 0, "fir_dec=2", -1},
      // A decimal fraction or exponent must make a whole number; a hex word
      // and a number that letters follow read as before.
      {"whole numbers", kModes + "channel 0\nfir_dec 16.0\ncic_dec 1e1\ncoef_ofsc 1.\nchannel 1\nfir_dec 1e\n"
                "cic_dec 0x1e\nchannel 2\nfir_dec 1.5e1\ncoef_ofsc 8MHz\nchannel 3\nfir_dec -.0\n", 0, "", 0,
       "fir_dec=16 cic_dec=10 coef_ofsc=1 1:fir_dec=1 1:cic_dec=30 2:fir_dec=15 2:coef_ofsc=8 3:fir_dec=0", -1},
      {"not a whole number, nothing stored",
       kModes + "channel 0\ncic_dec 8\ncic_dec 10.5\nfir_dec 2\nfir_dec -.5\nfir_dec 1e-1\nfir_dec 1e10\n", 1,
       "Error: Value of cic_dec is not a whole number: 10.5\nError: Value of fir_dec is not a whole number: -.5\n"
       "Error: Value of fir_dec is not a whole number: 1e-1\nError: Value of fir_dec is out of range: 1e10\n",
       0, "cic_dec=8 fir_dec=2", 1},
      // The warning comes last on its line, and only for a value stored.
      {"a second number after the value",
       kModes + "tinf_bits 2 3\ncic_rcv 1,5\nchannel 1\nfreq 21,4\ngain 2 -1\nfir_dec 4 .5\ncic_dec 8 eight\n"
                "fck 100 MHz\ncoef_ofsc 16 2\npins x 4\nbits 1.5 2\n", 1,
       channel_warning("tinf_bits") + "Warning: Value of tinf_bits is followed by a second number, ignored: 3\n" +
           expert_warning("cic_rcv") + "Warning: Value of cic_rcv is followed by a second number, ignored: 5\n" +
           "Warning: Value of freq is followed by a second number, ignored: 4\n"
           "Warning: Value of gain is followed by a second number, ignored: -1\n"
           "Warning: Value of fir_dec is followed by a second number, ignored: .5\n" + kWidthError +
           "Warning: Value of coef_ofsc is followed by a second number, ignored: 2\n"
           "Error: Value of pins is not a number: x\nError: Value of bits is not a whole number: 1.5\n",
       0, "tinf_bits=2 cic_rcv=1 1:freq=21 1:gain=2 1:fir_dec=4 1:cic_dec=8 1:coef_ofsc=16 1:pins=-1 1:bits=-1", -1},
      {"missing value", kModes + "channel 3\ngain\n", 1,
       "Error: gain Usage: Gain through final gain block\n\n", 3, "gain=0", -1},
      // tinf_bits: NotUsed in receive, Expert in transmit. cic_rcv: Expert in receive.
      {"channel variables before any channel", kModes + "tinf_bits 2\ncic_rcv 1\nchannel 1\ntinf_bits 3\n", 0,
       channel_warning("tinf_bits") + expert_warning("cic_rcv"), 0, "tinf_bits=2 cic_rcv=1 1:tinf_bits=3", -1},
      {"expert warning by the channel's direction",
       "mode ab receive\nmode cd transmit\nchannel 1\ntinf_bits 1\nchannel 2\ntinf_bits 1\n", 0,
       expert_warning("tinf_bits"), 2, "tinf_bits=1", -1},
      // sum_selI is chip-wide and Expert; it never draws the channel warning.
      {"chip-wide variable", "mode ab transmit\nmode cd transmit\nsum_selI 5\n", 0,
       expert_warning("sum_selI"), 0, "sum_selI=5", -1},
      // Pair CD has no mode, so its channels have no class: no expert warning.
      {"channel of an undeclared pair", "mode ab receive\nchannel 2\ncic_rcv 1\n", 0, kModeFirst, 2,
       "cic_rcv=1", -1},
      {"channel selects the target", kModes + "channel 3\nfreq 1\nchannel 0x1\nfreq 2\n", 0, "", 1,
       "3:freq=1 freq=2", -1},
      // The range message goes to standard error only; the channel stays.
      {"bad channel numbers",
       kModes + "channel 2\nchannel 4\nfreq 1\nchannel -1\nchannel\nchannel x\nchannel 1.5\nfreq 2\n", 1,
       kChannelRange + kChannelRange + kChannelRange + kChannelRange + kChannelRange, 2, "freq=2", 0},
      {"copy_channel from out of range", kModes + "channel 0\nfreq 5\nchannel 1\nfreq 6\ncopy_channel 7\n", 1,
       "copy_channel must be between 0 and 3\n", 1, "freq=6", -1},
      {"copy_channel into the current channel", kModes + "channel 0\nfreq 5\nchannel 3\ncopy_channel 0\n",
       0, "", 3, "freq=5", -1},
      {"help with a prefix that matches nothing", "help zzz\n", 0, "", 0, "", 0},
      {"help of a status and a pseudo-variable", "help ck_loss_s\nhelp xmt\n", 0,
       "\nck_loss_status  Real-variable with 2 bits.  In receive Status.  In transmit Status.\n"
       "Bit 0 is current status, bit 1 is sticky status. Set if clock loss is detected. \n"
       "Bit 1 must be reset by the user.\n"
       "\nxmt  Pseudo-variable with 1 bits.  In receive Expert.  In transmit Expert.\n0\n", 0, "", 0},
  };
  for (const auto& k : cases) {
    init();
    EXPECT_EQ(first_pass(k.control), k.result) << k.what;
    EXPECT_EQ(log, k.log) << k.what;
    EXPECT_TRUE(holds(k.channel, k.values)) << k.what;
    if (k.status >= 0) {
      EXPECT_EQ(exit_status, k.status) << k.what;
    }
  }
}

// ---- print and help ----

TEST_F(Cmdin, PrintWordsAreAbbreviatedInEitherCase) {
  for (const char* word : {"table", "T", "tx"}) {
    init();
    EXPECT_EQ(first_pass(kModes + "print " + word + "\n"), 0) << word;
    EXPECT_EQ(g.printout, kOutTbl) << word;
    close_outputs();
    EXPECT_TRUE(cwd.dir.exists("ctl.tbl")) << word;
    std::remove("ctl.tbl");
  }
  init();
  EXPECT_EQ(first_pass(kModes + "print xyz\n"), 1);
  EXPECT_EQ(log, "Error: Unrecognized print command xyz\n\n"
                 "Error: Options are: analysis, debug, kx330, sim, table and hfile\n");
  EXPECT_EQ(g.printout, 0);
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

TEST_F(Cmdin, HelpListsMatchingVariablesInTableOrder) {
  EXPECT_EQ(first_pass("help agc_\n"), 0);
  // Buckets ascending, the newest registration first within a bucket.
  size_t at = 0;
  for (const char* name : {"agc_thresh", "agc_Dzro", "agc_freeze", "agc_max", "agc_Dblw", "agc_gain_out",
                           "agc_Dabv", "agc_Dsat", "agc_zero_cnt", "agc_sat_cnt", "agc_mode", "agc_tc",
                           "agc_zmag", "agc_hold", "agc_cf", "agc_min"}) {
    size_t found = log.find("\n" + std::string(name) + "  ", at);
    ASSERT_NE(found, std::string::npos) << name;
    at = found + 1;
  }
  EXPECT_TRUE(contains(log, "\nagc_max  Real-variable with 16 bits.  In receive Compute.  In transmit "
                            "NotUsed.\nAGC maximum adaption limit. Upper limit for adapted gain is "
                            "base_gain + agc_max\n"));
  EXPECT_EQ(log.find("\nagc_", at), std::string::npos);  // nothing else listed
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
  EXPECT_EQ(log, channel_warning("freq") + unrecognised(2, {"bogus"}));
}

// The override pass keeps modes and defaults (no mode error) and ends at a
// second override.
TEST_F(Cmdin, TheOverridePassKeepsModesAndDefaultsAndStopsAtASecondOverride) {
  EXPECT_EQ(first_pass(kModes + "override\nen_ck_loss 0\nchannel 0\nfreq 1\noverride\nfreq 2\n"), 0);
  EXPECT_EQ(override_pass(), 0);
  EXPECT_EQ(log, "");
  EXPECT_EQ(g.mode[0], 2);
  EXPECT_TRUE(holds(0, "en_ck_loss=0 freq=1"));
  init();
  over_ride = 0;
  EXPECT_EQ(first_pass(kModes + "channel 9\noverride\n"), 1);
  EXPECT_EQ(override_pass(), 1);  // the first pass's error is still returned
}

TEST_F(Cmdin, TheFirstPassClearsOriginalCoefficientMarksAndFirCoefFillsTheCurrentChannel) {
  for (CHAN& c : chan) c.origcoefs = 1;
  write("taps", "1\n2\n1\n");
  EXPECT_EQ(first_pass(kModes + "channel 2\nfir_coef taps\n"), 0);
  EXPECT_EQ((std::vector<int>{chan[0].origcoefs, chan[1].origcoefs, chan[2].origcoefs, chan[3].origcoefs}),
            (std::vector<int>{0, 0, 1, 0}));
  EXPECT_EQ(chan[2].ncoefs, 3);
  EXPECT_EQ(chan[0].ncoefs, -1);
}

