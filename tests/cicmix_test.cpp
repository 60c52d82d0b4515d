// CIC stages and shifts, the receive gain factors and the mixer selects.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "cicmix.h"
#include "test_util.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

const char* const kNegative = "CIC shift was calculated to be negative; setting to 0 as MIN value";
const char* const kOver39 = "CIC shift was calculated to be over 39; setting to 39 as MAX value";

// Both pairs receiving, every channel live with decimation nc and the values
// config and fir_config leave for a plain non-symmetric filter.
void receive_all(int nc) {
  init();
  declare_modes(2, 2);
  g.splitiqAB = g.splitiqCD = 0;
  for (CHAN& c : chan) {
    c.powerdown = 0;
    c.cic_int = 1;
    c.cic_dec = nc;
    c.cic_2x = 0;
    c.ncic = nc - 1;
    c.coefsym = 0;
    c.fir_sym = 0;
  }
}

// Both pairs transmitting with interpolation nc.
void transmit_all(int nc) {
  init();
  declare_modes(1, 1);
  g.splitiqAB = g.splitiqCD = 0;
  for (CHAN& c : chan) {
    c.powerdown = 0;
    c.cic_int = nc;
    c.cic_dec = 1;
    c.cic_2x = 0;
    c.ncic = nc - 1;
    c.coefsym = 0;
    c.fir_sym = 0;
  }
}

// Runs the pass and returns what it wrote to standard error.
std::string run_pass() { return stderr_of(cic_mix_config); }


}  // namespace

TEST(ReceiveCicShift, WorkedValuesForPowersOfTwoAndHundred) {
  const int cases[][2] = {{2, 35}, {4, 30}, {8, 25}, {16, 20}, {32, 14},
                          {64, 9}, {100, 6}, {128, 5}};
  for (const auto& c : cases) {
    receive_all(c[0]);
    EXPECT_EQ(run_pass(), "") << c[0];
    EXPECT_EQ(chan[0].cic_shift, c[1]) << c[0];
    EXPECT_EQ(chan[0].cic_rshift, 1) << c[0];
    EXPECT_EQ(chan[0].cic_rcv, 1);
    EXPECT_EQ(chan[0].fir_rnd20, 1);
    EXPECT_EQ(chan[0].g_rshift, 1.0);
    EXPECT_EQ(chan[0].g_mix, 0.5);
    EXPECT_EQ(chan[0].g_zpad, 1.0);
    EXPECT_DOUBLE_EQ(chan[0].g_cic, std::pow(c[0], 5.0) * std::pow(2.0, c[1] - 39.0)) << c[0];
  }
}

TEST(ReceiveCicShift, Decimation256ClampsToZeroAndDropsTheRoundingShift) {
  receive_all(256);
  std::string err = run_pass();
  EXPECT_FALSE(contains(err, "too large"));
  EXPECT_TRUE(contains(err, std::string("Warning: ") + kNegative + "\n"));
  EXPECT_EQ(chan[0].cic_shift, 0);
  EXPECT_EQ(chan[0].cic_rshift, 0);
  EXPECT_EQ(chan[0].g_rshift, 0.5);
  EXPECT_EQ(exit_status, 0);
}

TEST(ReceiveCicShift, AboveLimitIsAnErrorButStillComputed) {
  receive_all(257);
  std::string err = run_pass();
  EXPECT_TRUE(contains(err, "Error: CIC decimation amount is too large\n"));
  EXPECT_EQ(chan[0].cic_shift, 0);
  EXPECT_EQ(exit_status, 1);
}

TEST(ReceiveCicShift, NoDecimationClampsTo39) {
  receive_all(1);
  std::string err = run_pass();
  EXPECT_TRUE(contains(err, std::string("Warning: ") + kOver39 + "\n"));
  EXPECT_EQ(chan[0].cic_shift, 39);
  EXPECT_EQ(chan[0].cic_rshift, 1);
}

TEST(ReceiveCicShift, ZeroPaddingBeyondDecimationUsesFourStages) {
  receive_all(2);
  g.rinf_zpad = 3;
  run_pass();
  EXPECT_EQ(chan[0].cic_shift, 36);
  EXPECT_EQ(chan[0].g_zpad, 0.25);
}

