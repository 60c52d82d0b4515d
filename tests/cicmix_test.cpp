// CIC stages and shifts, the receive gain factors and the mixer selects.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "cicmix.h"
#include "test_util.h"

using std::make_tuple;
using std::tie;

namespace {

const std::string kNegative = "CIC shift was calculated to be negative; setting to 0 as MIN value";
const std::string kOver39 = "CIC shift was calculated to be over 39; setting to 39 as MAX value";

// Both pairs in `mode`, every channel live with the rate change nc and the
// values config and fir_config leave for a plain non-symmetric filter.
void all_channels(int mode, int nc) {
  init();
  declare_modes(mode, mode);
  g.splitiqAB = g.splitiqCD = 0;
  for (CHAN& c : chan) {
    c.powerdown = 0;
    c.cic_int = mode == 1 ? nc : 1;
    c.cic_dec = mode == 1 ? 1 : nc;
    c.cic_2x = 0;
    c.ncic = nc - 1;
    c.coefsym = c.fir_sym = 0;
  }
}
void receive_all(int nc) { all_channels(2, nc); }
void transmit_all(int nc) { all_channels(1, nc); }

std::string run_pass() { return stderr_of(cic_mix_config); }

// The mixer's data selects: icos, isin, qcos, qsin.
std::vector<int> selects(const CHAN& c) { return {c.mix_icos, c.mix_isin, c.mix_qcos, c.mix_qsin}; }
std::vector<int> inversions(const CHAN& c) {
  return {c.mix_inv_icos, c.mix_inv_isin, c.mix_inv_qcos, c.mix_inv_qsin};
}

}  // namespace

TEST(ReceiveCicShift, WorkedValuesForPowersOfTwoAndHundred) {
  const int cases[][2] = {{2, 35}, {4, 30}, {8, 25}, {16, 20}, {32, 14}, {64, 9}, {100, 6}, {128, 5}};
  for (const auto& c : cases) {
    receive_all(c[0]);
    EXPECT_EQ(run_pass(), "") << c[0];
    EXPECT_EQ(tie(chan[0].cic_shift, chan[0].cic_rshift), make_tuple(c[1], 1)) << c[0];
    EXPECT_DOUBLE_EQ(chan[0].g_cic, std::pow(c[0], 5.0) * std::pow(2.0, c[1] - 39.0)) << c[0];
  }
  const CHAN& a = chan[0];
  EXPECT_EQ(tie(a.cic_rcv, a.fir_rnd20, a.g_rshift, a.g_mix, a.g_zpad), make_tuple(1, 1, 1.0, 0.5, 1.0));
}

TEST(ReceiveCicShift, ClampsAtBothEndsOfTheDecimationRange) {
  receive_all(256);  // clamps to 0 and drops the rounding shift
  EXPECT_TRUE(contains(run_pass(), "Warning: " + kNegative + "\n"));
  EXPECT_EQ(tie(chan[0].cic_shift, chan[0].cic_rshift, chan[0].g_rshift, exit_status),
            make_tuple(0, 0, 0.5, 0));
  receive_all(257);  // beyond the limit: an error, but still computed
  EXPECT_TRUE(contains(run_pass(), "Error: CIC decimation amount is too large\n"));
  EXPECT_EQ(tie(chan[0].cic_shift, exit_status), make_tuple(0, 1));
  receive_all(1);  // no decimation
  EXPECT_TRUE(contains(run_pass(), "Warning: " + kOver39 + "\n"));
  EXPECT_EQ(tie(chan[0].cic_shift, chan[0].cic_rshift), make_tuple(39, 1));
}

TEST(ReceiveCicShift, ZeroPaddingBeyondDecimationUsesFourStages) {
  receive_all(2);
  g.rinf_zpad = 3;
  run_pass();
  EXPECT_EQ(tie(chan[0].cic_shift, chan[0].g_zpad), make_tuple(36, 0.25));
}

TEST(ReceiveCicShift, SymmetricCoefficientsLowerTheShiftBeforeClamping) {
  receive_all(8);
  chan[0].coefsym = 1;
  chan[1].coefsym = 2;
  run_pass();
  EXPECT_EQ(tie(chan[0].cic_shift, chan[1].cic_shift, chan[2].cic_shift), make_tuple(24, 24, 25));
  receive_all(1);
  chan[0].coefsym = 1;  // 40 - 1 is in range: no warning for this channel
  EXPECT_EQ(occurrences_of(run_pass(), kOver39), 3);
  EXPECT_EQ(chan[0].cic_shift, 39);
}

