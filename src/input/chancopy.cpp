// chancopy.cpp — the `fir_coef` and `copy_channel` commands: a channel's
// coefficients read from a file with the statistics that the PFIR planning
// and analysis use, and one channel's settings copied into another.
#include "input/chancopy.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "diag.h"
#include "input/numword.h"
#include "input/reading.h"
#include "vartable/origins.h"
#include "records.h"

namespace {

// The tags of the coefficient reader's and the channel copy's reports are
// fixed output text, not source lines; both report as the interpreter whose
// commands they carry out.
const char* const kModuleCmdin = "cmdin";
constexpr int kLineCopyAcrossDirections = 31;  // "Cant copy transmit <-> receive channels"
constexpr int kLineOutOfRange = 62;            // "Coefficient out of range in file ..."
constexpr int kLineNotAnInteger = 63;          // "Coefficient is not an integer in file ..."
constexpr int kLineSeveral = 64;               // "More than one coefficient on a line ..."
constexpr int kLineTypographicMinus = 65;      // "Coefficient with a typographic minus ..."

constexpr size_t kCoefPiece = 99;  // coefficient files are read in pieces of this size

// Magnitude of a 32-bit value, wrapped back to 32 bits the way the chip's
// C arithmetic would (only -2^31 wraps).
int wrapped_magnitude(int64_t v) {
  uint32_t m = static_cast<uint32_t>(v < 0 ? -v : v);
  return static_cast<int>(m);
}

// The typographic minus sign (U+2212) and the en dash (U+2013) in UTF-8,
// which text copied from a document puts where a '-' belongs.
const char* const kTypographicMinuses[] = {"\xE2\x88\x92", "\xE2\x80\x93"};
// A UTF-8 byte-order mark, which some tools write at the start of a file.
const std::string kByteOrderMark = "\xEF\xBB\xBF";

// True when the line's first non-blank characters are a typographic minus
// with a digit right after it: a negative coefficient that "%d" would not
// see, so the line would silently be skipped.
bool typographic_minus_first(const char* text) {
  while (std::isspace(static_cast<unsigned char>(*text))) ++text;
  for (const char* minus : kTypographicMinuses) {
    size_t n = std::strlen(minus);
    if (std::strncmp(text, minus, n) == 0 && text[n] >= '0' && text[n] <= '9') return true;
  }
  return false;
}

// True when blanks, tabs or a comma lead from `text` to another number.
bool another_number_follows(const char* text) {
  size_t gap = std::strspn(text, " \t,");
  return gap > 0 && begins_with_number(text + gap);
}

}  // namespace

CoefLine parse_coefficient(const std::string& text, int* value) {
  const char* start = text.c_str();
  if (typographic_minus_first(start)) return CoefLine::kTypographicMinus;
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(start, &end, 10);
  if (end == start) return CoefLine::kNone;
  // "%d" would read 0 from "0.5" and 1 from "1e4", and one tap from "1, 2, 3".
  if (fraction_or_exponent_follows(end)) return CoefLine::kNotAnInteger;
  if (another_number_follows(end)) return CoefLine::kSeveral;
  if (errno == ERANGE || v < INT_MIN || v > INT_MAX) return CoefLine::kOutOfRange;
  *value = static_cast<int>(v);
  return CoefLine::kValue;
}

