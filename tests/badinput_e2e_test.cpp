// Every bad input listed in docs/bad-input.md, run through the real binary in
// a scratch directory: the message, the exit status and the files left
// behind. One test (or one table of cases) per row of that document.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "e2e.h"

namespace {

using Files = std::set<std::string>;

const std::string kBanner = "cmd7420 - revWorking, Feb 14 2005\n";
const std::string kTmp = "cmd7420TmpCmdFile";

// Channels C and D are powered down but keep a CIC count and port widths.
const std::string kIdleCD =
    "channel 2\ncic_dec 4\npins 16\nbits 16\nchannel 3\ncic_dec 4\npins 16\nbits 16\n";

// Channels A and B receive through a CIC of 4 and the shipped half-band
// filter decimating by 2: a clean run. `chip` goes before the channels,
// `chan0` at the end of channel A's section (so it wins over the settings
// above it, and channel B copies it).
std::string receive_control(const std::string& chip = "", const std::string& chan0 = "") {
  return "mode ab receive\nmode cd receive\npwr_dwn_cic_CD 1\nfck 100\n" + chip +
         "channel 0\nfir_coef hb.coef\nfreq 10\noverall_gain 1\ncic_dec 4\nfir_dec 2\n"
         "mix_rcv_sel 0\npins 16\nbits 16\n" +
         chan0 + "channel 1\ncopy_channel 0\n" + kIdleCD + "print analysis\nprint kx330\n";
}

// Channels A and B transmit complex data, interpolating by 2 into a CIC of 8.
std::string transmit_control(const std::string& chip = "", const std::string& chan0 = "") {
  return "mode ab transmit\nmode cd receive\npwr_dwn_cic_CD 1\nfck 100\ntout_nsig 2\n" + chip +
         "channel 0\nfir_coef hb.coef\nfreq 10\noverall_gain 1\ncic_int 8\ntinf_cmplx 1\n"
         "fir_int 2\npins 16\nbits 16\n" +
         chan0 + "channel 1\ncopy_channel 0\n" + kIdleCD + "print analysis\nprint kx330\n";
}

std::string halfband() { return read_file(examples_dir() + "/halfband21.coef"); }

// The scratch directory with the half-band coefficients in it.
struct RunDir : ScratchDir {
  RunDir() { write("hb.coef", halfband()); }
  Files files() const {
    Files names;
    if (DIR* d = opendir(path.c_str())) {
      while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name != "." && name != "..") names.insert(name);
      }
      closedir(d);
    }
    return names;
  }
};

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

bool starts_with(const std::string& text, const std::string& head) {
  return text.compare(0, head.size(), head) == 0;
}

// True when `text` (an output file) carries the error `msg` in its located
// form "Error(module Lline): msg".
bool carries_error(const std::string& text, const std::string& msg) {
  for (size_t at = text.find("): " + msg + "\n"); at != std::string::npos;
       at = text.find("): " + msg + "\n", at + 1)) {
    size_t line = text.rfind('\n', at);
    line = line == std::string::npos ? 0 : line + 1;
    if (starts_with(text.substr(line), "Error(")) return true;
  }
  return false;
}

int occurrences(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

std::string quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs the binary without the power to write where its owner may not: as
// root, without the capabilities that override file permissions. Returns
// false when that cannot be arranged here.
bool run_without_override(const ScratchDir& dir, const std::string& arg, RunResult* r) {
  std::string prefix;
  if (geteuid() == 0) {
    if (std::system("setpriv --help >/dev/null 2>&1") != 0) return false;
    prefix = "setpriv --bounding-set -dac_override,-dac_read_search ";
  }
  ScratchDir logs;  // the run's own directory may not take them
  std::string cmd = "cd " + quote(dir.path) + " && " + prefix + quote(CMD7420_BIN) + " " +
                    quote(arg) + " >" + quote(logs.file("out")) + " 2>" + quote(logs.file("err")) +
                    " </dev/null";
  int raw = std::system(cmd.c_str());
  r->status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r->out = logs.read("out");
  r->err = logs.read("err");
  return true;
}

}  // namespace

