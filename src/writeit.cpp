// writeit.cpp — the table, simulation, board-loader and header output files.
// The board-loader and header files carry one register write sequence in a
// fixed order: the mixers are silenced first and restored last so that the
// chip never mixes with half-loaded settings, and the synchronisation writes
// come at the very end.
#include "writeit.h"

#include <cstdio>

#include "diag.h"
#include "records.h"
#include "setregs.h"
#include "strtab.h"

int page_reg = -1;
int nwrites = 0;

namespace {

constexpr int kPowerDownAddr = 0;
constexpr int kSyncAddr = 1;
constexpr int kPageSelectAddr = 2;
constexpr int kOutputEnableAddr = 3;
// Direct address 0 with every power-down and reset bit set.
constexpr int kAllPoweredDown = 0xfff0;

// The mixer control registers of channels A, B, C and D.
constexpr int kMixerPages[4] = {0x80, 0x80, 0xa0, 0xa0};
constexpr int kMixerAddrs[4] = {0x15, 0x1d, 0x15, 0x1d};
constexpr int mixer_index(int j) { return paged_index(kMixerPages[j], kMixerAddrs[j]); }

// RAM pages of channel j: coefficients on pages 32j to 32j+15, then the swap
// and back-end RAMs.
constexpr int kChannelPageStride = 32;
constexpr int kSwapRamPage = 16;
constexpr int kBackEndRamPage = 17;
constexpr int kCoefRamPages = 16;
constexpr int kWordsPerPage = 16;
constexpr int kFirstPagedAddr = 0x10;

unsigned low16(int v) { return static_cast<unsigned>(v) & 0xffffu; }
unsigned as_hex(int v) { return static_cast<unsigned>(v); }

bool is_mixer_index(int ireg) {
  for (int j = 0; j < kNumChannels; ++j)
    if (ireg == mixer_index(j)) return true;
  return false;
}

// One write of the sequence, handed to each requested writer in turn.
void emit(int page, int addr, int val) {
  if (g.printout & kOutKx330) write_kx330(page, addr, val);
  if (g.printout & kOutH) write_hfile(page, addr, val);
}

void emit_page(int page, const int* words) {
  for (int i = 0; i < kWordsPerPage; ++i) emit(page, kFirstPagedAddr + i, words[i]);
}

void emit_channel_rams(int j) {
  const CHAN& c = chan[j];
  const int base = kChannelPageStride * j;
  emit_page(base + kSwapRamPage, c.swapram);
  emit_page(base + kBackEndRamPage, c.beram);
  for (int k = 0; k < kCoefRamPages; ++k) emit_page(base + k, c.coefram + kWordsPerPage * k);
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

void write_hfile_head() {
  std::FILE* f = f_h.get();
  std::fputs("struct {\n", f);
  std::fputs("    short page;\n", f);
  std::fputs("    short addr;\n", f);
  std::fputs("    short val;\n", f);
  std::fputs("} regs[] = {\n", f);
}

void write_hfile_tail() {
  std::FILE* f = f_h.get();
  std::fputs("\n};\n\n", f);
  std::fprintf(f, "int nwrites = %d;\n", nwrites);
}

void write_table() {
  std::FILE* f = f_tbl.get();
  for (int i = 0; i < nfields; ++i) {
    const yyy_STRTAB* s = fields[i];
    const char* name = s->ptr.c_str();
    if (!is_double(s)) {
      if (!s->value[0]) continue;
      if (s->value[1])
        std::fprintf(f, "%-20s %5d %5d %5d %5d\n", name, *s->value[0], *s->value[1],
                     *s->value[2], *s->value[3]);
      else
        std::fprintf(f, "%-20s %d\n", name, *s->value[0]);
    } else {
      if (!s->dvalue[0]) continue;
      if (s->dvalue[1])
        std::fprintf(f, "%-20s %lf %lf %lf %lf\n", name, *s->dvalue[0], *s->dvalue[1],
                     *s->dvalue[2], *s->dvalue[3]);
      else
        std::fprintf(f, "%-20s %lf\n", name, *s->dvalue[0]);
    }
  }
}

}  // namespace

void write_kx330(int page, int addr, int val) {
  std::FILE* f = f_kx330.get();
  if (page != kDirectPage) {
    if (page != page_reg) std::fprintf(f, "dwr16 %x %x\n", kPageSelectAddr, as_hex(page));
    page_reg = page;
  }
  std::fprintf(f, "dwr16 %x %x\n", as_hex(addr), low16(val));
}

void write_hfile(int page, int addr, int val) {
  std::fprintf(f_h.get(), "%s    { 0x%x, 0x%x, 0x%x }", nwrites == 0 ? "" : ",\n", as_hex(page),
               as_hex(addr), low16(val));
  ++nwrites;
}

void reset_writeit() {
  page_reg = -1;
  nwrites = 0;
}

void writehw() {
  reset_writeit();
  if (g.printout & kOutH) write_hfile_head();

  emit(kDirectPage, kPowerDownAddr, kAllPoweredDown);
  for (int j = 0; j < kNumChannels; ++j) emit(kMixerPages[j], kMixerAddrs[j], 0);
  for (int ireg = 1; ireg < kNumRegs; ++ireg) {
    if (regs[ireg] == kRegUnwritten || is_mixer_index(ireg)) continue;
    RegLocation loc = reg_location(ireg);
    emit(loc.page, loc.addr, regs[ireg]);
  }
  for (int j = 0; j < kNumChannels; ++j) emit_channel_rams(j);
  for (int j = 0; j < kNumChannels; ++j)
    emit(kMixerPages[j], kMixerAddrs[j], regs[mixer_index(j)]);
  emit(kDirectPage, kPowerDownAddr, regs[kPowerDownAddr]);
  emit(kDirectPage, kOutputEnableAddr, regs[kOutputEnableAddr]);
  emit_sync_writes();

  if (g.printout & kOutH) write_hfile_tail();
}

void writesim() {
  std::FILE* f = f_sim.get();
  // Only the 0x15 mixer registers are held back to the end here.
  const int mixer_a = mixer_index(0);
  const int mixer_c = mixer_index(2);
  for (int ireg = 0; ireg < kNumRegs; ++ireg) {
    if (regs[ireg] == kRegUnwritten || ireg == mixer_a || ireg == mixer_c) continue;
    if (ireg == kPowerDownAddr) {
      std::fputs("Wglb 0 0xfff0\n", f);
      std::fputs("Wcon 0x80 0x15 0\n", f);
      std::fputs("Wcon 0xa0 0x15 0\n", f);
      continue;
    }
    RegLocation loc = reg_location(ireg);
    if (loc.page == kDirectPage)
      std::fprintf(f, "Wglb 0x%x 0x%x\n", as_hex(loc.addr), low16(regs[ireg]));
    else
      std::fprintf(f, "Wcon 0x%x 0x%x 0x%x\n", as_hex(loc.page), as_hex(loc.addr),
                   low16(regs[ireg]));
  }
  for (int j = 0; j < kNumChannels; ++j) {
    const CHAN& c = chan[j];
    for (int k = 0; k < kCoefRamPages; ++k) {
      std::fprintf(f, "QOEF %d %d", j, k);
      for (int i = 0; i < kWordsPerPage; ++i)
        std::fprintf(f, " 0x%x", low16(c.coefram[kWordsPerPage * k + i]));
      std::fputs(";\n", f);
    }
    std::fprintf(f, "SWRAM %d ", j);
    for (int i = 0; i < kWordsPerPage; ++i)
      std::fprintf(f, " %d", static_cast<int>(low16(c.swapram[i])));
    std::fputs(";\n", f);
    std::fprintf(f, "BERAM %d ", j);
    for (int i = 0; i < kWordsPerPage; ++i) std::fprintf(f, " 0x%x", low16(c.beram[i]));
    std::fputs(";\n", f);
  }
  std::fprintf(f, "Wcon 0x80 0x15 0x%x\n", as_hex(regs[mixer_a]));
  std::fprintf(f, "Wcon 0xa0 0x15 0x%x\n", as_hex(regs[mixer_c]));
  std::fprintf(f, "Wglb 0 0x%x\n", low16(regs[kPowerDownAddr]));
  std::fprintf(f, "Wglb 3 0x%x\n", low16(regs[kOutputEnableAddr]));
}

void writeall() {
  if (g.printout & kOutTbl) write_table();
  if (g.printout & kOutSim) writesim();
  if (g.printout & (kOutKx330 | kOutH)) writehw();
}
