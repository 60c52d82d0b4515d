// setregs.cpp — packing of every variable into the paged register image.
// Every catalogue variable that has a register is packed, set or not, so
// that every register holding a variable is written out; an unset value
// packs as 0.
#include "setregs.h"

#include <cstdint>
#include <cstdio>

#include "records.h"

int regs[kNumRegs];

namespace {

// Per-channel registers of the first kind repeat every 32 pages; the paired
// kind puts the second channel of a pair 8 addresses further on.
constexpr int kChannelPageStride = 32;
constexpr int kPairedAddrOffset = 8;
constexpr int kLastDirectAddr = 15;

// The field mask of a width, without shifting past the word.
uint32_t field_mask(int bits) {
  if (bits <= 0) return 0;
  if (bits >= 32) return 0xffffffffu;
  return (uint32_t{1} << bits) - 1;
}

uint32_t shifted(uint32_t v, int start) { return start >= 0 && start < 32 ? v << start : 0; }

bool packable(const yyy_STRTAB* s, int nchannels) {
  for (int j = 0; j < nchannels; ++j)
    if (!s->value[j]) return false;
  return true;
}

}  // namespace

RegLocation reg_location(int ireg) {
  RegLocation loc{ireg / 16 - 1, ireg % 16};
  if (loc.page != kDirectPage) loc.addr += 16;
  return loc;
}

void setreg(int ireg, int start, int bits, int value) {
  if (ireg < 0 || ireg >= kNumRegs) {
    // Nothing is stored: the image has no room for such an index.
    std::fprintf(stderr, "Bad address %d\n", ireg);
    return;
  }
  if (regs[ireg] == kRegUnwritten) regs[ireg] = 0;
  const int x = value == -1 ? 0 : value;
  const uint32_t mask = field_mask(bits);
  if (x < 0 || static_cast<uint32_t>(x) > mask) {
    RegLocation loc = reg_location(ireg);
    std::fprintf(stderr, "Value out of range register %d value %d\n", ireg, x);
    std::fprintf(stderr, "Page %x Address %x\n", static_cast<unsigned>(loc.page),
                 static_cast<unsigned>(loc.addr));
  }
  // The value is deliberately not masked: the high bits of an out-of-range
  // value land in the neighbouring fields, and images are compared bit for
  // bit with that behaviour.
  uint32_t entry = static_cast<uint32_t>(regs[ireg]);
  entry = (entry & ~shifted(mask, start)) | shifted(static_cast<uint32_t>(x), start);
  regs[ireg] = static_cast<int>(entry);
}

int field_register(const yyy_STRTAB* s, int c) {
  switch (s->regtype) {
    case 1:
      return paged_index(s->page + kChannelPageStride * c, s->addr);
    case 2:
      return paged_index(s->page + kChannelPageStride * (c / 2),
                         s->addr + kPairedAddrOffset * (c % 2));
    default:
      return s->addr <= kLastDirectAddr ? s->addr : paged_index(s->page, s->addr);
  }
}

int field_channels(const yyy_STRTAB* s) {
  return s->regtype == 1 || s->regtype == 2 ? kNumChannels : 1;
}

int set_reg(yyy_STRTAB* s) {
  if (s->page == kPseudoPage) return 0;
  const int nchannels = field_channels(s);
  if (!packable(s, nchannels)) return 0;
  for (int j = 0; j < nchannels; ++j) setreg(field_register(s, j), s->start, s->bits, *s->value[j]);
  return 0;
}

void reset_setregs() {
  for (int& r : regs) r = kRegUnwritten;
}

void setregs() {
  reset_setregs();
  yyystrings(set_reg);
}
