// The NCO frequency the summary reads back from the frequency words: the
// worked words of the user guide and the wrap of a negative tuning.
#include <gtest/gtest.h>

#include "output/summary.h"

TEST(ProgrammedFrequency, WordsBackToMegahertz) {
  // 0x4000 of 0x10000 is a quarter of the clock; 0xC000 is three quarters,
  // -25 MHz for a negative tuning.
  EXPECT_EQ(programmed_frequency(0x4000, 0, 0, 100.0, false), 25.0);
  EXPECT_EQ(programmed_frequency(0xC000, 0, 0, 100.0, true), -25.0);
  // 10.7 MHz at 100 MHz: 7012 + 23068 / 2^16 + 44040 / 2^32 of 2^16, less
  // than a word of 2^-48 below the tuning.
  double f = programmed_frequency(7012, 23068, 44040, 100.0, false);
  EXPECT_LT(f, 10.7);
  EXPECT_GT(f, 10.7 - 100.0 / 281474976710656.0);
  // An unset word packs as 0.
  EXPECT_EQ(programmed_frequency(0x2000, -1, -1, 80.0, false), 10.0);
}
