// Number words: where a number begins, what carries an integer on as a
// fraction or exponent, and decimal fractions taken as whole numbers.
#include "numword.h"

#include <gtest/gtest.h>

#include <climits>

TEST(NumberWords, WhereANumberBegins) {
  const struct {
    const char* text;
    bool number;
  } cases[] = {{"4", true},   {"-3", true},    {"+2", true},  {".5", true},  {"-.5", true},
               {"16MHz", true}, {"0x10", true}, {"", false},   {"-", false},  {".", false},
               {"-.x", false}, {"e5", false},   {"eight", false}, {"+-1", false}, {"--1", false}};
  for (const auto& k : cases) EXPECT_EQ(begins_with_number(k.text), k.number) << k.text;
}

// What stands right after an integer's digits.
TEST(NumberWords, FractionOrExponentAfterTheDigits) {
  const struct {
    const char* text;
    bool follows;
  } cases[] = {{".5", true}, {".", true},  {".x", true},  {"e4", true}, {"E-2", true}, {"e+3", true},
               {"", false},  {"e", false}, {"eh", false}, {"e+", false}, {"x1", false}, {" .5", false}};
  for (const auto& k : cases) EXPECT_EQ(fraction_or_exponent_follows(k.text), k.follows) << k.text;
}

TEST(NumberWords, DecimalWordsWithAFractionOrExponent) {
  const struct {
    const char* word;
    bool has;
  } cases[] = {{"16.0", true}, {"1e3", true},   {"-.5", true},  {"12.", true},   {"+1.5e1", true},
               {"10.5MHz", true}, {"12", false}, {"1e", false},  {"0x1f", false}, {"0x1.8", false},
               {".", false},   {"-", false},     {"abc", false}, {"12abc", false}};
  for (const auto& k : cases) EXPECT_EQ(has_fraction_or_exponent(k.word), k.has) << k.word;
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
