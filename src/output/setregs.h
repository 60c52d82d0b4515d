// setregs.h — packing of every variable into the paged register image.
// The image folds the chip's 16 direct addresses and its paged window
// (addresses 16 to 31 of each page) into one array indexed by `ireg`.
#pragma once
#include "vartable/strtab.h"

// The chip's addresses: 16 direct ones, and addresses 16 to 31 of each page
// of the 8-bit page register (direct address 2).
constexpr int kLastDirectAddr = 0xf;
constexpr int kFirstPagedAddr = 0x10;
constexpr int kLastPagedAddr = 0x1f;
constexpr int kLastPage = 0xff;
constexpr int kSyncAddr = 1;
constexpr int kPageSelectAddr = 2;

// Channel j's pages begin at page 32j. Its RAMs: coefficients on pages 32j
// to 32j+15, then the swap and the back-end RAM, 16 words a page at
// addresses 16 to 31.
constexpr int kChannelPageStride = 32;
constexpr int kCoefRamPageCount = 16;
constexpr int kSwapRamPageOffset = 16;
constexpr int kBackEndRamPageOffset = 17;
constexpr int kRamWordsPerPage = 16;

constexpr int kNumRegs = 3561;
constexpr int kRegUnwritten = -1;  // a register that no variable touches
constexpr int kDirectPage = -1;    // the page of a direct address

// The register image: the 16-bit word each written register receives.
extern int regs[kNumRegs];

struct RegLocation {
  int page;  // kDirectPage for a direct address
  int addr;  // 0 to 15 when direct, otherwise 16 to 31
};

// The index of address `addr` (16 to 31) of page `page`.
constexpr int paged_index(int page, int addr) { return page * 16 + addr; }
// Page and address of an index, as the chip sees them.
RegLocation reg_location(int ireg);

// Marks every register unwritten (a fresh program state).
void reset_setregs();
// Marks every register unwritten, then packs every variable.
void setregs();
// The register that holds channel c's field of a variable (c is 0 for a
// chip-wide one), and the number of channels that have a field (4 or 1).
int field_register(const yyy_STRTAB* s, int c);
int field_channels(const yyy_STRTAB* s);
// Packs `value` into the `bits`-wide field at bit `start` of register `ireg`;
// a value that does not fit is reported on standard error and packed
// unmasked, its high bits landing in the neighbouring bits.
void setreg(int ireg, int start, int bits, int value);
