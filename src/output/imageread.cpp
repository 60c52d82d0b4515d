// imageread.cpp — readers of the four register-image forms. The form is
// told by the first line that is not blank; every later line must be of
// the same form. Each reader checks every number against the chip's limits
// (page register 8 bits, 32 addresses, 16-bit values) before it counts as
// a write, so the decoder never sees anything the chip could not hold.
#include "output/imageread.h"

#include <cstdio>
#include <map>

#include "diag.h"
#include "records.h"
#include "output/setregs.h"

namespace {

constexpr unsigned kLargestValue = 0xffff;
// The header's page of a direct address.
constexpr unsigned long long kHeaderDirectPage = 0xffffffffULL;
// Numbers are read into 64 bits and held at this value once they pass 32
// bits, so that a long run of digits cannot overflow.
constexpr unsigned long long kTooLarge = 0x100000000ULL;

const char* const kLoaderForm = "dwr16 ADDRESS VALUE";
const char* const kDumpForm = "PAGE ADDRESS VALUE";
const char* const kEntryForm = "{ PAGE, ADDRESS, VALUE }";
const char* const kHeaderFrame[] = {"struct {", "short page;", "short addr;", "short val;",
                                    "} regs[] = {"};

struct Line {
  int number;
  std::string text;  // without the line end and the blanks around it
};

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string trimmed(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && is_blank(s[b])) ++b;
  while (e > b && is_blank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// The lines that are not blank, numbered from 1 in the file.
std::vector<Line> text_lines(const std::string& text) {
  std::vector<Line> lines;
  int number = 0;
  for (size_t pos = 0; pos < text.size();) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    ++number;
    std::string t = trimmed(text.substr(pos, end - pos));
    if (!t.empty()) lines.push_back({number, t});
    pos = end + 1;
  }
  return lines;
}

std::vector<std::string> words_of(const std::string& s) {
  std::vector<std::string> words;
  std::string w;
  for (char c : s) {
    if (is_blank(c)) {
      if (!w.empty()) words.push_back(w);
      w.clear();
    } else {
      w += c;
    }
  }
  if (!w.empty()) words.push_back(w);
  return words;
}

int digit_value(char c, int base) {
  int d = -1;
  if (c >= '0' && c <= '9') d = c - '0';
  if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
  return d < base ? d : -1;
}

// Digits only, in `base`; hexadecimal may carry a 0x.
bool parse_number(const std::string& word, int base, unsigned long long& v) {
  size_t i = 0;
  if (base == 16 && word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) i = 2;
  if (i == word.size()) return false;
  v = 0;
  for (; i < word.size(); ++i) {
    int d = digit_value(word[i], base);
    if (d < 0) return false;
    v = v * base + d;
    if (v > kTooLarge) v = kTooLarge;
  }
  return true;
}

bool is_hex(const std::string& word) {
  unsigned long long v;
  return parse_number(word, 16, v);
}

bool starts_with(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

bool is_simulation_word(const std::string& w) {
  return w == "Wglb" || w == "Wcon" || w == "QOEF" || w == "SWRAM" || w == "BERAM";
}

// One board-loader line: a write to one of the 32 chip addresses.
struct LoaderWrite {
  int addr;
  unsigned value;
  const Line* line;
};

class Reader {
 public:
  Reader(RegImage& image, std::string& error) : image_(image), error_(error) {}

  bool fail(int line, const std::string& what) {
    error_ = strfmt("%s line %d: %s", image_.name.c_str(), line, what.c_str());
    return false;
  }

  bool word_count(const Line& l, const std::vector<std::string>& w, size_t n, const char* form) {
    if (w.size() < n) return fail(l.number, strfmt("truncated line (the form is %s)", form));
    if (w.size() > n) return fail(l.number, strfmt("more words than %s", form));
    return true;
  }

  bool number(const Line& l, const std::string& w, int base, unsigned long long& v) {
    if (!parse_number(w, base, v))
      return fail(l.number, strfmt("bad %s number \"%s\"", base == 16 ? "hexadecimal" : "decimal",
                                   w.c_str()));
    return true;
  }
  bool hex(const Line& l, const std::string& w, unsigned long long& v) { return number(l, w, 16, v); }
  bool decimal(const Line& l, const std::string& w, unsigned long long& v) {
    return number(l, w, 10, v);
  }

  bool in_range(const Line& l, unsigned long long v, unsigned long long last, const std::string& w,
                const char* what, const char* limits) {
    if (v > last) return fail(l.number, strfmt("%s %s is outside %s", what, w.c_str(), limits));
    return true;
  }

  // A register value, hexadecimal or (the swap RAM words of the simulation
  // form) decimal.
  bool value(const Line& l, const std::string& w, unsigned& v, int base = 16) {
    unsigned long long x;
    if (!number(l, w, base, x)) return false;
    if (x > kLargestValue)
      return fail(l.number, strfmt("value %s is wider than 16 bits", w.c_str()));
    v = static_cast<unsigned>(x);
    return true;
  }

  // A hexadecimal number from 0 to `last`.
  bool bounded_hex(const Line& l, const std::string& w, int last, const char* what,
                   const char* limits, int& out) {
    unsigned long long x;
    if (!hex(l, w, x) || !in_range(l, x, last, w, what, limits)) return false;
    out = static_cast<int>(x);
    return true;
  }
  bool page(const Line& l, const std::string& w, int& p) {
    return bounded_hex(l, w, kLastPage, "page", "the chip (0 to ff)", p);
  }
  bool direct_addr(const Line& l, const std::string& w, int& a) {
    return bounded_hex(l, w, kLastDirectAddr, "direct address", "0 to f", a);
  }

  bool paged_addr(const Line& l, const std::string& w, int& a) {
    unsigned long long x;
    if (!hex(l, w, x)) return false;
    if (x < kFirstPagedAddr || x > kLastPagedAddr)
      return fail(l.number, strfmt("paged address %s is outside 10 to 1f", w.c_str()));
    a = static_cast<int>(x);
    return true;
  }

  void add(int page, int addr, unsigned value, int line) {
    image_.writes.push_back({page, addr, value, line});
  }

  bool board_loader(const std::vector<Line>& lines);
  bool simulation(const std::vector<Line>& lines);
  bool header(const std::vector<Line>& lines);
  bool dump(const std::vector<Line>& lines);

 private:
  bool loader_writes(const std::vector<Line>& lines, std::vector<LoaderWrite>& writes);
  bool simulation_ram(const Line& l, const std::vector<std::string>& w);
  bool header_entry(const Line& l, std::string entry);

  RegImage& image_;
  std::string& error_;
};

// The address and value of each board-loader line, in file order.
bool Reader::loader_writes(const std::vector<Line>& lines, std::vector<LoaderWrite>& writes) {
  for (const Line& l : lines) {
    std::vector<std::string> w = words_of(l.text);
    if (w[0] != "dwr16")
      return fail(l.number, strfmt("not a board-loader line (the form is %s)", kLoaderForm));
    unsigned long long a;
    unsigned v;
    if (!word_count(l, w, 3, kLoaderForm) || !hex(l, w[1], a) ||
        !in_range(l, a, kLastPagedAddr, w[1], "address", "the chip (0 to 1f)") ||
        !value(l, w[2], v))
      return false;
    writes.push_back({static_cast<int>(a), v, &l});
  }
  return true;
}

// A board-loader line writes one of the 32 chip addresses. Direct address 2
// is the page register: the writer selects a page with it right before a
// paged write, so a write to it that a paged write follows is taken as a
// page select only; any other is a write of the page and chip_rev fields
// (which, on the chip, also selects that page).
bool Reader::board_loader(const std::vector<Line>& lines) {
  std::vector<LoaderWrite> writes;
  if (!loader_writes(lines, writes)) return false;
  long selected = -1;
  const Line* selected_on = nullptr;
  for (size_t i = 0; i < writes.size(); ++i) {
    const LoaderWrite& r = writes[i];
    const int n = r.line->number;
    if (r.addr == kPageSelectAddr) {
      selected = r.value;
      selected_on = r.line;
      if (i + 1 < writes.size() && writes[i + 1].addr >= kFirstPagedAddr) {
        if (r.value > kLastPage)
          return fail(n, strfmt("page %x is outside the chip (0 to ff)", r.value));
        continue;
      }
    }
    if (r.addr <= kLastDirectAddr) {
      add(kDirectPage, r.addr, r.value, n);
      continue;
    }
    if (selected < 0)
      return fail(n, strfmt("paged address %x written before any page is selected", r.addr));
    if (selected > kLastPage)
      return fail(n, strfmt("page %lx, selected on line %d, is outside the chip (0 to ff)",
                            selected, selected_on->number));
    add(static_cast<int>(selected), r.addr, r.value, n);
  }
  return true;
}

// The RAM lines: "QOEF j k" with 16 hexadecimal words, "SWRAM j" with 16
// decimal words, "BERAM j" with 16 hexadecimal words, each ended by ';'.
bool Reader::simulation_ram(const Line& l, const std::vector<std::string>& w) {
  const bool coef = w[0] == "QOEF";
  const char* form = coef ? "QOEF CHANNEL PAGE WORD... ;" : "SWRAM|BERAM CHANNEL WORD... ;";
  if (l.text.back() != ';') return fail(l.number, strfmt("truncated line (the form is %s)", form));
  std::vector<std::string> words = words_of(l.text.substr(0, l.text.size() - 1));
  const size_t first_word = coef ? 3 : 2;
  unsigned long long j, k = 0;
  if (!word_count(l, words, first_word + kRamWordsPerPage, form) || !decimal(l, words[1], j) ||
      !in_range(l, j, kNumChannels - 1, words[1], "channel", "0 to 3"))
    return false;
  if (coef && (!decimal(l, words[2], k) ||
               !in_range(l, k, kCoefRamPageCount - 1, words[2], "coefficient page", "0 to 15")))
    return false;
  int page = kChannelPageStride * static_cast<int>(j) + static_cast<int>(k);
  if (w[0] == "SWRAM") page += kSwapRamPageOffset;
  if (w[0] == "BERAM") page += kBackEndRamPageOffset;
  for (int i = 0; i < kRamWordsPerPage; ++i) {
    const std::string& word = words[first_word + i];
    unsigned v;
    if (!value(l, word, v, w[0] == "SWRAM" ? 10 : 16)) return false;
    add(page, kFirstPagedAddr + i, v, l.number);
  }
  return true;
}

bool Reader::simulation(const std::vector<Line>& lines) {
  for (const Line& l : lines) {
    std::vector<std::string> w = words_of(l.text);
    int pg, addr;
    unsigned v;
    if (w[0] == "Wglb") {
      if (!word_count(l, w, 3, "Wglb ADDRESS VALUE") || !direct_addr(l, w[1], addr) ||
          !value(l, w[2], v))
        return false;
      add(kDirectPage, addr, v, l.number);
    } else if (w[0] == "Wcon") {
      if (!word_count(l, w, 4, "Wcon PAGE ADDRESS VALUE") || !page(l, w[1], pg) ||
          !paged_addr(l, w[2], addr) || !value(l, w[3], v))
        return false;
      add(pg, addr, v, l.number);
    } else if (w[0] == "QOEF" || w[0] == "SWRAM" || w[0] == "BERAM") {
      if (!simulation_ram(l, w)) return false;
    } else {
      return fail(l.number, "not a simulation line (Wglb, Wcon, QOEF, SWRAM or BERAM)");
    }
  }
  return true;
}

// The trimmed pieces between commas; a final comma ends the last piece
// rather than starting an empty one.
std::vector<std::string> comma_parts(const std::string& text) {
  std::vector<std::string> parts;
  for (size_t start = 0; start < text.size();) {
    size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    parts.push_back(trimmed(text.substr(start, comma - start)));
    start = comma + 1;
  }
  return parts;
}

// One entry of the header's table, its separating comma already removed.
bool Reader::header_entry(const Line& l, std::string entry) {
  if (entry.size() < 2 || entry.front() != '{' || entry.back() != '}')
    return fail(l.number, strfmt("not a table entry (the form is %s)", kEntryForm));
  const std::vector<std::string> parts = comma_parts(entry.substr(1, entry.size() - 2));
  for (const std::string& p : parts)
    if (p.empty()) return fail(l.number, strfmt("truncated line (the form is %s)", kEntryForm));
  if (!word_count(l, parts, 3, kEntryForm)) return false;
  unsigned long long p;
  int pg = kDirectPage, addr;
  unsigned v;
  if (!hex(l, parts[0], p)) return false;
  if (p == kHeaderDirectPage) {
    if (!direct_addr(l, parts[1], addr)) return false;
  } else if (!page(l, parts[0], pg) || !paged_addr(l, parts[1], addr)) {
    return false;
  }
  if (!value(l, parts[2], v)) return false;
  add(pg, addr, v, l.number);
  return true;
}

// The header: its comment line, the structure, the table of entries
// separated by commas, and the count of entries, which must agree.
bool Reader::header(const std::vector<Line>& lines) {
  size_t i = 0;
  if (!starts_with(lines[0].text, "/* hfile for ") || lines[0].text.size() < 2 ||
      lines[0].text.compare(lines[0].text.size() - 2, 2, "*/") != 0)
    return fail(lines[0].number, "not a header comment line");
  ++i;
  const int last_line = lines.back().number;
  for (const char* frame : kHeaderFrame) {
    if (i == lines.size()) return fail(last_line, strfmt("the file ends before \"%s\"", frame));
    if (lines[i].text != frame) return fail(lines[i].number, strfmt("expected \"%s\"", frame));
    ++i;
  }
  const Line* open_entry = nullptr;  // an entry that still needs its comma
  size_t entries = 0;
  for (;; ++i) {
    if (i == lines.size()) return fail(last_line, "the file ends inside the table (no \"};\")");
    const Line& l = lines[i];
    if (l.text == "};") break;
    if (open_entry) return fail(open_entry->number, "missing ',' after the entry");
    std::string entry = l.text;
    if (entry.back() == ',')
      entry = trimmed(entry.substr(0, entry.size() - 1));
    else
      open_entry = &l;
    if (!header_entry(l, entry)) return false;
    ++entries;
  }
  ++i;
  if (i == lines.size()) return fail(last_line, "the file ends before \"int nwrites = N;\"");
  const Line& count = lines[i];
  std::vector<std::string> w = words_of(count.text);
  unsigned long long n;
  if (w.size() != 4 || w[0] != "int" || w[1] != "nwrites" || w[2] != "=" || w[3].back() != ';' ||
      !parse_number(w[3].substr(0, w[3].size() - 1), 10, n))
    return fail(count.number, "expected \"int nwrites = N;\"");
  if (n != entries)
    return fail(count.number,
                strfmt("nwrites is %llu but the table holds %zu entries", n, entries));
  if (i + 1 < lines.size()) return fail(lines[i + 1].number, "unexpected text after nwrites");
  return true;
}

// A dump holds each register once: "-" as the page marks a direct address;
// '#' starts a comment.
bool Reader::dump(const std::vector<Line>& lines) {
  std::map<int, int> given;  // register -> line
  for (const Line& l : lines) {
    std::vector<std::string> w = words_of(l.text.substr(0, l.text.find('#')));
    if (w.empty()) continue;
    int pg = kDirectPage, addr;
    unsigned v;
    if (!word_count(l, w, 3, kDumpForm)) return false;
    if (w[0] == "-") {
      if (!direct_addr(l, w[1], addr)) return false;
    } else if (!page(l, w[0], pg) || !paged_addr(l, w[1], addr)) {
      return false;
    }
    if (!value(l, w[2], v)) return false;
    const int reg = pg == kDirectPage ? addr : paged_index(pg, addr);
    auto [at, fresh] = given.emplace(reg, l.number);
    if (!fresh)
      return fail(l.number, strfmt("register given twice (first on line %d)", at->second));
    add(pg, addr, v, l.number);
  }
  return true;
}

}  // namespace

const char* format_name(ImageFormat format) {
  switch (format) {
    case ImageFormat::kBoardLoader:
      return "board-loader";
    case ImageFormat::kSimulation:
      return "simulation";
    case ImageFormat::kHeader:
      return "header";
    default:
      return "dump";
  }
}

namespace {

// Parses the text of an image; false with the message in `error` when the
// text is not an image.
bool parse_image(const std::string& name, const std::string& text, RegImage& image,
                 std::string& error) {
  image = RegImage{};
  image.name = name;
  Reader reader(image, error);
  std::vector<Line> lines = text_lines(text);
  if (lines.empty()) {
    error = strfmt("%s: holds no register writes", name.c_str());
    return false;
  }
  const std::string& first = lines[0].text;
  const std::string word = words_of(first)[0];
  bool ok;
  if (starts_with(first, "/* hfile for ")) {
    image.format = ImageFormat::kHeader;
    ok = reader.header(lines);
  } else if (word == "dwr16") {
    image.format = ImageFormat::kBoardLoader;
    ok = reader.board_loader(lines);
  } else if (is_simulation_word(word)) {
    image.format = ImageFormat::kSimulation;
    ok = reader.simulation(lines);
  } else if (first[0] == '#' || word == "-" || is_hex(word)) {
    image.format = ImageFormat::kDump;
    ok = reader.dump(lines);
  } else {
    return reader.fail(lines[0].number,
                       "not a register image (a board-loader, simulation, header or dump line)");
  }
  if (ok && image.writes.empty()) {
    error = strfmt("%s: holds no register writes", name.c_str());
    return false;
  }
  return ok;
}

}  // namespace

bool read_image(const std::string& path, RegImage& image, std::string& error) {
  FilePtr f(std::fopen(path.c_str(), "rb"));
  if (!f) {
    error = strfmt("Couldn't open register image %s", path.c_str());
    return false;
  }
  std::string text;
  char buf[4096];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, f.get())) > 0;) text.append(buf, n);
  if (std::ferror(f.get())) {
    error = strfmt("Couldn't read register image %s", path.c_str());
    return false;
  }
  return parse_image(path, text, image, error);
}