// The clean runs that the rows below spoil one setting at a time.
TEST(BadInput, TheBaseControlFilesRunCleanly) {
  for (const std::string& control : {receive_control(), transmit_control()}) {
    RunDir dir;
    dir.write("rx.txt", control);
    RunResult r = run_cmd7420(dir, {"rx.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(contains(r.err, "Error")) << r.err;
    EXPECT_EQ(dir.files(), (Files{"hb.coef", "rx.txt", kTmp, "rx.anl", "rx.kx330"}));
  }
}

// ---- The control file itself ----

TEST(BadInput, ControlFileMissingUnderAllFourNames) {
  ScratchDir dir;
  // absent.cfg, absent, absent.tq7420 and absent.txt are all tried.
  RunResult r = run_cmd7420(dir, {"absent.cfg"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "Error: Couldn't open command file absent.cfg\n");
  EXPECT_EQ(dir.read(kTmp), "");
}

TEST(BadInput, DirectoryAsControlFile) {
  ScratchDir dir;
  ASSERT_EQ(mkdir(dir.file("cfg").c_str(), 0755), 0);
  RunResult r = run_cmd7420(dir, {"cfg"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Error: Couldn't open command file cfg: not a regular file\n");

  // The directory is passed over in the lookup, not read as an empty file.
  dir.write("cfg.txt", "bogus\n");
  r = run_cmd7420(dir, {"cfg"});
  EXPECT_EQ(r.err, "Error: Unrecognized command on line 1: bogus\n\n");
}

TEST(BadInput, EmptyControlFile) {
  RunDir dir;
  dir.write("empty.txt", "");
  RunResult r = run_cmd7420(dir, {"empty.txt"});
  // No mode and no power-down settings: every channel counts as powered
  // down, the mandatory check passes, and the unset sync mode is reported.
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "-1\n-1\n-1\n-1\n");
  EXPECT_TRUE(starts_with(r.err, kBanner));
  EXPECT_EQ(occurrences(r.err, "Error: sync_mode unknown! Must be from 0 - 9.\n"), 4);
  EXPECT_EQ(dir.files(), (Files{"hb.coef", "empty.txt", kTmp}));
  EXPECT_EQ(dir.read(kTmp), "\n");
}

TEST(BadInput, BinaryControlFile) {
  ScratchDir dir;
  dir.write("bin", std::string("\x7f" "ELF\x02\x01\x00\n\xff\xfe\n", 11));
  RunResult r = run_cmd7420(dir, {"bin"});
  const std::string deleted = "If there are problems, delete and re-write the line by hand.\n";
  std::string expected;
  for (int i = 0; i < 4; ++i)
    expected += "Warning: Non ascii character on line 1; character was deleted.\n" + deleted;
  for (int i = 0; i < 2; ++i)
    expected += "Warning: Non ascii character on line 2; character was deleted.\n" + deleted;
  expected += "Error: Unrecognized command on line 1: ELF\n\n";
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, expected);
  EXPECT_EQ(dir.read(kTmp), "ELF\n\n\n");
}

TEST(BadInput, ControlLineLongerThanAReadPiece) {
  RunDir dir;
  // 998 characters and the line end fill a piece exactly.
  dir.write("fits.txt", receive_control("#" + std::string(997, 'x') + "\n"));
  RunResult r = run_cmd7420(dir, {"fits.txt"});
  EXPECT_EQ(r.status, 0) << r.err;

  dir.write("long.txt", receive_control("#" + std::string(998, 'x') + "\n"));
  r = run_cmd7420(dir, {"long.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Error: Line 5 of long.txt is too long\n");
  EXPECT_FALSE(dir.exists("long.anl"));
}

TEST(BadInput, CoefficientLineLongerThanAReadPiece) {
  RunDir dir;
  dir.write("rx.txt", receive_control());
  ASSERT_EQ(run_cmd7420(dir, {"rx.txt"}).status, 0);
  const std::string plain = dir.read("rx.kx330");

  // A 150-character comment with a number where the second piece begins.
  dir.write("hb.coef", "; design notes" + std::string(85, ' ') + "  42 taps, see above" +
                           std::string(30, '.') + "\n" + halfband());
  RunResult r = run_cmd7420(dir, {"rx.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(dir.read("rx.kx330"), plain);
}

TEST(BadInput, IncludeCycleAndSelfInclude) {
  RunDir dir;
  dir.write("ping.txt", "mode ab receive\ninclude pong\n");
  dir.write("pong.txt", "include ping\n");
  RunResult r = run_cmd7420(dir, {"ping.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Error: Include files nested too deeply: ping\n");

  // Twice in itself: the first chain reaches the limit, so the run ends
  // without walking the doubling tree of includes.
  dir.write("self.txt", "include self.txt\ninclude self.txt\n");
  r = run_cmd7420(dir, {"self.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Error: Include files nested too deeply: self.txt\n");
  EXPECT_EQ(dir.files(), (Files{"hb.coef", "ping.txt", "pong.txt", "self.txt", kTmp}));
}

TEST(BadInput, IncludeOfTheTemporaryCommandFile) {
  ScratchDir dir;
  dir.write("a.txt", "mode ab receive\ninclude cmd7420TmpCmdFile\n");
  RunResult r = run_cmd7420(dir, {"a.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Error: cmd7420TmpCmdFile is the temporary command file\n");
}

TEST(BadInput, TemporaryCommandFileAsControlFile) {
  ScratchDir dir;
  const std::string control = "mode ab receive\nmode cd receive\n";
  dir.write(kTmp, control);
  RunResult r = run_cmd7420(dir, {kTmp});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Error: cmd7420TmpCmdFile is the temporary command file\n");
  EXPECT_EQ(dir.read(kTmp), control);  // not emptied
}

TEST(BadInput, ControlFileNamedLikeItsOutput) {
  RunDir dir;
  const std::string control = receive_control();
  dir.write("rx.anl", control);
  RunResult r = run_cmd7420(dir, {"rx.anl"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Couldn't open rx.anl: it is the control file or one it includes\n");
  EXPECT_EQ(dir.read("rx.anl"), control);
  EXPECT_EQ(dir.files(), (Files{"hb.coef", "rx.anl", kTmp}));
}

// ---- Coefficient files ----

TEST(BadInput, MissingCoefficientFile) {
  RunDir dir;
  dir.write("rx.txt", "print analysis\n" + receive_control("", "fir_coef none.coef\n"));
  RunResult r = run_cmd7420(dir, {"rx.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "Couldn't open coefficient file: none.coef\n");
  EXPECT_EQ(dir.read("rx.anl"), "Couldn't open coefficient file: none.coef\n");
  EXPECT_EQ(dir.files(), (Files{"hb.coef", "rx.txt", kTmp, "rx.anl"}));
}

TEST(BadInput, FiveHundredThirteenCoefficients) {
  RunDir dir;
  std::string many;
  for (int i = 1; i <= 513; ++i) many += std::to_string(i % 7 - 3) + "\n";
  dir.write("many.coef", many);
  dir.write("rx.txt", receive_control("", "fir_coef many.coef\n"));
  RunResult r = run_cmd7420(dir, {"rx.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Too many coefficients in file: many.coef\n");  // nothing computed
  // The analysis opened by a later print line carries this run's (no) reports;
  // there is no register image.
  EXPECT_EQ(dir.files(), (Files{"hb.coef", "many.coef", "rx.txt", kTmp, "rx.anl"}));
  EXPECT_EQ(dir.read("rx.anl"), "");
}

TEST(BadInput, CoefficientOutOfRange) {
  RunDir dir;
  dir.write("big.coef", "1\n99999999999\n1\n");
  dir.write("rx.txt", receive_control("", "fir_coef big.coef\n"));
  RunResult r = run_cmd7420(dir, {"rx.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Error: Coefficient out of range in file big.coef: 99999999999\n");
}

// ---- Values ----

struct ValueCase {
  const char* line;     // put at the end of channel A's section
  const char* message;  // all of standard error
};

TEST(BadInput, NonNumericAndOutOfRangeValuesStopAfterTheFirstPass) {
  const ValueCase cases[] = {
      {"fck abc", "Error: Value of fck is not a number: abc\n"},
      {"cic_dec 0x", "Error: Value of cic_dec is not a number: 0x\n"},
      {"freq nan", "Error: Value of freq is not a number: nan\n"},
      {"fck 1e999", "Error: Value of fck is not a number: 1e999\n"},
      {"cic_dec 99999999999", "Error: Value of cic_dec is out of range: 99999999999\n"},
      {"cic_dec 0x100000000", "Error: Value of cic_dec is out of range: 0x100000000\n"},
      {"cic_dec 4096",
       "Error: cic_dec has only 12 bits\n"
       "Usage: CIC decimate amount in receive mode.  Must be even when rin_rate=2.\n\n"},
      {"cic_dec -4",
       "Error: cic_dec has only 12 bits\n"
       "Usage: CIC decimate amount in receive mode.  Must be even when rin_rate=2.\n\n"},
      {"channel 4", "channel must be between 0 and 3\n"},
      {"channel x", "channel must be between 0 and 3\n"},
      {"copy_channel -1", "copy_channel must be between 0 and 3\n"},
  };
  for (const ValueCase& c : cases) {
    RunDir dir;
    dir.write("rx.txt", receive_control("", std::string(c.line) + "\n"));
    RunResult r = run_cmd7420(dir, {"rx.txt"});
    EXPECT_EQ(r.status, 1) << c.line;
    EXPECT_EQ(r.err, c.message) << c.line;
    EXPECT_EQ(r.out, "") << c.line;
    EXPECT_FALSE(dir.exists("rx.kx330")) << c.line;
  }
}

// The gain block's word has 19 bits (gain 1.0 is 4096): a receive gain that
// does not fit is held to the range and reported; a transmit gain is reported
// by the check of transmit settings.
TEST(BadInput, GainBeyondTheGainWord) {
  struct {
    bool transmit;
    const char* gain;
    const char* message;
  } cases[] = {
      {false, "gain 200", "Error: gain must be at least 0 and below 128\n"},
      {false, "gain 128", "Error: gain must be at least 0 and below 128\n"},
      {false, "gain -2", "Error: gain must be at least 0 and below 128\n"},
      {true, "gain 200", "Error: gain can not be larger than 128\n\n"},
  };
  for (const auto& c : cases) {
    RunDir dir;
    std::string chan0 = std::string(c.gain) + "\nprint table\n";
    dir.write("rx.txt", c.transmit ? transmit_control("", chan0) : receive_control("", chan0));
    RunResult r = run_cmd7420(dir, {"rx.txt"});
    EXPECT_EQ(r.status, 1) << c.gain;
    EXPECT_EQ(occurrences(r.err, c.message), 2) << c.gain << r.err;  // channels A and B
  }
  // Just below 128 fits: 127.99 x 4096 + 0.5 gives the word 0x7FFD7.
  RunDir dir;
  dir.write("rx.txt", receive_control("", "gain 127.99\nprint table\n"));
  RunResult r = run_cmd7420(dir, {"rx.txt"});
  EXPECT_FALSE(contains(r.err, "gain must be")) << r.err;
  EXPECT_TRUE(contains(dir.read("rx.tbl"), "\ngain_lsb             65495 65495    -1    -1\n"));
  EXPECT_TRUE(contains(dir.read("rx.tbl"), "\ngain_msb                 7     7    -1    -1\n"));
}

// ---- Zero where the program divides ----

struct ZeroCase {
  bool transmit;
  const char* chip;       // chip-wide lines
  const char* chan0;      // channel A lines
  const char* message;    // the short form on standard error
  int times;              // how often it is reported
  int status;
};

TEST(BadInput, ZeroDivisorsAreReportedAndNeverDivided) {
  const ZeroCase cases[] = {
      {false, "", "fir_dec 0", "fir_dec must not be 0; PFIR of channel 0 not planned", 1, 1},
      {false, "", "fir_nchan 0", "fir_nchan must not be 0; PFIR of channel 0 not planned", 1, 1},
      {true, "", "fir_int 0", "fir_int must not be 0; PFIR of channel 0 not planned", 1, 1},
      {false, "", "pins 0", "Pins must be 4,8, or 16", 2, 1},
      {false, "", "bits 0", "Bits must be 4,8,12,16, or 20", 2, 1},
      {true, "", "pins 0", "Pins must be 4,8, or 16", 2, 1},
      {false, "", "cic_dec 0", "cic_dec must not be 0", 2, 1},
      {true, "tout_nsig 0\n", "", "tout_nsig must be 1, 2 or 4", 1, 1},
      {true, "tout_rate 3\n", "", "tout_rate must be 0, 1 or 2 (half, full or double rate)", 1, 1},
      // The tuning frequency is a fraction of the clock.
      {false, "fck 0\n", "", "Can not convert freq to frequency words; check freq and fck", 2, 1},
      // With no interpolation the transmit PFIR has no input rate, and the
      // planner cannot go on.
      {true, "", "cic_int 0", "cic_int must not be 0", 1, 255},
  };
  for (const ZeroCase& c : cases) {
    RunDir dir;
    std::string chip = c.chip, chan0 = std::string(c.chan0) + "\n";
    dir.write("rx.txt", c.transmit ? transmit_control(chip, chan0) : receive_control(chip, chan0));
    RunResult r = run_cmd7420(dir, {"rx.txt"});
    std::string what = std::string(c.chip) + c.chan0;
    EXPECT_EQ(r.status, c.status) << what << r.err;
    EXPECT_TRUE(starts_with(r.err, kBanner)) << what;
    EXPECT_EQ(occurrences(r.err, "Error: " + std::string(c.message) + "\n"), c.times)
        << what << r.err;
    // The outputs carry the error with its module and line; when the planner
    // gives up there is no register image.
    EXPECT_TRUE(carries_error(dir.read("rx.anl"), c.message)) << what;
    if (c.status == 255) {
      EXPECT_EQ(dir.files(), (Files{"hb.coef", "rx.txt", kTmp, "rx.anl"})) << what;
      continue;
    }
    EXPECT_TRUE(carries_error(dir.read("rx.kx330"), c.message)) << what;
    EXPECT_EQ(dir.files(), (Files{"hb.coef", "rx.txt", kTmp, "rx.anl", "rx.kx330"})) << what;
  }
}

TEST(BadInput, SlowClockDividerZeroDividesByOne) {
  for (const std::string& control :
       {receive_control("", "sck_div 0\n"), transmit_control("", "sck_div 0\n")}) {
    RunDir dir;
    dir.write("rx.txt", control);
    RunResult r = run_cmd7420(dir, {"rx.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
  }
}

TEST(BadInput, UnsetSlowClockDividerWithoutBothModes) {
  // Without "mode cd" the defaults never run, so sck_div stays -1 and the
  // divider sck_div + 1 is 0: reported, never divided by.
  RunDir dir;
  std::string control = receive_control();
  control.erase(control.find("mode cd receive\n"), 16);
  dir.write("rx.txt", control);
  RunResult r = run_cmd7420(dir, {"rx.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(starts_with(
      r.err, "Error: Must set mode ab and mode cd before setting other variables\n\n"));
  EXPECT_TRUE(contains(r.err, kBanner));
}

// ---- Where the program writes ----

TEST(BadInput, UnwritableOutputDirectory) {
  RunDir dir;
  ASSERT_EQ(mkdir(dir.file("ro").c_str(), 0755), 0);
  dir.write("ro/rx.txt", receive_control());
  ASSERT_EQ(chmod(dir.file("ro").c_str(), 0555), 0);
  RunResult r;
  bool ran = run_without_override(dir, "ro/rx.txt", &r);
  chmod(dir.file("ro").c_str(), 0755);
  if (!ran) GTEST_SKIP() << "cannot drop the permission override here";
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Couldn't open ro/rx.anl\n");
  EXPECT_EQ(dir.files(), (Files{"hb.coef", "ro", kTmp}));
}

TEST(BadInput, ReadOnlyOutputFile) {
  RunDir dir;
  dir.write("rx.txt", receive_control());
  dir.write("rx.kx330", "kept\n");
  ASSERT_EQ(chmod(dir.file("rx.kx330").c_str(), 0444), 0);
  RunResult r;
  if (!run_without_override(dir, "rx.txt", &r)) GTEST_SKIP() << "cannot drop the permission override here";
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Couldn't open rx.kx330\n");
  EXPECT_EQ(dir.read("rx.kx330"), "kept\n");
}

TEST(BadInput, UnwritableTemporaryCommandFile) {
  RunDir dir;
  dir.write("rx.txt", receive_control());
  ASSERT_EQ(mkdir(dir.file(kTmp).c_str(), 0755), 0);
  RunResult r = run_cmd7420(dir, {"rx.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Error: Could not open temporary command file for writing\n");
  EXPECT_EQ(dir.files(), (Files{"hb.coef", "rx.txt", kTmp}));
}

TEST(BadInput, ReadOnlyWorkingDirectory) {
  RunDir dir;
  dir.write("rx.txt", receive_control());
  ASSERT_EQ(chmod(dir.path.c_str(), 0555), 0);
  RunResult r;
  bool ran = run_without_override(dir, "rx.txt", &r);
  chmod(dir.path.c_str(), 0700);
  if (!ran) GTEST_SKIP() << "cannot drop the permission override here";
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Error: Could not open temporary command file for writing\n");
  EXPECT_EQ(dir.files(), (Files{"hb.coef", "rx.txt"}));
}

// ---- Very long names ----

TEST(BadInput, VeryLongNames) {
  RunDir dir;
  // Longer than a file name may be, and longer than 2550 characters.
  for (size_t n : {300u, 3000u}) {
    std::string name(n, 'n');
    RunResult r = run_cmd7420(dir, {name});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Error: Couldn't open command file " + name + "\n");
  }

  // A control file whose name fits, but not with the extension "kx330".
  std::string name(250, 'n');
  dir.write(name + ".txt", receive_control());
  RunResult r = run_cmd7420(dir, {name + ".txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Couldn't open " + name + ".kx330\n");
  EXPECT_TRUE(dir.exists(name + ".anl"));

  std::string word(900, 'w');
  dir.write("inc.txt", "include " + word + "\n");
  r = run_cmd7420(dir, {"inc.txt"});
  EXPECT_EQ(r.err, "Error: Couldn't open command file " + word + "\n");

  dir.write("coef.txt", receive_control("", "fir_coef " + word + "\n"));
  r = run_cmd7420(dir, {"coef.txt"});
  EXPECT_EQ(r.err, "Couldn't open coefficient file: " + word + "\n");

  dir.write("word.txt", "mode ab receive\n" + word + " 1\n");
  r = run_cmd7420(dir, {"word.txt"});
  EXPECT_EQ(r.err, "Error: Unrecognized command on line 2: " + word + "\n\n");
}
