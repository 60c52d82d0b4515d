// Coefficient files with their statistics, and copying one channel into
// another.
#include "chancopy.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <string>
#include <vector>

#include "cmdin.h"
#include "diag.h"
#include "driver.h"
#include "records.h"
#include "scratch_cwd.h"
#include "test_util.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

class Coefs : public ::testing::Test {
 protected:
  void SetUp() override { init(); }
  void TearDown() override { close_outputs(); }

  // Reads `text` as the coefficient file "taps" into channel `ch`; standard
  // error goes to `log`.
  void read(const std::string& text, int ch = 0) {
    cwd.dir.write("taps", text);
    CaptureStderr();
    readcoef(ch, "taps");
    log = GetCapturedStderr();
  }

  ScratchCwd cwd;
  std::string log;
};

// The numbers first, first + 1, ... one a line.
std::string lines(int count, int first = 1) {
  std::string text;
  for (int i = 0; i < count; ++i) text += std::to_string(first + i) + "\n";
  return text;
}

// ncoefs, coefsym, maxtap and sumtap of channel `ch`.
std::vector<int> statistics(int ch) {
  const CHAN& c = chan[ch];
  return {c.ncoefs, c.coefsym, c.maxtap, c.sumtap};
}

}  // namespace

// What each file yields: the taps read (lines without a leading number are
// skipped, caret-M ends a line's text, a line longer than a 99-character
// piece counts once, by its beginning), the symmetry, the largest tap (its magnitude when it comes
// first, keeping the sign of a later one), the magnitude of the sum, wrapped
// in 32 bits, and the reports.
TEST_F(Coefs, StatisticsAndReportsOfEachFile) {
  const struct {
    int ch;
    std::string text;
    std::vector<int> stats;  // ncoefs, coefsym, maxtap, sumtap
    std::vector<int> taps;   // the first coefficients read
    std::string log;
    int err, status;
  } cases[] = {
      {0, "1\n2\n3\n2\n1\n", {5, 1, 3, 9}, {1, 2, 3, 2, 1}, "", 0, 0},
      {2, "4\n-7\n-7\n4\n", {4, 2, -7, 6}, {4, -7}, "", 0, 0},
      {0, "-9\n3\n-8\n", {3, 0, 9, 14}, {-9}, "", 0, 0},
      {0, "1\n2\n; a comment\n\n", {2, 0, 2, 3}, {1, 2}, "", 0, 0},
      {0, "# head\n  -3 trailing words\n+4\nx5\n\t6\r\n", {3, 0, 6, 7}, {-3, 4, 6}, "", 0, 0},
      {0, "5^M7\n^M12\n8\n", {2, 0, 8, 13}, {5, 8}, "", 0, 0},
      // The 42 and the 13 begin pieces, not lines; nor does the rest of a long
      // 512th line make a 513th coefficient.
      {0, std::string(99, 'x') + "42\n7" + std::string(98, ' ') + "13\n" + std::string(250, '#') +
              "\n8\n",
       {2, 0, 8, 15}, {7, 8}, "", 0, 0},
      {0, lines(511) + "512" + std::string(100, ' ') + "99\n", {512, 0, 512, 512 * 513 / 2}, {1, 2},
       "", 0, 0},
      {0, "", {0, 2, 0, 0}, {}, "", 0, 0},
      {0, lines(512) + "; end\n# more\n", {512, 0, 512, 512 * 513 / 2}, {1, 2}, "", 0, 0},
      // A 513th integer straight after is too many (standard error only);
      // after a comment line it is not counted.
      {0, lines(512) + "\n \n  -513\n", {512, 0, 512, 512 * 513 / 2}, {1},
       "Too many coefficients in file: taps\n", 1, 0},
      {0, lines(512) + "; comment\n513\n", {512, 0, 512, 512 * 513 / 2}, {1}, "", 0, 0},
      {0, "1\n3000000000\n-2147483649 x\n2\n", {2, 0, 2, 3}, {1, 2},
       "Error: Coefficient out of range in file taps: 3000000000\n"
       "Error: Coefficient out of range in file taps: -2147483649 x\n", 1, 1},
      // The sum wraps to -2147483647; the magnitude of INT_MIN does not fit.
      {0, "2147483647\n2\n", {2, 0, 2147483647, 2147483647}, {}, "", 0, 0},
      {0, "-2147483648\n1\n", {2, 0, INT_MIN, 2147483647}, {}, "", 0, 0},
  };
  for (const auto& k : cases) {
    init();
    read(k.text, k.ch);
    const std::string what = k.text.substr(0, 40);
    EXPECT_EQ(statistics(k.ch), k.stats) << what;
    EXPECT_EQ(std::vector<int>(chan[k.ch].coefs, chan[k.ch].coefs + k.taps.size()), k.taps) << what;
    EXPECT_EQ(chan[k.ch].origcoefs, 1) << what;
    EXPECT_EQ(log, k.log) << what;
    EXPECT_EQ(err, k.err) << what;
    EXPECT_EQ(exit_status, k.status) << what;
  }
}

