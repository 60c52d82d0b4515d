// textblock.h — output text formatted without printf and kept in memory
// without copies. The register writers spend most of a run formatting
// thousands of short lines, and printf's format parsing costs many times the
// digits themselves: numbers are turned into digits by hand, a line at a
// time, straight into the memory that holds an output's text (OutputText,
// whose first 64 KiB are supplied at once), or into a 64 KiB block that goes
// to a plain stream in one write when it is full and when the writer is done.
#pragma once
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

// Formatting into reserved room: each writes at `p` and returns the end of
// what it wrote.

template <size_t N>
char* put_text(char* p, const char (&literal)[N]) {
  std::memcpy(p, literal, N - 1);
  return p + N - 1;
}

// As "%x" prints it: at most 8 characters.
inline char* put_hex(char* p, unsigned v) {
  // The two hexadecimal digits of every byte, "00" to "ff".
  struct HexPairs {
    char text[512];
    constexpr HexPairs() : text() {
      for (int i = 0; i < 256; ++i) {
        text[2 * i] = "0123456789abcdef"[i >> 4];
        text[2 * i + 1] = "0123456789abcdef"[i & 15];
      }
    }
  };
  static constexpr HexPairs kHexPairs{};
  // One digit per started group of four bits; 0 has one digit too.
  char* const end = p + (35 - __builtin_clz(v | 1)) / 4;
  char* q = end;
  for (; v > 0xff; v >>= 8) {
    q -= 2;
    std::memcpy(q, &kHexPairs.text[2 * (v & 0xff)], 2);
  }
  if (v > 0xf) {
    std::memcpy(q - 2, &kHexPairs.text[2 * v], 2);
  } else {
    q[-1] = kHexPairs.text[2 * v + 1];
  }
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

// The whole text of an output, in one piece of memory that grows in place.
class OutputText {
 public:
  static constexpr size_t kFirstRoom = 64 * 1024;

  const char* data() const { return buf_.get(); }
  size_t size() const { return size_; }
  // How many characters fit before the text must grow.
  size_t room_left() const { return capacity_ - size_; }
  // True once memory ran out; the text is then incomplete.
  bool failed() const { return failed_; }

  // Room for `n` more characters at the end: the first 64 KiB at once (the
  // pages never written cost no memory), then doubling. Null, and failed()
  // from then on, when there is no memory for it.
  char* room(size_t n) {
    if (capacity_ - size_ < n && !grow(n)) return nullptr;
    return buf_.get() + size_;
  }
  // Takes `end`, in the room last given, as the new end of the text.
  void extend_to(const char* end) { size_ = static_cast<size_t>(end - buf_.get()); }
  bool append(const char* s, size_t n);
  // Empties the text and keeps its memory for the next run's text: a
  // sweep would otherwise give it back to the system and fault it in
  // again for every configuration.
  void clear() {
    size_ = 0;
    failed_ = false;
  }

 private:
  struct Free {
    void operator()(char* p) const { std::free(p); }
  };
  bool grow(size_t n);

  std::unique_ptr<char, Free> buf_;
  size_t size_ = 0;
  size_t capacity_ = 0;
  bool failed_ = false;
};

// Formats into an output: straight into its OutputText, or into a 64 KiB
// block handed to a plain stream (`text` null) when full and at the end.
// While a TextBlock writes to an output, nothing else may.
class TextBlock {
 public:
  static constexpr size_t kSize = 64 * 1024;
  static constexpr size_t kMaxNumber = 11;  // characters of "%d" or "%x" of an int

  TextBlock(std::FILE* out, OutputText* text);
  ~TextBlock() { flush(); }
  TextBlock(const TextBlock&) = delete;
  TextBlock& operator=(const TextBlock&) = delete;

  // Room for `n` (at most kSize) characters for the put_ functions;
  // `commit` takes the end of what was written there.
  char* reserve(size_t n) { return limit_ - used_ >= n ? buf_ + used_ : next_block(n); }
  void commit(char* end) { used_ = static_cast<size_t>(end - buf_); }

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

  // Hands what was formatted to the output.
  void flush();

 private:
  // Room for `n` characters after a flush: the block again, or the end of
  // the OutputText (the block is then the room left there), or a block
  // whose text is dropped once memory ran out.
  char* next_block(size_t n);
  TextBlock& spaces(size_t n);
  // `s` (n <= kSize characters) with spaces after it (`left`) or before it
  // up to `width` characters.
  TextBlock& padded_text(const char* s, size_t n, size_t width, bool left);

  std::FILE* out_;
  OutputText* text_;
  std::unique_ptr<char[]> own_;  // the block, unless writing into `text_`
  char* buf_ = nullptr;
  size_t used_ = 0;
  size_t limit_ = 0;  // the size of the block at buf_
  bool dropping_ = false;
};
