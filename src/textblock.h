// textblock.h — output text formatted without printf: numbers are turned
// into digits by hand into a block of up to 64 KiB, which goes to its output
// stream in one write when it is full and when the writer is done. The
// register writers spend most of a run formatting thousands of short lines;
// printf's format parsing costs many times the digits themselves.
#pragma once
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>

class TextBlock {
 public:
  static constexpr size_t kSize = 64 * 1024;

  explicit TextBlock(std::FILE* out) : out_(out), buf_(new char[kSize]) {}
  ~TextBlock() { flush(); }
  TextBlock(const TextBlock&) = delete;
  TextBlock& operator=(const TextBlock&) = delete;

  TextBlock& put(char c) {
    room(1);
    buf_[used_++] = c;
    return *this;
  }
  TextBlock& put(const char* s, size_t n) {
    if (n > kSize - used_) return put_beyond_block(s, n);
    std::memcpy(buf_.get() + used_, s, n);
    used_ += n;
    return *this;
  }
  template <size_t N>
  TextBlock& put(const char (&literal)[N]) {
    return put(literal, N - 1);
  }
  // As "%x" prints it.
  TextBlock& hex(unsigned v) {
    room(kMaxDigits);
    // One digit per started group of four bits; 0 has one digit too.
    const size_t n = (32 - static_cast<size_t>(__builtin_clz(v | 1)) + 3) / 4;
    used_ += n;
    char* p = buf_.get() + used_;
    do {
      *--p = "0123456789abcdef"[v & 15];
      v >>= 4;
    } while (v != 0);
    return *this;
  }
  // As "%d" prints it.
  TextBlock& dec(int v) { return dec(v, 0); }
  // As "%5d" prints it: right-aligned in `width` characters, never cut.
  TextBlock& dec(int v, size_t width);
  // As "%-20s" prints it: left-aligned in `width` characters, never cut.
  TextBlock& padded(const char* s, size_t width);
  // As "%lf" prints it (through snprintf: the exact decimal rounding of a
  // double is not worth doing by hand for the few the table holds).
  TextBlock& fixed6(double v);

  // Hands the block to the stream.
  void flush();

 private:
  static constexpr size_t kMaxDigits = 11;  // of a 32-bit number with its sign

  void room(size_t n) {
    if (kSize - used_ < n) flush();
  }
  TextBlock& put_beyond_block(const char* s, size_t n);

  std::FILE* out_;
  std::unique_ptr<char[]> buf_;
  size_t used_ = 0;
};