TEST(ReceiveCicShift, SymmetricCoefficientsLowerTheShiftBeforeClamping) {
  receive_all(8);
  chan[0].coefsym = 1;
  chan[1].coefsym = 2;
  run_pass();
  EXPECT_EQ(chan[0].cic_shift, 24);
  EXPECT_EQ(chan[1].cic_shift, 24);
  EXPECT_EQ(chan[2].cic_shift, 25);
  receive_all(1);
  chan[0].coefsym = 1;  // 40 - 1 is in range: no warning for this channel
  CaptureStderr();
  cic_mix_config();
  std::string err = GetCapturedStderr();
  EXPECT_EQ(chan[0].cic_shift, 39);
  size_t warnings = 0;
  for (size_t at = err.find(kOver39); at != std::string::npos; at = err.find(kOver39, at + 1))
    ++warnings;
  EXPECT_EQ(warnings, 3u);
}

TEST(ReceiveCicShift, UserValuesAreNeitherClampedNorWarnedAbout) {
  receive_all(256);
  for (CHAN& c : chan) c.cic_shift = 7;
  chan[0].cic_rshift = 1;
  EXPECT_EQ(run_pass(), "");
  EXPECT_EQ(chan[0].cic_shift, 7);
  EXPECT_EQ(chan[0].cic_rshift, 1);  // the user's rounding shift stays
  EXPECT_EQ(chan[1].cic_rshift, 0);  // computed: dropped for the negative shift
  EXPECT_DOUBLE_EQ(chan[0].g_cic, std::pow(256.0, 5.0) * std::pow(2.0, 7 - 39.0));
}

TEST(ReceiveCicShift, MissingOrZeroDecimationCountsAsAboveRange) {
  // A powered-down receive channel without cic_dec (nc -1) is still visited.
  receive_all(8);
  chan[1].powerdown = 1;
  chan[1].cic_dec = -1;
  chan[2].cic_dec = 0;
  std::string err = run_pass();
  EXPECT_EQ(chan[1].cic_shift, 39);
  EXPECT_EQ(chan[2].cic_shift, 39);
  EXPECT_EQ(chan[0].cic_shift, 25);
  EXPECT_TRUE(contains(err, kOver39));
}

TEST(ReceiveCicShift, BypassedCicInSplitIqPassesThroughTheShifter) {
  receive_all(1);
  g.splitiqAB = 1;
  chan[0].bypass_cic = 1;
  chan[1].bypass_cic = 1;
  chan[1].fir_sym = 1;
  chan[2].bypass_cic = 1;  // pair C/D is not split: ordinary clamp
  run_pass();
  EXPECT_EQ(chan[0].cic_shift, 39);
  EXPECT_EQ(chan[0].g_cic, 1.0);
  EXPECT_EQ(chan[1].cic_shift, 38);
  EXPECT_EQ(chan[1].g_cic, 0.5);
  EXPECT_EQ(chan[2].cic_shift, 39);
  EXPECT_EQ(chan[2].g_cic, 1.0);  // 1^5 x 2^0
}

TEST(CicModes, ReceiveFlagsFollowSymmetryRateAndSplitIq) {
  receive_all(1);
  g.splitiqAB = 1;
  chan[0].ncic = chan[1].ncic = 5;
  chan[2].fir_sym = 1;
  chan[3].ncic = 0;
  run_pass();
  EXPECT_EQ(chan[1].ncic, 5);
  EXPECT_EQ(chan[0].cic_rcv_full, 1);
  EXPECT_EQ(chan[2].cic_rcv_full, 0);
  EXPECT_EQ(chan[0].cic_rcv_cross, 0);
  EXPECT_EQ(chan[1].cic_rcv_cross, 1);
  EXPECT_EQ(chan[3].cic_rcv_cross, 0);
  EXPECT_EQ(chan[0].swap_rcv_tdly, 0);
  EXPECT_EQ(chan[3].swap_rcv_tdly, 1);
  EXPECT_EQ(chan[3].cic_bypass, 0);  // only transmit channels bypass
  EXPECT_EQ(chan[0].cic_xmt_5stg, 0);
  EXPECT_EQ(chan[0].cic_xmt_d6stg, 0);

  receive_all(4);
  g.rin_rate = 2;
  run_pass();
  for (const CHAN& c : chan) EXPECT_EQ(c.cic_rcv_cross, 1);
}

