// Digits by hand: each formatter at its boundaries gives what the printf
// format it replaces gives, and text longer than a block keeps its order.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <functional>
#include <string>

#include "output/textblock.h"

namespace {

// What `write` puts through a block into a stream.
std::string through_block(const std::function<void(TextBlock&)>& write) {
  char* text = nullptr;
  size_t size = 0;
  std::FILE* f = open_memstream(&text, &size);
  {
    TextBlock out(f, nullptr);
    write(out);
  }
  std::fclose(f);
  std::string s(text, size);
  std::free(text);
  return s;
}

template <typename T>
std::string printf_of(const char* format, T v) {
  char text[400];
  std::snprintf(text, sizeof text, format, v);
  return text;
}

}  // namespace

// Registers print as "%x" of their low 16 bits, pages and the unmasked
// mixer entries as "%x" of the whole int (-1 is a direct page, or a mixer
// register that nothing wrote).
TEST(TextBlock, HexAsPrintfPrintsIt) {
  const struct {
    unsigned v;
    const char* text;
  } cases[] = {{0, "0"},       {0x9, "9"},        {0xa, "a"},           {0xf, "f"},
               {0x10, "10"},   {0xfff0, "fff0"},  {0xffff, "ffff"},     {0x10000, "10000"},
               {0x80000000u, "80000000"},          {static_cast<unsigned>(-1), "ffffffff"},
               {0x0fffffff, "fffffff"}};
  for (const auto& c : cases) {
    EXPECT_EQ(through_block([&](TextBlock& b) { b.hex(c.v); }), c.text) << c.text;
    EXPECT_EQ(c.text, printf_of("%x", c.v));
  }
}

// "%d", and "%5d" as the table pads its per-channel values.
TEST(TextBlock, DecimalAsPrintfPrintsIt) {
  const struct {
    int v;
    const char* plain;
    const char* width5;
  } cases[] = {{0, "0", "    0"},
               {-1, "-1", "   -1"},
               {9, "9", "    9"},
               {10, "10", "   10"},
               {9999, "9999", " 9999"},
               {-9999, "-9999", "-9999"},
               {65535, "65535", "65535"},
               {123456, "123456", "123456"},
               {INT_MAX, "2147483647", "2147483647"},
               {INT_MIN, "-2147483648", "-2147483648"}};
  for (const auto& c : cases) {
    EXPECT_EQ(through_block([&](TextBlock& b) { b.dec(c.v); }), c.plain);
    EXPECT_EQ(through_block([&](TextBlock& b) { b.dec(c.v, 5); }), c.width5);
    EXPECT_EQ(c.plain, printf_of("%d", c.v));
    EXPECT_EQ(c.width5, printf_of("%5d", c.v));
  }
}

// "%-20s" pads a name and never cuts a longer one; "%lf" is printf's own.
TEST(TextBlock, NamesAndDoublesAsPrintfPrintsThem) {
  const char* names[] = {"", "fck", "nineteen_characters", "twenty_characters_xx",
                         "twenty_one_characters"};
  for (const char* name : names)
    EXPECT_EQ(through_block([&](TextBlock& b) { b.padded(name, 20); }), printf_of("%-20s", name));
  EXPECT_EQ(through_block([](TextBlock& b) { b.padded("fck", 20); }), "fck                 ");

  // The rounding is of the double's exact value: 5e-7 lies just under the
  // half, 1.5e-6 just over it.
  const struct {
    double v;
    const char* text;
  } doubles[] = {{-1.0, "-1.000000"}, {0.1, "0.100000"},  {21.4, "21.400000"},
                 {-4e-7, "-0.000000"}, {5e-7, "0.000000"}, {1.5e-6, "0.000002"}};
  for (const auto& d : doubles)
    EXPECT_EQ(through_block([&](TextBlock& b) { b.fixed6(d.v); }), d.text);
  // Longer than the formatter's first try of 64 characters.
  EXPECT_EQ(through_block([](TextBlock& b) { b.fixed6(-1.7e308); }), printf_of("%lf", -1.7e308));
  EXPECT_EQ(printf_of("%lf", -1.7e308).size(), 317u);
}

// Lines that straddle the end of a block, and a text longer than a block,
// arrive whole and in order, through a stream and into an output's text
// (which grows past its first 64 KiB on the way).
TEST(TextBlock, TextBeyondOneBlockKeepsItsOrder) {
  std::string expected;
  const std::string big(TextBlock::kSize + 5, 'x');
  auto write = [&](TextBlock& b) {
    expected.clear();
    for (unsigned i = 0; i < 20000; ++i) {
      b.put("dwr16 ").hex(i).put(' ').dec(-static_cast<int>(i), 5).put('\n');
      expected += "dwr16 " + printf_of("%x", i) + " " + printf_of("%5d", -static_cast<int>(i)) + "\n";
    }
    b.put(big.data(), big.size());
    expected += big;
    b.put("end\n");
    expected += "end\n";
  };
  std::string got = through_block(write);
  EXPECT_GT(got.size(), 2 * TextBlock::kSize);
  EXPECT_EQ(got, expected);

  OutputText text;
  text.append("head\n", 5);
  {
    TextBlock out(nullptr, &text);
    write(out);
  }
  text.append("tail\n", 5);
  EXPECT_FALSE(text.failed());
  EXPECT_EQ(std::string(text.data(), text.size()), "head\n" + expected + "tail\n");
}
