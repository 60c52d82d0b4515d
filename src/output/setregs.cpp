// setregs.cpp — packing of every variable into the paged register image.
// Every catalogue variable that has a register is packed, set or not, so
// that every register holding a variable is written out; an unset value
// packs as 0. A value that does not fit its field is reported.
#include "output/setregs.h"

#include <cstdint>
#include <cstdio>

#include "diag.h"
#include "records.h"

int regs[kNumRegs];

namespace {

// Per-channel registers of the first kind repeat every channel's pages; the
// paired kind puts the second channel of a pair 8 addresses further on.
constexpr int kPairedAddrOffset = 8;

// The module and line tag of the error about a field that does not fit are
// fixed output text, not a source line.
const char* const kModule = "setregs";
constexpr int kLineFieldOverflow = 43;
constexpr int kChipWide = -1;           // the "channel" of a chip-wide field

// What becomes of the bits of a value that do not fit its field.
enum class Overflow {
  kSpill,  // they land in the neighbouring bits of the register
  kMask,   // they are dropped
};

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

// Packs `value` into the `bits`-wide field at bit `start` of register
// `ireg`; true when the value did not fit (reported on standard error).
bool pack_field(int ireg, int start, int bits, int value, Overflow overflow) {
  if (ireg < 0 || ireg >= kNumRegs) {
    // Nothing is stored: the image has no room for such an index.
    report_stderr_only(Severity::kError, strfmt("Bad address %d\n", ireg));
    return false;
  }
  if (regs[ireg] == kRegUnwritten) regs[ireg] = 0;
  const int x = value == -1 ? 0 : value;
  const uint32_t mask = field_mask(bits);
  const bool overflows = x < 0 || static_cast<uint32_t>(x) > mask;
  if (overflows) {
    RegLocation loc = reg_location(ireg);
    report_stderr_only(Severity::kWarning,
                       strfmt("Value out of range register %d value %d\nPage %x Address %x\n", ireg,
                              x, static_cast<unsigned>(loc.page), static_cast<unsigned>(loc.addr)));
  }
  uint32_t bits_in = static_cast<uint32_t>(x);
  if (overflow == Overflow::kMask) bits_in &= mask;
  uint32_t entry = static_cast<uint32_t>(regs[ireg]);
  entry = (entry & ~shifted(mask, start)) | shifted(bits_in, start);
  regs[ireg] = static_cast<int>(entry);
  return overflows;
}

// Packs channel `ch`'s value of `s` (kChipWide: its only value) into
// register `ireg`. A chip-wide field or one of a live channel that does not
// fit is masked to its width, so that its neighbours keep their values, and
// reported as an error. A powered-down channel's fields spill unmasked as
// they always have: its unset counts (a CIC count of -2) routinely do not
// fit, and its register bytes must stay as they are.
void pack_variable(const yyy_STRTAB* s, int ireg, int ch, int value) {
  const bool live = ch == kChipWide || chan[ch].powerdown == 0;
  if (!pack_field(ireg, s->start, s->bits, value, live ? Overflow::kMask : Overflow::kSpill) ||
      !live)
    return;
  if (ch == kChipWide)
    myerrfun(strfmt("Value of %s does not fit in its %d bits: %d", s->ptr.c_str(), s->bits, value),
             kModule, kLineFieldOverflow);
  else
    myerrfun(strfmt("Value of %s of channel %c does not fit in its %d bits: %d", s->ptr.c_str(),
                    'A' + ch, s->bits, value),
             kModule, kLineFieldOverflow);
}

}  // namespace

RegLocation reg_location(int ireg) {
  RegLocation loc{ireg / 16 - 1, ireg % 16};
  if (loc.page != kDirectPage) loc.addr += 16;
  return loc;
}

void setreg(int ireg, int start, int bits, int value) {
  pack_field(ireg, start, bits, value, Overflow::kSpill);
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

namespace {

// Packs one variable into the registers of its kind of storage; returns 0
// so that the walk over the table goes on. A chip-wide value, or one of a
// channel that is not powered down, that does not fit its field is packed
// masked to the field and reported as an error.
int set_reg(yyy_STRTAB* s) {
  if (s->page == kPseudoPage) return 0;
  const int nchannels = field_channels(s);
  if (!packable(s, nchannels)) return 0;
  for (int j = 0; j < nchannels; ++j) {
    WorkingOnChannel working(nchannels == 1 ? -1 : j);
    pack_variable(s, field_register(s, j), nchannels == 1 ? kChipWide : j, *s->value[j]);
  }
  return 0;
}

}  // namespace

void reset_setregs() {
  for (int& r : regs) r = kRegUnwritten;
}

void setregs() {
  reset_setregs();
  yyystrings(set_reg);
}
