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

// Formatting into room reserved in a block: each writes at `p` and returns
// the end of what it wrote.

template <size_t N>
char* put_text(char* p, const char (&literal)[N]) {
  std::memcpy(p, literal, N - 1);
  return p + N - 1;
}

// As "%x" prints it: at most 8 characters.
inline char* put_hex(char* p, unsigned v) {
  // One digit per started group of four bits; 0 has one digit too.
  char* const end = p + (35 - __builtin_clz(v | 1)) / 4;
  char* q = end;
  do {
    *--q = "0123456789abcdef"[v & 15];
    v >>= 4;
  } while (v != 0);
  return end;
}

// As "%d" prints it: at most 11 characters.
inline char* put_dec(char* p, int v) {
  // The magnitude in unsigned arithmetic, so that INT_MIN has one too.
  unsigned m = v < 0 ? 0u - static_cast<unsigned>(v) : static_cast<unsigned>(v);
  if (v < 0) *p++ = '-';
  size_t n = 1;
  for (unsigned rest = m; rest >= 10; rest /= 10) ++n;
  char* const end = p + n;
  char* q = end;
  do {
    *--q = static_cast<char>('0' + m % 10);
    m /= 10;
  } while (m != 0);
  return end;
}

class TextBlock {
 public:
  static constexpr size_t kSize = 64 * 1024;
  static constexpr size_t kMaxNumber = 11;  // characters of "%d" or "%x" of an int

  explicit TextBlock(std::FILE* out) : out_(out), buf_(new char[kSize]) {}
  ~TextBlock() { flush(); }
  TextBlock(const TextBlock&) = delete;
  TextBlock& operator=(const TextBlock&) = delete;

  // Room for `n` (at most kSize) characters at the end of the block, for the
  // put_ functions; `commit` takes the end of what was written there.
  char* reserve(size_t n) {
    if (kSize - used_ < n) flush();
    return buf_.get() + used_;
  }
  void commit(char* end) { used_ = static_cast<size_t>(end - buf_.get()); }

  TextBlock& put(char c) {
    char* p = reserve(1);
    *p = c;
    commit(p + 1);
    return *this;
  }
  TextBlock& put(const char* s, size_t n);
  template <size_t N>
  TextBlock& put(const char (&literal)[N]) {
    commit(put_text(reserve(N - 1), literal));
    return *this;
  }
  TextBlock& hex(unsigned v) {
    commit(put_hex(reserve(kMaxNumber), v));
    return *this;
  }
  TextBlock& dec(int v) {
    commit(put_dec(reserve(kMaxNumber), v));
    return *this;
  }
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
  TextBlock& spaces(size_t n);
  // `s` (n <= kSize characters) with spaces after it (`left`) or before it
  // up to `width` characters.
  TextBlock& padded_text(const char* s, size_t n, size_t width, bool left);

  std::FILE* out_;
  std::unique_ptr<char[]> buf_;
  size_t used_ = 0;
};
