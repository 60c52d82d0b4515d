// textblock.cpp — digits by hand, written out a block at a time.
#include "textblock.h"

#include <string>

TextBlock& TextBlock::put(const char* s, size_t n) {
  if (n > kSize) {
    flush();
    if (out_) std::fwrite(s, 1, n, out_);
    return *this;
  }
  char* p = reserve(n);
  std::memcpy(p, s, n);
  commit(p + n);
  return *this;
}

TextBlock& TextBlock::spaces(size_t n) {
  for (size_t chunk; n > 0; n -= chunk) {
    chunk = n < kSize ? n : kSize;
    char* p = reserve(chunk);
    std::memset(p, ' ', chunk);
    commit(p + chunk);
  }
  return *this;
}

TextBlock& TextBlock::padded_text(const char* s, size_t n, size_t width, bool left) {
  const size_t pad = n < width ? width - n : 0;
  if (pad > kSize - n) {  // only for widths no writer asks for
    if (left) return put(s, n).spaces(pad);
    return spaces(pad).put(s, n);
  }
  char* p = reserve(n + pad);
  char* text = left ? p : p + pad;
  std::memcpy(text, s, n);
  char* gap = left ? p + n : p;
  for (size_t i = 0; i < pad; ++i) gap[i] = ' ';
  commit(p + n + pad);
  return *this;
}

TextBlock& TextBlock::dec(int v, size_t width) {
  char text[kMaxNumber];
  return padded_text(text, static_cast<size_t>(put_dec(text, v) - text), width, false);
}

TextBlock& TextBlock::padded(const char* s, size_t width) {
  const size_t n = std::strlen(s);
  if (n > kSize) return put(s, n);
  return padded_text(s, n, width, true);
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
