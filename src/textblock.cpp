// textblock.cpp — digits by hand, written out a block at a time.
#include "textblock.h"

#include <string>

TextBlock& TextBlock::put_beyond_block(const char* s, size_t n) {
  flush();
  if (n <= kSize) return put(s, n);
  if (out_) std::fwrite(s, 1, n, out_);
  return *this;
}

TextBlock& TextBlock::dec(int v, size_t width) {
  char text[kMaxDigits];
  char* const end = text + sizeof text;
  char* p = end;
  // The magnitude in unsigned arithmetic, so that INT_MIN has one too.
  unsigned magnitude = v < 0 ? 0u - static_cast<unsigned>(v) : static_cast<unsigned>(v);
  do {
    *--p = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (v < 0) *--p = '-';
  const size_t n = static_cast<size_t>(end - p);
  for (size_t i = n; i < width; ++i) put(' ');
  return put(p, n);
}

TextBlock& TextBlock::padded(const char* s, size_t width) {
  const size_t n = std::strlen(s);
  put(s, n);
  for (size_t i = n; i < width; ++i) put(' ');
  return *this;
}

TextBlock& TextBlock::fixed6(double v) {
  char text[64];
  int n = std::snprintf(text, sizeof text, "%lf", v);
  if (n < 0) return *this;
  if (static_cast<size_t>(n) < sizeof text) return put(text, static_cast<size_t>(n));
  // Up to 317 characters for the largest doubles.
  std::string longer(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(&longer[0], longer.size(), "%lf", v);
  return put(longer.data(), static_cast<size_t>(n));
}

void TextBlock::flush() {
  if (used_ > 0 && out_) std::fwrite(buf_.get(), 1, used_, out_);
  used_ = 0;
}