TEST(ReceiveCicShift, UserValuesAreNeitherClampedNorWarnedAbout) {
  receive_all(256);
  for (CHAN& c : chan) c.cic_shift = 7;
  chan[0].cic_rshift = 1;
  EXPECT_EQ(run_pass(), "");
  // The user's rounding shift stays; a computed one is dropped for the
  // negative shift.
  EXPECT_EQ(tie(chan[0].cic_shift, chan[0].cic_rshift, chan[1].cic_rshift), make_tuple(7, 1, 0));
  EXPECT_DOUBLE_EQ(chan[0].g_cic, std::pow(256.0, 5.0) * std::pow(2.0, 7 - 39.0));
}

TEST(ReceiveCicShift, MissingOrZeroDecimationCountsAsAboveRange) {
  // A powered-down receive channel without cic_dec (nc -1) is still visited.
  receive_all(8);
  chan[1].powerdown = 1;
  chan[1].cic_dec = -1;
  chan[2].cic_dec = 0;
  EXPECT_TRUE(contains(run_pass(), kOver39));
  EXPECT_EQ(tie(chan[0].cic_shift, chan[1].cic_shift, chan[2].cic_shift), make_tuple(25, 39, 39));
}

TEST(ReceiveCicShift, BypassedCicInSplitIqPassesThroughTheShifter) {
  receive_all(1);
  g.splitiqAB = 1;
  chan[0].bypass_cic = chan[1].bypass_cic = 1;
  chan[1].fir_sym = 1;
  chan[2].bypass_cic = 1;  // pair C/D is not split: ordinary clamp, 1^5 x 2^0
  run_pass();
  for (int ch : {0, 1, 2})
    EXPECT_EQ(tie(chan[ch].cic_shift, chan[ch].g_cic), ch == 1 ? make_tuple(38, 0.5) : make_tuple(39, 1.0))
        << ch;
}

TEST(CicModes, ReceiveFlagsFollowSymmetryRateAndSplitIq) {
  receive_all(1);
  g.splitiqAB = 1;
  chan[0].ncic = chan[1].ncic = 5;
  chan[2].fir_sym = 1;
  chan[3].ncic = 0;
  run_pass();
  const CHAN &a = chan[0], &b = chan[1], &c = chan[2], &d = chan[3];
  EXPECT_EQ(b.ncic, 5);
  EXPECT_EQ(tie(a.cic_rcv_full, c.cic_rcv_full), make_tuple(1, 0));
  EXPECT_EQ(tie(a.cic_rcv_cross, b.cic_rcv_cross, d.cic_rcv_cross), make_tuple(0, 1, 0));
  EXPECT_EQ(tie(a.swap_rcv_tdly, d.swap_rcv_tdly), make_tuple(0, 1));
  // Only transmit channels bypass or choose their stages.
  EXPECT_EQ(tie(d.cic_bypass, a.cic_xmt_5stg, a.cic_xmt_d6stg), make_tuple(0, 0, 0));

  receive_all(4);
  g.rin_rate = 2;
  run_pass();
  for (const CHAN& ch : chan) EXPECT_EQ(ch.cic_rcv_cross, 1);
}

TEST(CicModes, SplitIqCopiesTheStageCountToTheSecondChannel) {
  transmit_all(4);
  chan[0].ncic = 7;
  chan[2].ncic = 9;
  g.splitiqCD = 1;
  run_pass();
  EXPECT_EQ(tie(chan[1].ncic, chan[3].ncic), make_tuple(3, 9));
}

TEST(TransmitCic, SixStagesUpTo294) {
  transmit_all(294);
  EXPECT_EQ(run_pass(), "");
  const CHAN& a = chan[0];
  // The gain pass decides the shift.
  EXPECT_EQ(tie(a.cic_xmt_5stg, a.cic_xmt_d6stg, a.cic_rcv, a.cic_rcv_full, a.cic_shift),
            make_tuple(0, 0, 2, 0, -1));
  transmit_all(295);
  run_pass();
  EXPECT_EQ(tie(a.cic_xmt_5stg, a.cic_xmt_d6stg), make_tuple(1, 0));
}

