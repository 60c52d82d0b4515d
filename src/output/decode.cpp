// decode.cpp — the chip state that a register image leaves, turned back
// into catalogue variables through the same register map that packing
// uses: listed as control-file lines, or compared field by field and RAM
// word by word with the state of another image.
#include "output/decode.h"

#include <cstdint>
#include <cstdio>

#include "vartable/catalog.h"
#include "diag.h"
#include "output/imageread.h"
#include "records.h"
#include "output/setregs.h"
#include "vartable/strtab.h"

namespace {

const char* const kModule = "decode";
// The module and line tag of a read error are fixed output text, not a
// source line.
constexpr int kReadErrorTag = 1;
// Page and address fold into one index as in the register image, over the
// whole page range of the chip.
constexpr int kChipRegs = paged_index(kLastPage, kLastPagedAddr) + 1;
constexpr long kUnwritten = -1;
// Differing RAM words shown before the rest are only counted.
constexpr int kShownWords = 4;

struct ChipState {
  std::vector<long> regs = std::vector<long>(kChipRegs, kUnwritten);
  std::vector<unsigned> start_command;  // values written to direct address 1
  // Only the board-loader and header forms carry the start command; the
  // simulation form never writes it and a dump is a state.
  bool carries_start_command = false;
};

int reg_index(const RegWrite& w) {
  return w.page == kDirectPage ? w.addr : paged_index(w.page, w.addr);
}

bool is_sync_write(const RegWrite& w) { return w.page == kDirectPage && w.addr == kSyncAddr; }

// The state the configuration leaves: the last write to each register (the
// writers clear some registers first and write them again at the end). A
// board-loader or header sequence may end with one-shot writes to direct
// address 1 that start the chip in some sync modes; they follow that
// register's own write and are kept apart as the start command.
ChipState chip_state(const RegImage& image) {
  ChipState st;
  st.carries_start_command =
      image.format == ImageFormat::kBoardLoader || image.format == ImageFormat::kHeader;
  const std::vector<RegWrite>& w = image.writes;
  size_t end = w.size();
  if (st.carries_start_command) {
    while (end > 0 && is_sync_write(w[end - 1])) --end;
    bool configured = false;
    for (size_t i = 0; i < end; ++i) configured = configured || is_sync_write(w[i]);
    if (!configured) end = w.size();
  }
  for (size_t i = 0; i < end; ++i) st.regs[reg_index(w[i])] = w[i].value;
  for (size_t i = end; i < w.size(); ++i) st.start_command.push_back(w[i].value);
  return st;
}

unsigned width_mask(int bits) { return bits >= 32 ? 0xffffffffu : (1u << bits) - 1; }

bool in_register(const yyy_STRTAB* s) { return s->page != kPseudoPage; }
bool per_channel(const yyy_STRTAB* s) { return field_channels(s) > 1; }

// Each register's bits that hold a catalogue field.
std::vector<unsigned> field_bits() {
  std::vector<unsigned> bits(kChipRegs, 0);
  for (const yyy_STRTAB* s : fields)
    if (in_register(s))
      for (int c = 0; c < field_channels(s); ++c)
        bits[field_register(s, c)] |= width_mask(s->bits) << s->start;
  return bits;
}

long field_value(const ChipState& st, const yyy_STRTAB* s, int c) {
  const long r = st.regs[field_register(s, c)];
  return r == kUnwritten ? kUnwritten : (r >> s->start) & width_mask(s->bits);
}

// The RAMs of a channel, on pages 32j + first_page onwards.
struct Ram {
  const char* name;
  int first_page;
  int pages;
  std::string (*word)(long);
};

std::string signed_word(long v) { return std::to_string(static_cast<int16_t>(v)); }
std::string decimal_word(long v) { return std::to_string(v); }
std::string hex_word(long v) { return strfmt("0x%lx", v); }

const Ram kRams[] = {
    {"coefficient RAM", 0, kCoefRamPageCount, signed_word},
    {"swap RAM", kSwapRamPageOffset, 1, decimal_word},
    {"back-end RAM", kBackEndRamPageOffset, 1, hex_word},
};

int ram_page(int channel, const Ram& ram, int k) {
  return kChannelPageStride * channel + ram.first_page + k;
}

std::vector<long> ram_words(const ChipState& st, int channel, const Ram& ram) {
  std::vector<long> words;
  for (int k = 0; k < ram.pages; ++k)
    for (int i = 0; i < kRamWordsPerPage; ++i)
      words.push_back(st.regs[paged_index(ram_page(channel, ram, k), kFirstPagedAddr + i)]);
  return words;
}

bool is_ram_register(int ireg) {
  RegLocation loc = reg_location(ireg);
  return loc.page >= 0 && loc.page < kChannelPageStride * kNumChannels &&
         loc.page % kChannelPageStride <= kBackEndRamPageOffset;
}

std::string shown(long v, std::string (*word)(long) = hex_word) {
  return v == kUnwritten ? "not written" : word(v);
}

std::string register_name(int ireg) {
  RegLocation loc = reg_location(ireg);
  if (loc.page == kDirectPage) return strfmt("direct address 0x%x", loc.addr);
  return strfmt("page 0x%x address 0x%x", loc.page, loc.addr);
}

std::string start_command_text(const std::vector<unsigned>& values) {
  if (values.empty()) return "none";
  std::string text;
  for (unsigned v : values) text += (text.empty() ? "" : " ") + strfmt("0x%x", v);
  return text;
}

// ---- the listing

void list_variable(std::string& out, const ChipState& st, const yyy_STRTAB* s, int c) {
  const long v = field_value(st, s, c);
  if (v == kUnwritten)
    out += strfmt("# %s: not written\n", s->ptr.c_str());
  else
    out += strfmt("%s %ld\n", s->ptr.c_str(), v);
}

void list_rams(std::string& out, const ChipState& st, int channel) {
  for (const Ram& ram : kRams) {
    std::vector<long> words = ram_words(st, channel, ram);
    int written = 0;
    for (long w : words) written += w != kUnwritten;
    out += strfmt("# %s: %d of %zu words written\n", ram.name, written, words.size());
    if (ram.first_page != 0) continue;
    // The coefficient words in RAM order, one line per page that was
    // written; "-" marks a word that was not.
    for (int k = 0; k < ram.pages; ++k) {
      std::string line;
      bool any = false;
      for (int i = 0; i < kRamWordsPerPage; ++i) {
        const long w = words[k * kRamWordsPerPage + i];
        any = any || w != kUnwritten;
        line += " " + (w == kUnwritten ? std::string("-") : ram.word(w));
      }
      if (any) out += strfmt("# %s page %d:%s\n", ram.name, k, line.c_str());
    }
  }
}

// Written registers that are not RAM and hold bits outside every field
// (all of a register that holds no field).
void list_unmapped(std::string& out, const ChipState& st, const std::vector<unsigned>& bits) {
  for (int ireg = 0; ireg < kChipRegs; ++ireg) {
    const long r = st.regs[ireg];
    if (r == kUnwritten || is_ram_register(ireg)) continue;
    if (bits[ireg] == 0)
      out += strfmt("# %s: 0x%lx holds no catalogue field\n", register_name(ireg).c_str(), r);
    else if (r & ~static_cast<long>(bits[ireg]))
      out += strfmt("# %s: bits 0x%lx outside every field\n", register_name(ireg).c_str(),
                    r & ~static_cast<long>(bits[ireg]));
  }
}

std::string listing(const RegImage& image, const ChipState& st) {
  std::string out = strfmt("# %s: %s image, %zu register writes\n", image.name.c_str(),
                           format_name(image.format), image.writes.size());
  for (const yyy_STRTAB* s : fields)
    if (in_register(s) && !per_channel(s)) list_variable(out, st, s, 0);
  for (int c = 0; c < kNumChannels; ++c) {
    out += strfmt("channel %d\n", c);
    for (const yyy_STRTAB* s : fields)
      if (in_register(s) && per_channel(s)) list_variable(out, st, s, c);
    list_rams(out, st, c);
  }
  list_unmapped(out, st, field_bits());
  if (!st.start_command.empty())
    out += strfmt("# start command (direct address 0x%x): %s\n", kSyncAddr,
                  start_command_text(st.start_command).c_str());
  return out;
}

// ---- the differences

void compare_variable(std::vector<std::string>& diffs, const ChipState& a, const ChipState& b,
                      const yyy_STRTAB* s, int c) {
  const long va = field_value(a, s, c), vb = field_value(b, s, c);
  if (va == vb) return;
  const std::string where = per_channel(s) ? strfmt(" channel %d", c) : "";
  diffs.push_back(strfmt("%s%s: %s -> %s", s->ptr.c_str(), where.c_str(),
                         shown(va, decimal_word).c_str(), shown(vb, decimal_word).c_str()));
}

void compare_rams(std::vector<std::string>& diffs, const ChipState& a, const ChipState& b,
                  int channel) {
  for (const Ram& ram : kRams) {
    std::vector<long> wa = ram_words(a, channel, ram), wb = ram_words(b, channel, ram);
    std::string first;
    int count = 0;
    for (size_t i = 0; i < wa.size(); ++i) {
      if (wa[i] == wb[i]) continue;
      if (++count <= kShownWords)
        first += strfmt("%sword %zu: %s -> %s", count > 1 ? ", " : "", i,
                        shown(wa[i], ram.word).c_str(), shown(wb[i], ram.word).c_str());
    }
    if (count == 0) continue;
    diffs.push_back(strfmt("channel %d %s: %d word%s differ%s; %s%s", channel, ram.name, count,
                           count > 1 ? "s" : "", count > 1 ? "" : "s", first.c_str(),
                           count > kShownWords ? ", ..." : ""));
  }
}

// Registers outside the RAM: a register with no field is compared whole,
// one with fields in the bits outside them (their fields are compared as
// variables, written or not).
void compare_unmapped(std::vector<std::string>& diffs, const ChipState& a, const ChipState& b,
                      const std::vector<unsigned>& bits) {
  for (int ireg = 0; ireg < kChipRegs; ++ireg) {
    if (is_ram_register(ireg)) continue;
    const long ra = a.regs[ireg], rb = b.regs[ireg];
    if (bits[ireg] == 0) {
      if (ra != rb)
        diffs.push_back(strfmt("%s: %s -> %s", register_name(ireg).c_str(), shown(ra).c_str(),
                               shown(rb).c_str()));
      continue;
    }
    const long outside = ~static_cast<long>(bits[ireg]);
    const long xa = ra == kUnwritten ? 0 : ra & outside, xb = rb == kUnwritten ? 0 : rb & outside;
    if (xa != xb)
      diffs.push_back(strfmt("%s bits outside every field: 0x%lx -> 0x%lx",
                             register_name(ireg).c_str(), xa, xb));
  }
}

std::vector<std::string> differences(const ChipState& a, const ChipState& b) {
  std::vector<std::string> diffs;
  for (const yyy_STRTAB* s : fields)
    if (in_register(s) && !per_channel(s)) compare_variable(diffs, a, b, s, 0);
  for (int c = 0; c < kNumChannels; ++c) {
    for (const yyy_STRTAB* s : fields)
      if (in_register(s) && per_channel(s)) compare_variable(diffs, a, b, s, c);
    compare_rams(diffs, a, b, c);
  }
  compare_unmapped(diffs, a, b, field_bits());
  if (a.carries_start_command && b.carries_start_command && a.start_command != b.start_command)
    diffs.push_back(strfmt("start command: %s -> %s", start_command_text(a.start_command).c_str(),
                           start_command_text(b.start_command).c_str()));
  return diffs;
}

int decode_usage() {
  report_outside_run("Usage: cmd7420 --decode FILE\n       cmd7420 --decode OLD NEW\n");
  return 2;
}

// The listing or the differences: --decode's own output, on standard output.
void print_decode_output(const std::string& text) { std::fputs(text.c_str(), stdout); }

}  // namespace

int decode_command(const std::vector<std::string>& files) {
  if (files.size() != 1 && files.size() != 2) return decode_usage();
  reset_strtab();
  initstrtab();
  std::vector<RegImage> images(files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    std::string error;
    if (!read_image(files[i], images[i], error)) {
      myerrfun(error, kModule, kReadErrorTag);
      return 2;
    }
  }
  if (images.size() == 1) {
    print_decode_output(listing(images[0], chip_state(images[0])));
    return 0;
  }
  std::vector<std::string> diffs = differences(chip_state(images[0]), chip_state(images[1]));
  for (const std::string& d : diffs) print_decode_output(d + "\n");
  return diffs.empty() ? 0 : 1;
}
