// writeit.cpp — the table, simulation, board-loader and header output files.
// The board-loader and header files carry one register write sequence in a
// fixed order: the mixers are silenced first and restored last so that the
// chip never mixes with half-loaded settings, and the synchronisation writes
// come at the very end.
#include "output/writeit.h"

#include <optional>

#include "diag.h"
#include "records.h"
#include "output/setregs.h"
#include "vartable/strtab.h"
#include "output/textblock.h"

namespace {

// The page that the board-loader writer last selected; -1 when none.
int page_reg = -1;
// The number of entries written to the header file's register table.
int nwrites = 0;

constexpr int kPowerDownAddr = 0;
constexpr int kOutputEnableAddr = 3;
// Direct address 0 with every power-down and reset bit set.
constexpr int kAllPoweredDown = 0xfff0;

// The mixer control registers of channels A, B, C and D.
constexpr int kMixerPages[4] = {0x80, 0x80, 0xa0, 0xa0};
constexpr int kMixerAddrs[4] = {0x15, 0x1d, 0x15, 0x1d};
constexpr int mixer_index(int j) { return paged_index(kMixerPages[j], kMixerAddrs[j]); }

unsigned low16(int v) { return static_cast<unsigned>(v) & 0xffffu; }
unsigned as_hex(int v) { return static_cast<unsigned>(v); }

bool is_mixer_index(int ireg) {
  for (int j = 0; j < kNumChannels; ++j)
    if (ireg == mixer_index(j)) return true;
  return false;
}

// The longest line or entry of each writer, line ends included.
constexpr size_t kMaxKx330Lines = 2 * (sizeof "dwr16 " + 2 * TextBlock::kMaxNumber + 1);
constexpr size_t kMaxHfileEntry = sizeof ",\n    { 0x, 0x, 0x }" + 3 * TextBlock::kMaxNumber;
constexpr size_t kMaxSimLine = sizeof "QOEF  ;\n" + 2 * TextBlock::kMaxNumber +
                               kRamWordsPerPage * (sizeof " 0x" + TextBlock::kMaxNumber);

void kx330_line(TextBlock& out, int page, int addr, int val) {
  char* p = out.reserve(kMaxKx330Lines);
  if (page != kDirectPage) {
    if (page != page_reg) {
      p = put_hex(put_text(p, "dwr16 "), kPageSelectAddr);
      p = put_hex(put_text(p, " "), as_hex(page));
      *p++ = '\n';
    }
    page_reg = page;
  }
  p = put_hex(put_text(p, "dwr16 "), as_hex(addr));
  p = put_hex(put_text(p, " "), low16(val));
  *p++ = '\n';
  out.commit(p);
}

void hfile_entry(TextBlock& out, int page, int addr, int val) {
  char* p = out.reserve(kMaxHfileEntry);
  if (nwrites != 0) p = put_text(p, ",\n");
  p = put_hex(put_text(p, "    { 0x"), as_hex(page));
  p = put_hex(put_text(p, ", 0x"), as_hex(addr));
  p = put_hex(put_text(p, ", 0x"), low16(val));
  out.commit(put_text(p, " }"));
  ++nwrites;
}

// The register write sequence, handed to each requested writer in turn.
class Sequence {
 public:
  Sequence() {
    if (g.printout & kOutKx330) kx330_.emplace(f_kx330.get(), collected_text(kOutKx330));
    if (g.printout & kOutH) h_.emplace(f_h.get(), collected_text(kOutH));
  }

  void emit(int page, int addr, int val) {
    if (kx330_) kx330_line(*kx330_, page, addr, val);
    if (h_) hfile_entry(*h_, page, addr, val);
  }

  void emit_page(int page, const int* words) {
    for (int i = 0; i < kRamWordsPerPage; ++i) emit(page, kFirstPagedAddr + i, words[i]);
  }

  void emit_channel_rams(int j) {
    const CHAN& c = chan[j];
    const int base = kChannelPageStride * j;
    emit_page(base + kSwapRamPageOffset, c.swapram);
    emit_page(base + kBackEndRamPageOffset, c.beram);
    for (int k = 0; k < kCoefRamPageCount; ++k) emit_page(base + k, c.coefram + kRamWordsPerPage * k);
  }

  // The one-shot writes that start the chip for the chosen sync mode; the
  // added 16 or 8 sets a bit of the one-shot field above the sync select.
  void emit_sync_writes() {
    const unsigned sync = static_cast<unsigned>(g.soB_sync);
    switch (g.sync_mode) {
      case 4:
      case 6:
      case 8:
        emit(kDirectPage, kSyncAddr, static_cast<int>(sync + 16));
        break;
      case 5:
      case 7:
      case 9:
        emit(kDirectPage, kSyncAddr, g.soB_sync);
        emit(kDirectPage, kSyncAddr, static_cast<int>(sync + 8));
        break;
      default:
        break;
    }
  }

  void hfile_head() {
    if (h_) h_->put("struct {\n    short page;\n    short addr;\n    short val;\n} regs[] = {\n");
  }

  void hfile_tail() {
    if (h_) h_->put("\n};\n\nint nwrites = ").dec(nwrites).put(";\n");
  }

