// Register packing: index arithmetic, the kinds of storage, unset values,
// out-of-range values and indexes past the image.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "driver.h"
#include "records.h"
#include "setregs.h"
#include "strtab.h"
#include "test_util.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

// Fresh state, every variable unset, packed.
void pack_fresh() {
  init();
  setregs();
}

int written_count() {
  return static_cast<int>(std::count_if(std::begin(regs), std::end(regs),
                                        [](int r) { return r != kRegUnwritten; }));
}

}  // namespace

TEST(RegisterIndex, FoldsPageAndAddressBothWays) {
  EXPECT_EQ(paged_index(129, 16), 2080);
  EXPECT_EQ(paged_index(18, 21), 309);
  EXPECT_EQ(paged_index(160, 29), 2589);

  RegLocation direct = reg_location(1);
  EXPECT_EQ(direct.page, kDirectPage);
  EXPECT_EQ(direct.addr, 1);
  RegLocation sum = reg_location(2080);
  EXPECT_EQ(sum.page, 0x81);
  EXPECT_EQ(sum.addr, 0x10);
  RegLocation last = reg_location(3560);  // 3560 = 221 * 16 + 8
  EXPECT_EQ(last.page, 221);
  EXPECT_EQ(last.addr, 0x18);
  RegLocation first_paged = reg_location(16);
  EXPECT_EQ(first_paged.page, 0);
  EXPECT_EQ(first_paged.addr, 0x10);
}

TEST(Packing, UnsetVariablesPackAsZeroAndStillMarkTheirRegisters) {
  pack_fresh();
  for (int ireg : {0, 1, 2, 3, 304, 309, 334, 335, 2069, 2077, 2080, 2581, 2589, 2597})
    EXPECT_EQ(regs[ireg], 0) << ireg;
  // Direct addresses 4 to 15 and page 0 hold no variable.
  for (int ireg = 4; ireg < 32; ++ireg) EXPECT_EQ(regs[ireg], kRegUnwritten) << ireg;
  // Address 31 of page 19 is chip-wide: channels B to D have nothing there.
  EXPECT_EQ(regs[paged_index(51, 31)], kRegUnwritten);
  EXPECT_EQ(regs[2598], kRegUnwritten);
  EXPECT_EQ(regs[3560], kRegUnwritten);
  // 4 direct; page 18: 11 addresses, page 19: 15 (+1 chip-wide), page 20: 6,
  // each for four channels; pages 128/160: 8 addresses for two channels
  // each; pages 129 and 161: 6 each.
  EXPECT_EQ(written_count(), 4 + 44 + 61 + 24 + 32 + 6 + 6);
}

TEST(Packing, ChipWideFieldsShareTheirRegister) {
  init();
  g.soB_sync = 5;
  g.one_shot = 2;
  g.sum_selI = 0x12;
  g.sum_selQ = 0x34;
  g.tx_pat_gen = 3;  // chip-wide, on channel A's page 19
  g.master_reset = 1;
  setregs();
  EXPECT_EQ(regs[1], 5 | 2 << 3);
  EXPECT_EQ(regs[2080], 0x3412);
  EXPECT_EQ(regs[paged_index(19, 30)], 3 << 13);
  EXPECT_EQ(regs[0], 0x8000);
}

TEST(Packing, PerChannelRegistersRepeatEvery32Pages) {
  init();
  for (int j = 0; j < kNumChannels; ++j) {
    chan[j].bwagen_soff = j + 1;
    chan[j].bwagen_wrecrl = 0xf - j;
  }
  setregs();
  EXPECT_EQ(regs[309], 0xf001);
  EXPECT_EQ(regs[821], 0xe002);
  EXPECT_EQ(regs[1333], 0xd003);
  EXPECT_EQ(regs[1845], 0xc004);
}

TEST(Packing, PairedRegistersShareAPagePerPair) {
  init();
  const int sel[4] = {1, 2, 3, 0};
  for (int j = 0; j < kNumChannels; ++j) {
    chan[j].mix_rcv_sel = sel[j];
    chan[j].mix_icos = 1;
  }
  chan[3].ncic = 0x123;
  setregs();
  EXPECT_EQ(regs[2069], 0x4001);
  EXPECT_EQ(regs[2077], 0x4002);
  EXPECT_EQ(regs[2581], 0x4003);
  EXPECT_EQ(regs[2589], 0x4000);
  EXPECT_EQ(regs[paged_index(160, 23 + 8)], 0x123);
  EXPECT_EQ(regs[paged_index(128, 23)], 0);
}

TEST(Packing, PseudoVariablesAreNeverPacked) {
  init();
  // sync_mode sits at address 0, bit 0 in the catalogue; packing it would
  // disturb the power-down register.
  g.sync_mode = 9;
  g.fck = 100.0;
  for (CHAN& c : chan) {
    c.pwr_mtr_on = 1;
    c.fir_dec = 4;
  }
  CaptureStderr();
  setregs();
  EXPECT_EQ(GetCapturedStderr(), "");
  EXPECT_EQ(regs[0], 0);
  EXPECT_EQ(written_count(), 177);
}

TEST(Packing, LaterFieldReplacesOnlyItsOwnBits) {
  init();
  setregs();
  setreg(5, 4, 4, 0xf);
  setreg(5, 0, 4, 0x3);
  EXPECT_EQ(regs[5], 0xf3);
  setreg(5, 4, 4, 0x6);
  EXPECT_EQ(regs[5], 0x63);
  setreg(5, 4, 4, -1);  // unset clears the field
  EXPECT_EQ(regs[5], 0x03);
}

TEST(OutOfRange, ValueIsReportedAndSpillsIntoTheNextBits) {
  init();
  // pwr_meter_trig: 3 bits at bit 10 of page 19 address 28; bits 13 to 15
  // belong to no field.
  chan[0].pwr_meter_trig = 8;
  CaptureStderr();
  setregs();
  EXPECT_EQ(GetCapturedStderr(),
            "Value out of range register 332 value 8\n"
            "Page 13 Address 1c\n");
  EXPECT_EQ(regs[332], 1 << 13);
  EXPECT_EQ(exit_status, 0);
}

TEST(OutOfRange, DirectRegisterShowsTheAllOnesPage) {
  pack_fresh();
  CaptureStderr();
  setreg(1, 0, 3, 8);
  EXPECT_EQ(GetCapturedStderr(),
            "Value out of range register 1 value 8\n"
            "Page ffffffff Address 1\n");
  EXPECT_EQ(regs[1], 8);
}

TEST(OutOfRange, NegativeCountOfAnUnsetCicIsPackedUnmasked) {
  init();
  chan[0].ncic = -2;  // what an unset CIC count yields
  CaptureStderr();
  setregs();
  EXPECT_EQ(GetCapturedStderr(),
            "Value out of range register 2071 value -2\n"
            "Page 80 Address 17\n");
  // Low 12 bits from the value, bit 15 (no field) from its sign; bits 12 to
  // 14 belong to cic_sync.
  EXPECT_EQ(regs[2071] & 0x8fff, 0x8ffe);
  EXPECT_LT(regs[2071], 0);
  EXPECT_EQ(exit_status, 0);
}

TEST(BadAddress, ReportedAndNothingStored) {
  pack_fresh();
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
  init();
  setregs();
  regs[10] = 77;
  chan[2].gain_lsb = 4096;
  setregs();
  EXPECT_EQ(regs[10], kRegUnwritten);
  EXPECT_EQ(regs[paged_index(83, 19)], 4096);
  yyy_STRTAB* s = yyysearchstr("gain_lsb");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(set_reg(s), 0);
}
