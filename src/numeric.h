// numeric.h — 32-bit integer arithmetic that wraps instead of overflowing,
// IEEE division without dividing by zero, and the conversion of a computed
// double (a shift, a gain word) to int when the double may be infinite, NaN
// or beyond the range of int.
#pragma once
#include <climits>
#include <cmath>
#include <cstdint>

// Sums, differences and products of user-given values wrap modulo 2^32 as
// the chip's 32-bit registers and the classic C arithmetic would.
inline int wrap_add(int a, int b) {
  return static_cast<int>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline int wrap_sub(int a, int b) {
  return static_cast<int>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
inline int wrap_mul(int a, int b) {
  return static_cast<int>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}
// Truncating division; b must not be 0. INT_MIN / -1 wraps to INT_MIN.
inline int wrap_div(int a, int b) { return (b == -1) ? wrap_sub(0, a) : a / b; }
// Remainder of wrap_div; b must not be 0.
inline int wrap_rem(int a, int b) { return (b == -1) ? 0 : a % b; }

// a / b with the result the machine's division gives (±inf; for 0 / 0 the
// default NaN, whose sign bit is set and which prints as "-nan"; a NaN
// dividend passes through) when b is zero, without performing a division by
// zero.
inline double ieee_div(double a, double b) {
  if (b != 0.0) return a / b;
  if (std::isnan(a)) return a;
  if (a == 0.0) return std::copysign(std::nan(""), -1.0);
  bool negative = std::signbit(a) != std::signbit(b);
  return negative ? -HUGE_VAL : HUGE_VAL;
}

// The int value of x (already floored, ceiled or truncated), held to lo..hi:
// values below lo (-inf included) give lo, values above hi (+inf included)
// give hi, and NaN gives if_nan.
inline int clamp_to_int(double x, int lo, int hi, int if_nan) {
  if (std::isnan(x)) return if_nan;
  if (x <= lo) return lo;
  if (x >= hi) return hi;
  return static_cast<int>(x);
}
