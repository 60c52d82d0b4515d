// Register packing: index arithmetic, the kinds of storage, unset values,
// out-of-range values and indexes past the image.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "driver.h"
#include "records.h"
#include "setregs.h"
#include "strtab.h"
#include "test_util.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

int written_count() {
  return static_cast<int>(
      std::count_if(std::begin(regs), std::end(regs), [](int r) { return r != kRegUnwritten; }));
}

// What packing `fill` (or nothing) into fresh records writes to standard error.
std::string pack(void (*fill)() = [] {}) {
  init();
  fill();
  CaptureStderr();
  setregs();
  return GetCapturedStderr();
}

}  // namespace

TEST(RegisterIndex, FoldsPageAndAddressBothWays) {
  const struct {
    int page, addr, index;
  } cases[] = {{129, 16, 2080}, {18, 21, 309}, {160, 29, 2589}, {221, 0x18, 3560}, {0, 0x10, 16}};
  for (const auto& k : cases) {
    EXPECT_EQ(paged_index(k.page, k.addr), k.index);
    RegLocation at = reg_location(k.index);
    EXPECT_EQ(at.page, k.page) << k.index;
    EXPECT_EQ(at.addr, k.addr) << k.index;
  }
  RegLocation direct = reg_location(1);
  EXPECT_EQ(direct.page, kDirectPage);
  EXPECT_EQ(direct.addr, 1);
}

// Direct addresses 4 to 15 and page 0 hold no variable; address 31 of page
// 19 is chip-wide, so channels B to D have nothing there. Written: 4
// direct; page 18: 11 addresses, page 19: 15 (+1 chip-wide), page 20: 6,
// each for four channels; pages 128/160: 8 addresses for two channels each;
// pages 129 and 161: 6 each.
TEST(Packing, UnsetVariablesPackAsZeroAndStillMarkTheirRegisters) {
  EXPECT_EQ(pack(), "");
  for (int ireg : {0, 1, 2, 3, 304, 309, 334, 335, 2069, 2077, 2080, 2581, 2589, 2597})
    EXPECT_EQ(regs[ireg], 0) << ireg;
  for (int ireg = 4; ireg < 32; ++ireg) EXPECT_EQ(regs[ireg], kRegUnwritten) << ireg;
  for (int ireg : {paged_index(51, 31), 2598, 3560}) EXPECT_EQ(regs[ireg], kRegUnwritten) << ireg;
  EXPECT_EQ(written_count(), 4 + 44 + 61 + 24 + 32 + 6 + 6);
}

// tx_pat_gen is chip-wide, on channel A's page 19.
TEST(Packing, ChipWideFieldsShareTheirRegister) {
  pack([] {
    g.soB_sync = 5, g.one_shot = 2, g.sum_selI = 0x12, g.sum_selQ = 0x34, g.tx_pat_gen = 3;
    g.master_reset = 1;
  });
  EXPECT_EQ(regs[1], 5 | 2 << 3);
  EXPECT_EQ(regs[2080], 0x3412);
  EXPECT_EQ(regs[paged_index(19, 30)], 3 << 13);
  EXPECT_EQ(regs[0], 0x8000);
}

TEST(Packing, PerChannelRegistersRepeatEvery32PagesAndPairedOnesShareAPagePerPair) {
  pack([] {
    const int sel[4] = {1, 2, 3, 0};
    for (int j = 0; j < kNumChannels; ++j) {
      chan[j].bwagen_soff = j + 1;
      chan[j].bwagen_wrecrl = 0xf - j;
      chan[j].mix_rcv_sel = sel[j];
      chan[j].mix_icos = 1;
    }
    chan[3].ncic = 0x123;
  });
  EXPECT_EQ((std::vector<int>{regs[309], regs[821], regs[1333], regs[1845]}),
            (std::vector<int>{0xf001, 0xe002, 0xd003, 0xc004}));
  EXPECT_EQ((std::vector<int>{regs[2069], regs[2077], regs[2581], regs[2589]}),
            (std::vector<int>{0x4001, 0x4002, 0x4003, 0x4000}));
  EXPECT_EQ(regs[paged_index(160, 23 + 8)], 0x123);
  EXPECT_EQ(regs[paged_index(128, 23)], 0);
}

// sync_mode sits at address 0, bit 0 in the catalogue; packing it would
// disturb the power-down register.
TEST(Packing, PseudoVariablesAreNeverPacked) {
  EXPECT_EQ(pack([] {
              g.sync_mode = 9;
              g.fck = 100.0;
              for (CHAN& c : chan) c.pwr_mtr_on = 1, c.fir_dec = 4;
            }),
            "");
  EXPECT_EQ(regs[0], 0);
  EXPECT_EQ(written_count(), 177);
}