TEST(CicModes, SplitIqCopiesTheStageCountToTheSecondChannel) {
  transmit_all(4);
  chan[0].ncic = 7;
  chan[2].ncic = 9;
  g.splitiqCD = 1;
  run_pass();
  EXPECT_EQ(chan[1].ncic, 3);
  EXPECT_EQ(chan[3].ncic, 9);
}

TEST(TransmitCic, SixStagesUpTo294) {
  transmit_all(294);
  EXPECT_EQ(run_pass(), "");
  EXPECT_EQ(chan[0].cic_xmt_5stg, 0);
  EXPECT_EQ(chan[0].cic_xmt_d6stg, 0);
  EXPECT_EQ(chan[0].cic_rcv, 2);
  EXPECT_EQ(chan[0].cic_rcv_full, 0);
  EXPECT_EQ(chan[0].cic_shift, -1);  // the gain pass decides
  transmit_all(295);
  run_pass();
  EXPECT_EQ(chan[0].cic_xmt_5stg, 1);
  EXPECT_EQ(chan[0].cic_xmt_d6stg, 0);
}

TEST(TransmitCic, DoubleRateSixStages) {
  transmit_all(294);
  g.tout_rate = 2;
  chan[1].cic_int = 295;
  chan[2].cic_xmt_5stg = 0;  // chosen by the user: counted as five stages
  chan[2].cic_int = 8;
  run_pass();
  EXPECT_EQ(chan[0].cic_xmt_d6stg, 1);
  EXPECT_EQ(chan[1].cic_xmt_d6stg, 0);
  EXPECT_EQ(chan[2].cic_xmt_5stg, 0);
  EXPECT_EQ(chan[2].cic_xmt_d6stg, 0);
}

TEST(TransmitCic, InterpolationLimit) {
  transmit_all(1217);
  EXPECT_EQ(run_pass(), "");
  transmit_all(1218);
  EXPECT_TRUE(contains(run_pass(), "Error: CIC interpolation amount is too large\n"));
  EXPECT_EQ(chan[0].cic_rcv, 2);
}

TEST(TransmitCic, BypassDefaultsOnlyWithoutStagesAndDoubleRate) {
  transmit_all(1);
  chan[1].cic_2x = 1;
  chan[2].ncic = 1;
  chan[3].cic_bypass = 0;
  run_pass();
  EXPECT_EQ(chan[0].cic_bypass, 1);
  EXPECT_EQ(chan[1].cic_bypass, 0);
  EXPECT_EQ(chan[2].cic_bypass, 0);
  EXPECT_EQ(chan[0].swap_rcv_tdly, 0);
}

TEST(Mixer, SplitIqComplexTransmitDrivesBothHalvesFromTheFirstChannel) {
  transmit_all(4);
  g.splitiqAB = 1;
  g.tout_cmplx = 1;
  run_pass();
  const CHAN& a = chan[0];
  EXPECT_EQ(a.mix_icos, 3);
  EXPECT_EQ(a.mix_isin, 3);
  EXPECT_EQ(a.mix_qcos, 2);
  EXPECT_EQ(a.mix_qsin, 2);
  EXPECT_EQ(a.mix_inv_qsin, 1);
  EXPECT_EQ(a.mix_inv_icos + a.mix_inv_isin + a.mix_inv_qcos, 0);
  const CHAN& b = chan[1];
  EXPECT_EQ(b.mix_icos + b.mix_isin + b.mix_qcos + b.mix_qsin, 0);
  EXPECT_EQ(b.mix_inv_icos + b.mix_inv_isin + b.mix_inv_qcos + b.mix_inv_qsin, 0);
  EXPECT_EQ(a.mix_rcv_cmplx, 0);
  // Pair C/D is not split: ordinary complex full-rate selects.
  EXPECT_EQ(chan[2].mix_icos, 3);
  EXPECT_EQ(chan[2].mix_isin, 3);
  EXPECT_EQ(chan[2].mix_qcos, 3);
  EXPECT_EQ(chan[2].mix_qsin, 3);
  EXPECT_EQ(chan[2].mix_inv_qsin, 1);
}