namespace {

// True when the rest of the file, after white space (line ends included),
// begins with an integer.
bool integer_follows(std::FILE* f) {
  int c = std::getc(f);
  while (c != EOF && std::isspace(c)) c = std::getc(f);
  if (c == '+' || c == '-') c = std::getc(f);
  return c != EOF && std::isdigit(c);
}

void skip_rest_of_line(std::FILE* f) {
  int c = std::getc(f);
  while (c != EOF && c != '\n') c = std::getc(f);
}

// Reads the next piece of a coefficient line. The first piece of the file
// loses a byte-order mark and is read on by the mark's length, so that the
// file reads as it would without the mark.
bool read_coefficient_piece(std::FILE* f, bool first, std::string& piece) {
  if (!read_piece(f, kCoefPiece, piece)) return false;
  if (!first || piece.compare(0, kByteOrderMark.size(), kByteOrderMark) != 0) return true;
  piece.erase(0, kByteOrderMark.size());
  std::string more;
  if ((piece.empty() || piece.back() != '\n') && read_piece(f, kByteOrderMark.size(), more))
    piece += more;
  return !piece.empty();
}

// Reports a refused coefficient line and fails the interpreter pass.
void refuse_line(const char* format, int line, const std::string& file, const std::string& piece) {
  myerrfun(strfmt(format, file.c_str(), without_line_end(piece).c_str()), kModuleCmdin, line);
  err = 1;
}

// Coefficient statistics that the PFIR planning and analysis use.
int coefficient_symmetry(const int* coefs, int n) {
  int sym = (n % 2 == 1) ? 1 : 2;
  for (int j = 0; j < n / 2; ++j)
    if (coefs[j] != coefs[n - 1 - j]) return 0;
  return sym;
}

int largest_tap(const int* coefs, int n) {
  // The first coefficient enters as its magnitude, so a list led by its
  // largest tap reports that tap positive.
  int64_t held = coefs[0] < 0 ? -static_cast<int64_t>(coefs[0]) : coefs[0];
  for (int j = 0; j < n; ++j) {
    int64_t mag = coefs[j] < 0 ? -static_cast<int64_t>(coefs[j]) : coefs[j];
    int64_t held_mag = held < 0 ? -held : held;
    if (mag > held_mag) held = coefs[j];
  }
  return static_cast<int>(static_cast<uint32_t>(held));  // only +2^31 wraps
}

int sum_magnitude(const int* coefs, int n) {
  uint32_t sum = 0;  // 32-bit wrap, as the int sum of the chip's arithmetic
  for (int j = 0; j < n; ++j) sum += static_cast<uint32_t>(coefs[j]);
  return wrapped_magnitude(static_cast<int32_t>(sum));
}

// Reports that the coefficient file `c` cannot be read (`why` follows its
// name in the message, or is empty) and fails the pass; false.
bool refuse_coefficient_file(const std::string& c, const char* why) {
  std::string text = strfmt("Couldn't open coefficient file: %s%s\n", c.c_str(), why);
  report_stderr_and_analysis(Severity::kError, text);
  err = 1;
  return false;
}

// The coefficient line in `piece` (line `line` of the file `c`) into
// chn.coefs[*n]; a refused line is reported.
void take_coefficient_line(std::string& piece, const std::string& c, CHAN& chn, int* n) {
  size_t caret = piece.find("^M");
  if (caret != std::string::npos) piece.erase(caret);
  int value = 0;
  switch (parse_coefficient(piece, &value)) {
    case CoefLine::kValue:
      chn.coefs[(*n)++] = value;
      break;
    case CoefLine::kOutOfRange:
      refuse_line("Coefficient out of range in file %s: %s", kLineOutOfRange, c, piece);
      break;
    case CoefLine::kNotAnInteger:
      refuse_line("Coefficient is not an integer in file %s: %s", kLineNotAnInteger, c, piece);
      break;
    case CoefLine::kSeveral:
      refuse_line("More than one coefficient on a line in file %s: %s", kLineSeveral, c, piece);
      break;
    case CoefLine::kTypographicMinus:
      refuse_line("Coefficient with a typographic minus sign in file %s: %s",
                   kLineTypographicMinus, c, piece);
      break;
    case CoefLine::kNone:
      break;
  }
}

// Reads the coefficients of the open file `f` (named `c`) into chn.coefs;
// their number.
int read_coefficients(std::FILE* f, const std::string& c, CHAN& chn) {
  int n = 0;
  std::string piece;
  bool at_line_start = true;
  int line = 0;
  ReadingAt reading(&c, line);
  for (bool first = true; n < kMaxCoefs && read_coefficient_piece(f, first, piece);
       first = false) {
    // The rest of a line longer than a piece is no line of its own: a number
    // in the middle of a long comment is no coefficient.
    bool continues_line = !at_line_start;
    at_line_start = piece.back() == '\n';
    if (continues_line) continue;
    reading.at(++line);
    take_coefficient_line(piece, c, chn, &n);
  }
  if (!at_line_start) skip_rest_of_line(f);
  if (n == kMaxCoefs && integer_follows(f)) {
    report_stderr_only(Severity::kError, strfmt("Too many coefficients in file: %s\n", c.c_str()));
    err = 1;
  }
  return n;
}

}  // namespace

bool readcoef(int ch, const std::string& c) {
  bool not_regular = false;
  FilePtr f(open_readable(c, &not_regular));
  if (!f) return refuse_coefficient_file(c, not_regular ? ": not a regular file" : "");
  // An output asked for earlier would replace the file at the end of the run.
  if (replaced_by_output(f.get()))
    return refuse_coefficient_file(c, ": it is an output of this run");
  note_coefficient_input(f.get());
  CHAN& chn = chan[ch];
  std::fill(std::begin(chn.coefs), std::end(chn.coefs), 0);
  const int n = read_coefficients(f.get(), c, chn);
  chn.ncoefs = n;
  chn.coefsym = coefficient_symmetry(chn.coefs, n);
  chn.maxtap = largest_tap(chn.coefs, n);
  chn.sumtap = sum_magnitude(chn.coefs, n);
  chn.origcoefs = 1;
  return true;
}

void copy_channel(int ch_new, int ch_old) {
  if (g.mode[ch_new / 2] != g.mode[ch_old / 2]) {
    myerrfun("Cant copy transmit <-> receive channels", kModuleCmdin, kLineCopyAcrossDirections);
    return;
  }
  // The control-file variables lead the record; origcoefs and every derived
  // field stay with the target channel.
  static_cast<ChanVars&>(chan[ch_new]) = static_cast<const ChanVars&>(chan[ch_old]);
  note_channel_copied(ch_new, ch_old);
  std::copy(std::begin(chan[ch_old].coefs), std::end(chan[ch_old].coefs), chan[ch_new].coefs);
}
