// 32-bit wrapping arithmetic, division without dividing by zero, and the
// held conversion of doubles to int.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "numeric.h"

TEST(WrapArithmetic, WrapsModulo32Bits) {
  EXPECT_EQ(wrap_add(INT_MAX, 1), INT_MIN);
  EXPECT_EQ(wrap_sub(INT_MIN, 1), INT_MAX);
  EXPECT_EQ(wrap_mul(65536, 65536), 0);
  EXPECT_EQ(wrap_mul(-3, 7), -21);
  EXPECT_EQ(wrap_div(INT_MIN, -1), INT_MIN);
  EXPECT_EQ(wrap_div(-7, 2), -3);  // truncating
  EXPECT_EQ(wrap_rem(-7, 2), -1);
  EXPECT_EQ(wrap_rem(INT_MIN, -1), 0);
}

TEST(IeeeDivision, ZeroDivisorGivesWhatTheMachineGives) {
  EXPECT_EQ(ieee_div(6.0, 4.0), 1.5);
  EXPECT_EQ(ieee_div(1.0, 0.0), HUGE_VAL);
  EXPECT_EQ(ieee_div(-1.0, 0.0), -HUGE_VAL);
  EXPECT_EQ(ieee_div(1.0, -0.0), -HUGE_VAL);
  double undefined = ieee_div(0.0, 0.0);  // x86's default NaN: "-nan"
  EXPECT_TRUE(std::isnan(undefined));
  EXPECT_TRUE(std::signbit(undefined));
  EXPECT_FALSE(std::signbit(ieee_div(std::nan(""), 0.0)));  // passed through
}

TEST(HeldConversion, InfinitiesAndNanTakeTheirBounds) {
  EXPECT_EQ(clamp_to_int(5.0, 0, 7, 7), 5);
  EXPECT_EQ(clamp_to_int(-3.0, 0, 7, 7), 0);
  EXPECT_EQ(clamp_to_int(12.0, 0, 7, 7), 7);
  EXPECT_EQ(clamp_to_int(HUGE_VAL, 0, 7, 0), 7);
  EXPECT_EQ(clamp_to_int(-HUGE_VAL, 0, 7, 7), 0);
  EXPECT_EQ(clamp_to_int(std::nan(""), 0, 7, 3), 3);
  EXPECT_EQ(clamp_to_int(1e300, INT_MIN, INT_MAX, 0), INT_MAX);
}
