// numword.cpp — the shape of numbers in control-file words and coefficient
// lines, shared by the command interpreter and the coefficient reader so
// that both call the same text a number.
#include "input/numword.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace {

// Plain ASCII digits, whatever the locale.
bool is_digit(char c) { return c >= '0' && c <= '9'; }

const char* after_sign(const char* p) { return (*p == '+' || *p == '-') ? p + 1 : p; }

}  // namespace

bool begins_with_number(const char* text) {
  const char* p = after_sign(text);
  return is_digit(p[0]) || (p[0] == '.' && is_digit(p[1]));
}

bool fraction_or_exponent_follows(const char* text) {
  if (text[0] == '.') return true;
  if (text[0] != 'e' && text[0] != 'E') return false;
  return is_digit(after_sign(text + 1)[0]);
}

bool has_fraction_or_exponent(const char* word) {
  const char* p = after_sign(word);
  if (p[0] == '.') return is_digit(p[1]);
  if (!is_digit(p[0])) return false;
  while (is_digit(*p)) ++p;
  return fraction_or_exponent_follows(p);
}

WholeNumber whole_number(const char* word, int* out) {
  errno = 0;
  double v = std::strtod(word, nullptr);
  // An exponent beyond the doubles: a huge number is out of range, a tiny
  // one (rounded towards 0) is no whole number.
  if (errno == ERANGE) return std::fabs(v) >= 1.0 ? WholeNumber::kOutOfRange : WholeNumber::kNotWhole;
  if (v != std::floor(v)) return WholeNumber::kNotWhole;
  if (v < INT_MIN || v > INT_MAX) return WholeNumber::kOutOfRange;
  *out = static_cast<int>(v);
  return WholeNumber::kWhole;
}