// Unset (-1) clears the field.
TEST(Packing, LaterFieldReplacesOnlyItsOwnBits) {
  pack();
  const struct {
    int start, value, reg;
  } steps[] = {{4, 0xf, 0xf0}, {0, 0x3, 0xf3}, {4, 0x6, 0x63}, {4, -1, 0x03}};
  for (const auto& k : steps) {
    setreg(5, k.start, 4, k.value);
    EXPECT_EQ(regs[5], k.reg) << k.value;
  }
}

// A value that does not fit its field: the two standard-error lines always;
// for a chip-wide field or a live channel's, the value masked to the field
// and an error; for a powered-down channel's (unset, -1, counts as powered
// down), the value packed unmasked. pwr_meter_trig: 3 bits at bit 10 of
// page 19 address 28, bits 13 to 15 belong to no field. ncic: the low 12
// bits of page 128 address 23 (+8 for B and D, page 160 for C and D), with
// cic_sync in bits 12 to 14.
TEST(OutOfRange, MaskedAndReportedUnlessTheChannelIsPoweredDown) {
  const struct {
    const char* what;
    void (*fill)();
    int ireg, reg;
    std::string log;
  } cases[] = {
      {"powered down: spills into the next bits", [] { chan[0].powerdown = 1, chan[0].pwr_meter_trig = 8; },
       332, 1 << 13, "Value out of range register 332 value 8\nPage 13 Address 1c\n"},
      {"live: masked", [] { chan[0].powerdown = 0, chan[0].pwr_meter_trig = 8; }, 332, 0,
       "Value out of range register 332 value 8\nPage 13 Address 1c\n"
       "Error: Value of pwr_meter_trig of channel A does not fit in its 3 bits: 8\n"},
      // -2 fills bit 15 (no field) and cic_sync's bits.
      {"powered-down count of an unset CIC", [] { chan[0].powerdown = 1, chan[0].ncic = -2, chan[0].cic_sync = 2; },
       2071, static_cast<int>(0xfffffffe), "Value out of range register 2071 value -2\nPage 80 Address 17\n"},
      {"live paired channel: cic_sync kept", [] { chan[3].powerdown = 0, chan[3].ncic = -2, chan[3].cic_sync = 2; },
       2591, 0x2ffe,
       "Value out of range register 2591 value -2\nPage a0 Address 1f\n"
       "Error: Value of ncic of channel D does not fit in its 12 bits: -2\n"},
      {"live paired channel: the value before masking", [] { chan[1].powerdown = 0, chan[1].ncic = 0x1005; },
       2079, 5,
       "Value out of range register 2079 value 4101\nPage 80 Address 1f\n"
       "Error: Value of ncic of channel B does not fit in its 12 bits: 4101\n"},
      // Chip-wide fields are live whatever channel A's power-down.
      {"chip-wide: sum_selQ kept", [] { chan[0].powerdown = 1, g.sum_selI = 0x1ff, g.sum_selQ = 0x34; }, 2080, 0x34ff,
       "Value out of range register 2080 value 511\nPage 81 Address 10\n"
       "Error: Value of sum_selI does not fit in its 8 bits: 511\n"},
  };
  for (const auto& k : cases) {
    EXPECT_EQ(pack(k.fill), k.log) << k.what;
    EXPECT_EQ(regs[k.ireg], k.reg) << k.what;
    EXPECT_EQ(exit_status, k.log.find("Error") == std::string::npos ? 0 : 1) << k.what;
  }
}

// setreg itself packs unmasked.
TEST(OutOfRange, SetregSpillsIntoTheNextBits) {
  pack();
  CaptureStderr();
  setreg(1, 0, 3, 8);
  EXPECT_EQ(GetCapturedStderr(), "Value out of range register 1 value 8\nPage ffffffff Address 1\n");
  EXPECT_EQ(regs[1], 8);
  EXPECT_EQ(exit_status, 0);
}

TEST(BadAddress, ReportedAndNothingStored) {
  pack();
  const std::vector<int> before(std::begin(regs), std::end(regs));
  CaptureStderr();
  setreg(3561, 0, 4, 5);
  setreg(65520, 0, 1, 1);
  EXPECT_EQ(GetCapturedStderr(), "Bad address 3561\nBad address 65520\n");
  EXPECT_EQ(std::vector<int>(std::begin(regs), std::end(regs)), before);
  CaptureStderr();
  setreg(3560, 0, 4, 5);
  EXPECT_EQ(GetCapturedStderr(), "");
  EXPECT_EQ(regs[3560], 5);
}

TEST(Packing, WalkVisitsEveryRecordAndResetsTheImage) {
  pack();
  regs[10] = 77;
  chan[2].gain_lsb = 4096;
  setregs();
  EXPECT_EQ(regs[10], kRegUnwritten);
  EXPECT_EQ(regs[paged_index(83, 19)], 4096);
  yyy_STRTAB* s = yyysearchstr("gain_lsb");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(set_reg(s), 0);
}
