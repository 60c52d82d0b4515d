// textblock.cpp — output text in memory, and digits by hand.
#include "output/textblock.h"

#include <string>

bool OutputText::grow(size_t n) {
  size_t want = capacity_ == 0 ? kFirstRoom : 2 * capacity_;
  if (want - size_ < n) want = size_ + n;
  char* more = failed_ ? nullptr : static_cast<char*>(std::realloc(buf_.get(), want));
  if (!more) {
    failed_ = true;
    return false;
  }
  buf_.release();  // realloc took it
  buf_.reset(more);
  capacity_ = want;
  return true;
}

bool OutputText::append(const char* s, size_t n) {
  char* p = room(n);
  if (!p) return false;
  std::memcpy(p, s, n);
  size_ += n;
  return true;
}

TextBlock::TextBlock(std::FILE* out, OutputText* text) : out_(out), text_(text) {
  if (!text_) {
    own_.reset(new char[kSize]);
    buf_ = own_.get();
    limit_ = kSize;
  }
}

char* TextBlock::next_block(size_t n) {
  flush();
  if (!text_) return buf_;
  char* p = dropping_ ? nullptr : text_->room(n);
  limit_ = text_->room_left();
  if (!p) {
    // Out of memory: saving the output reports it; what is formatted from
    // here on goes nowhere.
    dropping_ = true;
    if (!own_) own_.reset(new char[kSize]);
    p = own_.get();
    limit_ = kSize;
  }
  buf_ = p;
  used_ = 0;
  return buf_;
}

void TextBlock::flush() {
  if (!text_) {
    if (used_ > 0 && out_) std::fwrite(buf_, 1, used_, out_);
    used_ = 0;
    return;
  }
  if (buf_ && !dropping_) text_->extend_to(buf_ + used_);
  // The next reserve asks the text for room again.
  buf_ = nullptr;
  used_ = limit_ = 0;
}

TextBlock& TextBlock::put(const char* s, size_t n) {
  if (n > kSize) {
    flush();
    if (text_) {
      if (!dropping_ && !text_->append(s, n)) dropping_ = true;
    } else if (out_) {
      std::fwrite(s, 1, n, out_);
    }
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