TEST(Mixer, SplitIqRealTransmitAndTransceive) {
  transmit_all(4);
  g.mode[1] = 2;
  chan[2].xmt = chan[3].xmt = 0;
  g.splitiqAB = 1;
  g.tout_cmplx = 0;
  run_pass();
  EXPECT_EQ(chan[0].mix_icos, 3);
  EXPECT_EQ(chan[0].mix_qsin, 2);
  EXPECT_EQ(chan[0].mix_qcos, 0);
  EXPECT_EQ(chan[0].mix_isin, 0);
  EXPECT_EQ(chan[1].mix_icos, 0);
  EXPECT_EQ(chan[1].mix_qsin, 0);
}

TEST(Mixer, TransmitRealAndDoubleRateSelects) {
  transmit_all(4);
  g.tout_cmplx = 0;
  chan[1].bypass_mix = 1;
  run_pass();
  EXPECT_EQ(chan[0].mix_icos, 3);
  EXPECT_EQ(chan[0].mix_isin, 0);
  EXPECT_EQ(chan[0].mix_qcos, 0);
  EXPECT_EQ(chan[0].mix_qsin, 3);
  EXPECT_EQ(chan[0].mix_inv_qsin, 1);
  EXPECT_EQ(chan[1].mix_qsin, 0);
  EXPECT_EQ(chan[1].mix_inv_qsin, 0);

  transmit_all(4);
  g.tout_cmplx = 1;
  g.tout_rate = 2;
  run_pass();
  EXPECT_EQ(chan[2].mix_icos, 3);
  EXPECT_EQ(chan[2].mix_isin, 3);
  EXPECT_EQ(chan[2].mix_qcos, 2);
  EXPECT_EQ(chan[2].mix_qsin, 2);
  EXPECT_EQ(chan[3].mix_icos, 2);
  EXPECT_EQ(chan[3].mix_isin, 2);
  EXPECT_EQ(chan[3].mix_qcos, 3);
  EXPECT_EQ(chan[3].mix_qsin, 3);
}

TEST(Mixer, ReceiveRealDataSilencesTheQuadratureMultipliers) {
  receive_all(4);
  g.rin_cmplx = 0;
  run_pass();
  EXPECT_EQ(chan[0].mix_icos, 1);
  EXPECT_EQ(chan[0].mix_isin, 1);
  EXPECT_EQ(chan[0].mix_qcos, 0);
  EXPECT_EQ(chan[0].mix_qsin, 0);
  EXPECT_EQ(chan[0].mix_inv_qsin, 1);
  EXPECT_EQ(chan[0].mix_rcv_cmplx, 0);
}

TEST(Mixer, ReceiveComplexAndBypassedMixer) {
  receive_all(4);
  g.rin_cmplx = 1;
  g.rin_rate = 1;
  chan[1].bypass_mix = 1;
  chan[2].mix_qcos = 2;  // a user value stays
  run_pass();
  EXPECT_EQ(chan[0].mix_rcv_cmplx, 1);
  EXPECT_EQ(chan[0].mix_isin, 1);
  EXPECT_EQ(chan[0].mix_qcos, 1);
  EXPECT_EQ(chan[0].mix_qsin, 1);
  EXPECT_EQ(chan[1].mix_icos, 1);
  EXPECT_EQ(chan[1].mix_isin, 0);
  EXPECT_EQ(chan[1].mix_qcos, 0);
  EXPECT_EQ(chan[1].mix_qsin, 0);
  EXPECT_EQ(chan[2].mix_qcos, 2);

  receive_all(4);
  g.rin_cmplx = 1;
  g.rin_rate = 0;  // half rate: not a complex mixer input
  run_pass();
  EXPECT_EQ(chan[0].mix_rcv_cmplx, 0);
}