TEST(TransmitCic, DoubleRateSixStages) {
  transmit_all(294);
  g.tout_rate = 2;
  chan[1].cic_int = 295;
  chan[2].cic_xmt_5stg = 0;  // chosen by the user: counted as five stages
  chan[2].cic_int = 8;
  run_pass();
  EXPECT_EQ(tie(chan[0].cic_xmt_d6stg, chan[1].cic_xmt_d6stg, chan[2].cic_xmt_d6stg), make_tuple(1, 0, 0));
  EXPECT_EQ(chan[2].cic_xmt_5stg, 0);
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
  EXPECT_EQ(tie(chan[0].cic_bypass, chan[1].cic_bypass, chan[2].cic_bypass), make_tuple(1, 0, 0));
  EXPECT_EQ(chan[0].swap_rcv_tdly, 0);
}

TEST(Mixer, SplitIqComplexTransmitDrivesBothHalvesFromTheFirstChannel) {
  transmit_all(4);
  g.splitiqAB = 1;
  g.tout_cmplx = 1;
  run_pass();
  EXPECT_EQ(selects(chan[0]), (std::vector<int>{3, 3, 2, 2}));
  EXPECT_EQ(inversions(chan[0]), (std::vector<int>{0, 0, 0, 1}));
  EXPECT_EQ(selects(chan[1]), std::vector<int>(4, 0));
  EXPECT_EQ(inversions(chan[1]), std::vector<int>(4, 0));
  EXPECT_EQ(chan[0].mix_rcv_cmplx, 0);
  // Pair C/D is not split: ordinary complex full-rate selects.
  EXPECT_EQ(selects(chan[2]), std::vector<int>(4, 3));
  EXPECT_EQ(chan[2].mix_inv_qsin, 1);
}

TEST(Mixer, SplitIqRealTransmitAndTransceive) {
  transmit_all(4);
  g.mode[1] = 2;
  chan[2].xmt = chan[3].xmt = 0;
  g.splitiqAB = 1;
  g.tout_cmplx = 0;
  run_pass();
  EXPECT_EQ(selects(chan[0]), (std::vector<int>{3, 0, 0, 2}));
  EXPECT_EQ(tie(chan[1].mix_icos, chan[1].mix_qsin), make_tuple(0, 0));
}

TEST(Mixer, TransmitRealAndDoubleRateSelects) {
  transmit_all(4);
  g.tout_cmplx = 0;
  chan[1].bypass_mix = 1;
  run_pass();
  EXPECT_EQ(selects(chan[0]), (std::vector<int>{3, 0, 0, 3}));
  EXPECT_EQ(tie(chan[0].mix_inv_qsin, chan[1].mix_qsin, chan[1].mix_inv_qsin), make_tuple(1, 0, 0));

  transmit_all(4);
  g.tout_cmplx = 1;
  g.tout_rate = 2;
  run_pass();
  EXPECT_EQ(selects(chan[2]), (std::vector<int>{3, 3, 2, 2}));
  EXPECT_EQ(selects(chan[3]), (std::vector<int>{2, 2, 3, 3}));
}

TEST(Mixer, ReceiveRealDataSilencesTheQuadratureMultipliers) {
  receive_all(4);
  g.rin_cmplx = 0;
  run_pass();
  EXPECT_EQ(selects(chan[0]), (std::vector<int>{1, 1, 0, 0}));
  EXPECT_EQ(tie(chan[0].mix_inv_qsin, chan[0].mix_rcv_cmplx), make_tuple(1, 0));
}

TEST(Mixer, ReceiveComplexAndBypassedMixer) {
  receive_all(4);
  g.rin_cmplx = 1;
  g.rin_rate = 1;
  chan[1].bypass_mix = 1;
  chan[2].mix_qcos = 2;  // a user value stays
  run_pass();
  const CHAN& a = chan[0];
  EXPECT_EQ(tie(a.mix_rcv_cmplx, a.mix_isin, a.mix_qcos, a.mix_qsin), make_tuple(1, 1, 1, 1));
  EXPECT_EQ(selects(chan[1]), (std::vector<int>{1, 0, 0, 0}));
  EXPECT_EQ(chan[2].mix_qcos, 2);

  receive_all(4);
  g.rin_cmplx = 1;
  g.rin_rate = 0;  // half rate: not a complex mixer input
  run_pass();
  EXPECT_EQ(chan[0].mix_rcv_cmplx, 0);
}
