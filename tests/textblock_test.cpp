// The writers' formatters against the printf formats they replace, at their
// boundaries; text longer than a block keeps its order.
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
  std::string text(400, '\0');
  text.resize(std::snprintf(&text[0], text.size(), format, v));
  return text;
}

}  // namespace

// Registers and pages as "%x" (-1 a direct page), values as "%d" and "%5d",
// names as "%-20s" (never cut), reals as "%lf" (rounding the double's exact
// value: 5e-7 lies just under the half; -1.7e308 is longer than the
// formatter's first try of 64 characters).
TEST(TextBlock, FormatsAsPrintf) {
  for (unsigned v : {0u, 9u, 0xau, 0xfu, 0x10u, 0xfff0u, 0xffffu, 0x10000u, 0x0fffffffu, 0x80000000u, ~0u})
    EXPECT_EQ(through_block([&](TextBlock& b) { b.hex(v); }), printf_of("%x", v)) << v;
  for (int v : {0, -1, 9, 10, 9999, -9999, 65535, 123456, INT_MAX, INT_MIN}) {
    EXPECT_EQ(through_block([&](TextBlock& b) { b.dec(v); }), printf_of("%d", v)) << v;
    EXPECT_EQ(through_block([&](TextBlock& b) { b.dec(v, 5); }), printf_of("%5d", v)) << v;
  }
  for (const char* name : {"", "fck", "nineteen_characters", "twenty_characters_xx", "twenty_one_characters"})
    EXPECT_EQ(through_block([&](TextBlock& b) { b.padded(name, 20); }), printf_of("%-20s", name));
  for (double v : {-1.0, 0.1, 21.4, -4e-7, 5e-7, 1.5e-6, -1.7e308})
    EXPECT_EQ(through_block([&](TextBlock& b) { b.fixed6(v); }), printf_of("%lf", v)) << v;
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
    b.put(big.data(), big.size()).put("end\n");
    expected += big + "end\n";
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
