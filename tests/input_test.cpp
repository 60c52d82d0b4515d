// Reading words and lines: where a number begins in a control-file word,
// what a coefficient line holds, and how a control file is cleaned into the
// temporary command file.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <climits>
#include <fstream>
#include <string>
#include <vector>

#include "input/chancopy.h"
#include "input/cleaning.h"
#include "input/cmdin.h"
#include "driver/driver.h"
#include "input/numword.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

// Where a number begins; what carries an integer's digits on as a fraction
// or an exponent; a decimal word written with one.
TEST(NumberWords, BeginningsFractionsAndExponents) {
  const struct {
    bool (*rule)(const char*);
    std::vector<const char*> yes, no;
  } rules[] = {
      {begins_with_number, {"4", "-3", "+2", ".5", "-.5", "16MHz", "0x10"},
       {"", "-", ".", "-.x", "e5", "eight", "+-1", "--1"}},
      {fraction_or_exponent_follows, {".5", ".", ".x", "e4", "E-2", "e+3"}, {"", "e", "eh", "e+", "x1", " .5"}},
      {has_fraction_or_exponent, {"16.0", "1e3", "-.5", "12.", "+1.5e1", "10.5MHz"},
       {"12", "1e", "0x1f", "0x1.8", ".", "-", "abc", "12abc"}},
  };
  for (const auto& r : rules) {
    for (const char* w : r.yes) EXPECT_TRUE(r.rule(w)) << w;
    for (const char* w : r.no) EXPECT_FALSE(r.rule(w)) << w;
  }
}

TEST(NumberWords, WholeNumbers) {
  const struct {
    const char* word;
    WholeNumber kind;
    int value;  // when whole
  } cases[] = {
      {"16.0", WholeNumber::kWhole, 16},      {"1e3", WholeNumber::kWhole, 1000},
      {"1.5e1", WholeNumber::kWhole, 15},     {"12.", WholeNumber::kWhole, 12},
      {"-4.000", WholeNumber::kWhole, -4},    {"-0.0", WholeNumber::kWhole, 0},
      {"16.0MHz", WholeNumber::kWhole, 16},   {"2147483647.0", WholeNumber::kWhole, INT_MAX},
      {"-2147483648e0", WholeNumber::kWhole, INT_MIN},
      {"10.5", WholeNumber::kNotWhole, 0},    {"-.5", WholeNumber::kNotWhole, 0},
      {"1e-3", WholeNumber::kNotWhole, 0},    {"1e-400", WholeNumber::kNotWhole, 0},
      {"2147483648.5", WholeNumber::kNotWhole, 0},
      {"2147483648.0", WholeNumber::kOutOfRange, 0}, {"1e10", WholeNumber::kOutOfRange, 0},
      {"-1e400", WholeNumber::kOutOfRange, 0},
  };
  for (const auto& k : cases) {
    int v = -99;
    EXPECT_EQ(whole_number(k.word, &v), k.kind) << k.word;
    EXPECT_EQ(v, k.kind == WholeNumber::kWhole ? k.value : -99) << k.word;
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

namespace {

// A scratch directory as the current one, for the files the cleaning reads.
class Cleaning : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/cmd7420_input_XXXXXX";
    ASSERT_TRUE(getcwd(previous, sizeof previous) && mkdtemp(tmpl) && chdir(tmpl) == 0);
    dir = tmpl;
    init();
  }
  void TearDown() override {
    reset_cmdin();
    if (chdir(previous) != 0 || std::system(("rm -rf " + dir).c_str()) != 0) ADD_FAILURE();
  }
  static void write(const std::string& name, const std::string& text) { std::ofstream(name) << text; }
  // Cleans `name` and returns the cleaned text; standard error goes to `log`.
  std::string clean(const std::string& name) {
    CaptureStderr();
    createTmpCmdFile(name);
    log = GetCapturedStderr();
    return expanded_text();
  }
  char previous[4096] = {};
  std::string dir, log;
};

std::string non_ascii(int line) {
  return "Warning: Non ascii character on line " + std::to_string(line) +
         "; character was deleted.\nIf there are problems, delete and re-write the line by hand.\n";
}

}  // namespace

// Blank lines go, caret-M cuts the rest of its line, non-ASCII characters
// (carriage returns among them) go with a warning each, every file ends with
// an empty line, lines of up to 999 characters pass whole, and an include
// inserts its cleaned file in place.
TEST_F(Cleaning, RewritesTheLinesOfAFile) {
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
    write("ctl.txt", k.text);
    EXPECT_EQ(clean("ctl.txt"), k.cleaned) << k.text;
    EXPECT_EQ(log, k.log) << k.text;
  }
  // Includes nest 32 files deep at most.
  for (int i = 1; i <= 32; ++i)
    write("m" + std::to_string(i), i < 32 ? "include m" + std::to_string(i + 1) + "\n" : "v 1\n");
  EXPECT_EQ(clean("m1"), "v 1\n" + std::string(32, '\n'));
}