 private:
  std::optional<TextBlock> kx330_, h_;
};

void write_table() {
  TextBlock out(f_tbl.get(), collected_text(kOutTbl));
  constexpr size_t kNameWidth = 20;
  constexpr size_t kValueWidth = 5;
  for (int i = 0; i < nfields; ++i) {
    const yyy_STRTAB* s = fields[i];
    const char* name = s->ptr.c_str();
    if (!is_double(s)) {
      if (!s->value[0]) continue;
      out.padded(name, kNameWidth);
      if (s->value[1]) {
        for (int c = 0; c < kNumChannels; ++c) out.put(' ').dec(*s->value[c], kValueWidth);
      } else {
        out.put(' ').dec(*s->value[0]);
      }
    } else {
      if (!s->dvalue[0]) continue;
      out.padded(name, kNameWidth);
      const int n = s->dvalue[1] ? kNumChannels : 1;
      for (int c = 0; c < n; ++c) out.put(' ').fixed6(*s->dvalue[c]);
    }
    out.put('\n');
  }
}

// A RAM line of the simulation file: its 16 words as " 0x%x", or as " %d"
// for the swap RAM, after `p`; then ";\n".
char* sim_ram_words(char* p, const int* words, bool decimal) {
  for (int i = 0; i < kRamWordsPerPage; ++i)
    p = decimal ? put_dec(put_text(p, " "), static_cast<int>(low16(words[i])))
                : put_hex(put_text(p, " 0x"), low16(words[i]));
  return put_text(p, ";\n");
}

void sim_register(TextBlock& out, int ireg) {
  char* p = out.reserve(kMaxSimLine);
  RegLocation loc = reg_location(ireg);
  if (loc.page == kDirectPage) {
    p = put_hex(put_text(p, "Wglb 0x"), as_hex(loc.addr));
  } else {
    p = put_hex(put_text(p, "Wcon 0x"), as_hex(loc.page));
    p = put_hex(put_text(p, " 0x"), as_hex(loc.addr));
  }
  p = put_hex(put_text(p, " 0x"), low16(regs[ireg]));
  out.commit(put_text(p, "\n"));
}

void sim_channel_rams(TextBlock& out, int j) {
  const CHAN& c = chan[j];
  for (int k = 0; k < kCoefRamPageCount; ++k) {
    char* p = put_dec(put_text(out.reserve(kMaxSimLine), "QOEF "), j);
    p = put_dec(put_text(p, " "), k);
    out.commit(sim_ram_words(p, c.coefram + kRamWordsPerPage * k, false));
  }
  char* p = put_dec(put_text(out.reserve(kMaxSimLine), "SWRAM "), j);
  out.commit(sim_ram_words(put_text(p, " "), c.swapram, true));
  p = put_dec(put_text(out.reserve(kMaxSimLine), "BERAM "), j);
  out.commit(sim_ram_words(put_text(p, " "), c.beram, false));
}

// Produces the register write sequence for the board-loader and header files.
void writehw() {
  reset_writeit();
  Sequence seq;
  seq.hfile_head();

  seq.emit(kDirectPage, kPowerDownAddr, kAllPoweredDown);
  for (int j = 0; j < kNumChannels; ++j) seq.emit(kMixerPages[j], kMixerAddrs[j], 0);
  for (int ireg = 1; ireg < kNumRegs; ++ireg) {
    if (regs[ireg] == kRegUnwritten || is_mixer_index(ireg)) continue;
    RegLocation loc = reg_location(ireg);
    seq.emit(loc.page, loc.addr, regs[ireg]);
  }
  for (int j = 0; j < kNumChannels; ++j) seq.emit_channel_rams(j);
  for (int j = 0; j < kNumChannels; ++j)
    seq.emit(kMixerPages[j], kMixerAddrs[j], regs[mixer_index(j)]);
  seq.emit(kDirectPage, kPowerDownAddr, regs[kPowerDownAddr]);
  seq.emit(kDirectPage, kOutputEnableAddr, regs[kOutputEnableAddr]);
  seq.emit_sync_writes();

  seq.hfile_tail();
}

// Writes the simulation script.
void writesim() {
  TextBlock out(f_sim.get(), collected_text(kOutSim));
  // Only the 0x15 mixer registers are held back to the end here.
  const int mixer_a = mixer_index(0);
  const int mixer_c = mixer_index(2);
  for (int ireg = 0; ireg < kNumRegs; ++ireg) {
    if (regs[ireg] == kRegUnwritten || ireg == mixer_a || ireg == mixer_c) continue;
    if (ireg == kPowerDownAddr)
      out.put("Wglb 0 0xfff0\nWcon 0x80 0x15 0\nWcon 0xa0 0x15 0\n");
    else
      sim_register(out, ireg);
  }
  for (int j = 0; j < kNumChannels; ++j) sim_channel_rams(out, j);
  out.put("Wcon 0x80 0x15 0x").hex(as_hex(regs[mixer_a])).put('\n');
  out.put("Wcon 0xa0 0x15 0x").hex(as_hex(regs[mixer_c])).put('\n');
  out.put("Wglb 0 0x").hex(low16(regs[kPowerDownAddr])).put('\n');
  out.put("Wglb 3 0x").hex(low16(regs[kOutputEnableAddr])).put('\n');
}

}  // namespace

void reset_writeit() {
  page_reg = -1;
  nwrites = 0;
}

void writeall() {
  if (g.printout & kOutTbl) write_table();
  if (g.printout & kOutSim) writesim();
  if (g.printout & (kOutKx330 | kOutH)) writehw();
}