// One line each: the integer it begins with, and the lines refused because
// "%d" would misread them.
TEST(CoefficientLines, WhatEachLineHolds) {
  const struct {
    const char* line;
    CoefLine kind;
    int value;  // for kValue
  } cases[] = {
      {"123\n", CoefLine::kValue, 123},          {"  -7 ; tap 0\n", CoefLine::kValue, -7},
      {"+5 // centre", CoefLine::kValue, 5},     {"12abc", CoefLine::kValue, 12},
      {"4\r\n", CoefLine::kValue, 4},            {"8 - 5", CoefLine::kValue, 8},
      {"9e", CoefLine::kValue, 9},               {"6, tap", CoefLine::kValue, 6},
      {"3 \xE2\x88\x92" "5", CoefLine::kValue, 3},  // a typographic minus after the tap is text
      {"; 5\n", CoefLine::kNone, 0},             {"\n", CoefLine::kNone, 0},
      {".5", CoefLine::kNone, 0},                {"\xE2\x88\x92 5", CoefLine::kNone, 0},
      {"0.5\n", CoefLine::kNotAnInteger, 0},     {"-3.25", CoefLine::kNotAnInteger, 0},
      {"12.", CoefLine::kNotAnInteger, 0},       {"1e4", CoefLine::kNotAnInteger, 0},
      {"2E-1", CoefLine::kNotAnInteger, 0},      {"99999999999.5", CoefLine::kNotAnInteger, 0},
      {"100, 200", CoefLine::kSeveral, 0},       {"1 2 3", CoefLine::kSeveral, 0},
      {"5\t-6", CoefLine::kSeveral, 0},          {"7,.5", CoefLine::kSeveral, 0},
      {"\xE2\x88\x92" "5", CoefLine::kTypographicMinus, 0},
      {" \t\xE2\x80\x93" "12", CoefLine::kTypographicMinus, 0},
      {"99999999999", CoefLine::kOutOfRange, 0},
  };
  for (const auto& k : cases) {
    int v = -99;
    EXPECT_EQ(parse_coefficient(k.line, &v), k.kind) << k.line;
    EXPECT_EQ(v, k.kind == CoefLine::kValue ? k.value : -99) << k.line;
  }
}

// A byte-order mark counts only at the very start of the file, and the
// first line stays a whole line (the mark is not part of its 99 characters);
// refused lines are reported without their DOS line end and fail the pass.
TEST_F(Coefs, ByteOrderMarkAndRefusedLines) {
  const std::string bom = "\xEF\xBB\xBF";
  const struct {
    std::string text;
    std::vector<int> taps;
    std::string log;
  } cases[] = {
      {bom + "5\n6\n", {5, 6}, ""},
      {bom, {}, ""},
      {bom + std::string(98, ' ') + "7\n8\n", {7, 8}, ""},  // 7 is the 99th character
      {bom + std::string(99, ' ') + "7\n8\n", {8}, ""},     // the 100th: in the rest of the line
      {"5\n" + bom + "6\n", {5}, ""},
      {"1\n0.5\r\n2\n", {1, 2}, "Error: Coefficient is not an integer in file taps: 0.5\n"},
  };
  for (const auto& k : cases) {
    init();
    read(k.text);
    EXPECT_EQ(std::vector<int>(chan[0].coefs, chan[0].coefs + chan[0].ncoefs), k.taps) << k.text;
    EXPECT_EQ(log, k.log) << k.text;
    EXPECT_EQ(err, k.log.empty() ? 0 : 1) << k.text;
  }
}

TEST_F(Coefs, ASecondFileClearsWhatTheFirstLeft) {
  read("1\n2\n3\n4\n");
  read("9\n");
  EXPECT_EQ(chan[0].ncoefs, 1);
  EXPECT_EQ(std::vector<int>(chan[0].coefs, chan[0].coefs + 4), (std::vector<int>{9, 0, 0, 0}));
}

TEST_F(Coefs, AnUnopenableFileEndsTheRunAndReachesTheAnalysis) {
  myopen("ctl.txt", "anl", kOutAnl);
  // The run ends there; its analysis, which carries the report, replaces the file.
  EXPECT_EXIT(as_whole_run([] { readcoef(0, "nope.coef"); }), testing::ExitedWithCode(1),
              "^Couldn't open coefficient file: nope.coef\n$");
  EXPECT_EQ(cwd.dir.read("ctl.anl"), "Couldn't open coefficient file: nope.coef\n");
  discard_outputs();
  ASSERT_EQ(::mkdir(cwd.dir.file("taps.d").c_str(), 0755), 0);  // a directory opens but cannot be read
  EXPECT_EXIT(as_whole_run([] { readcoef(0, "taps.d"); }),
              testing::ExitedWithCode(1),
              "^Couldn't open coefficient file: taps.d: not a regular file\n$");
}

// ---- copy_channel ----

TEST(CopyChannel, CopiesVariablesAndCoefficientsButNotOrigcoefs) {
  init();
  declare_modes(2, 2);
  CHAN& a = chan[0];
  a.gain = 1.5, a.fir_dec = 4, a.coef_ofsc = 3, a.sumtap = 21, a.ncoefs = 3, a.coefs[2] = 77;
  a.origcoefs = 1, a.fsample = 10.0;
  chan[1].fsample = 20.0;
  chan[1].coefs[100] = 5;
  copy_channel(1, 0);
  const CHAN& b = chan[1];
  // Variables and coefficients (the unused ones cleared), but neither the
  // mark of an original file nor the program's own fields.
  EXPECT_EQ((std::vector<double>{b.gain, double(b.fir_dec), double(b.coef_ofsc), double(b.sumtap),
                                 double(b.ncoefs), double(b.coefs[2]), double(b.coefs[100]),
                                 double(b.origcoefs), b.fsample}),
            (std::vector<double>{1.5, 4, 3, 21, 3, 77, 0, 0, 20.0}));
  EXPECT_EQ(exit_status, 0);
}

// Pairs of one direction copy across pairs; undeclared pairs count as equal.
TEST(CopyChannel, OnlyPairsOfOneDirectionCopy) {
  const struct {
    int mode_ab, mode_cd;
    bool copies;
  } cases[] = {{1, 1, true}, {2, 1, false}, {-1, -1, true}, {2, -1, false}};
  for (const auto& k : cases) {
    init();
    g.mode[0] = k.mode_ab;
    g.mode[1] = k.mode_cd;
    chan[2].freq = 2.0;
    CaptureStderr();
    copy_channel(0, 2);
    EXPECT_EQ(GetCapturedStderr(), k.copies ? "" : "Error: Cant copy transmit <-> receive channels\n");
    EXPECT_EQ(chan[0].freq, k.copies ? 2.0 : -1.0);
    EXPECT_EQ(exit_status, k.copies ? 0 : 1);
    EXPECT_EQ(err, 0);
  }
}
