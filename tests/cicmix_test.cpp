// CIC stages and shifts and the mixer's data selects, worked by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "config/cicmix.h"
#include "test_util.h"

namespace {

// Both pairs in `mode` (1 transmit, 2 receive), every channel live with the
// rate change nc and a plain non-symmetric filter.
void all_channels(int mode, int nc) {
  init();
  declare_modes(mode, mode);
  g.splitiqAB = g.splitiqCD = 0;
  for (CHAN& c : chan) {
    c.powerdown = c.cic_2x = c.coefsym = c.fir_sym = 0;
    c.cic_int = mode == 1 ? nc : 1, c.cic_dec = mode == 1 ? 1 : nc, c.ncic = nc - 1;
  }
}

}  // namespace

// floor(39 - (5 log2 nc - 1)) for the mixer's 1/2, held to 0..39; one less
// for a symmetric filter before the clamp; zero padding beyond the
// decimation uses four stages.
TEST(CicShift, ReceiveByDecimation) {
  const struct {
    int nc;
    const char* setup;  // "sym": A's coefficients odd-symmetric; "zpad": rinf_zpad 3
    int shift, rshift;
    const char* report;
  } cases[] = {
      {2, "", 35, 1, ""}, {4, "", 30, 1, ""}, {8, "", 25, 1, ""}, {16, "", 20, 1, ""}, {32, "", 14, 1, ""},
      {64, "", 9, 1, ""}, {100, "", 6, 1, ""}, {128, "", 5, 1, ""}, {8, "sym", 24, 1, ""},
      {1, "sym", 39, 1, "Warning: CIC shift was calculated to be over 39"},  // 40 - 1 is in range for A
      {2, "zpad", 36, 1, ""},
      {256, "", 0, 0, "Warning: CIC shift was calculated to be negative; setting to 0 as MIN value\n"},
      {257, "", 0, 0, "Error: CIC decimation amount is too large\n"},
  };
  for (const auto& k : cases) {
    all_channels(2, k.nc);
    chan[0].coefsym = std::string(k.setup) == "sym";
    if (std::string(k.setup) == "zpad") g.rinf_zpad = 3;
    std::string err = stderr_of(cic_mix_config);
    EXPECT_EQ(chan[0].cic_shift, k.shift) << k.nc << k.setup;
    EXPECT_EQ(chan[0].cic_rshift, k.rshift) << k.nc << k.setup;
    EXPECT_NE(err.find(k.report), std::string::npos) << k.nc << k.setup << err;
  }
  all_channels(2, 2);
  g.rinf_zpad = 3;
  cic_mix_config();
  EXPECT_EQ(chan[0].g_zpad, 0.25);
  all_channels(2, 8);
  cic_mix_config();
  EXPECT_DOUBLE_EQ(chan[0].g_cic, std::pow(8.0, 5.0) * std::pow(2.0, 25 - 39.0));
  EXPECT_EQ(chan[0].g_mix, 0.5);
}

// Six stages up to an interpolation of 294 (five beyond, six at double
// rate), the limit at 1217; a bypassed split pair passes through the
// shifter.
TEST(CicShift, TransmitStagesAndLimits) {
  const struct {
    int nc, rate, five, d6;
    const char* err;
  } cases[] = {{294, 1, 0, 0, ""}, {295, 1, 1, 0, ""}, {294, 2, 0, 1, ""}, {1217, 1, 1, 0, ""},
               {1218, 1, 1, 0, "Error: CIC interpolation amount is too large\n"}};
  for (const auto& k : cases) {
    all_channels(1, k.nc);
    g.tout_rate = k.rate;
    std::string err = stderr_of(cic_mix_config);
    EXPECT_EQ(err.substr(0, std::string(k.err).size()), k.err) << k.nc;
    EXPECT_EQ(err.empty(), !*k.err) << k.nc;
    EXPECT_TRUE(holds(0, "cic_xmt_5stg=" + std::to_string(k.five) + " cic_xmt_d6stg=" + std::to_string(k.d6) +
                             " cic_rcv=2 cic_shift=-1"))
        << k.nc;
  }
  all_channels(2, 1);
  g.splitiqAB = 1;
  chan[0].bypass_cic = chan[1].bypass_cic = chan[1].fir_sym = 1;
  stderr_of(cic_mix_config);
  EXPECT_EQ(chan[0].cic_shift, 39);
  EXPECT_EQ(chan[0].g_cic, 1.0);
  EXPECT_EQ(chan[1].cic_shift, 38);
  EXPECT_EQ(chan[1].g_cic, 0.5);
}

// The mixer's data selects icos, isin, qcos, qsin and the inverted qsin.
TEST(Mixer, Selects) {
  const struct {
    const char* what;
    int mode, splitiq, cmplx, rate;
    int ch;
    std::vector<int> selects;
  } cases[] = {
      {"split complex transmit: the first channel drives both halves", 1, 1, 1, 1, 0, {3, 3, 2, 2, 1}},
      {"its partner is quiet", 1, 1, 1, 1, 1, {0, 0, 0, 0, 0}},
      {"split real transmit", 1, 1, 0, 1, 0, {3, 0, 0, 2, 1}},
      {"complex transmit at full rate", 1, 0, 1, 1, 2, {3, 3, 3, 3, 1}},
      {"real transmit", 1, 0, 0, 1, 0, {3, 0, 0, 3, 1}},
      {"double-rate complex transmit, even channel", 1, 0, 1, 2, 2, {3, 3, 2, 2, 1}},
      {"double-rate complex transmit, odd channel", 1, 0, 1, 2, 3, {2, 2, 3, 3, 1}},
      {"real receive silences the quadrature", 2, 0, 0, 1, 0, {1, 1, 0, 0, 1}},
      {"complex receive", 2, 0, 1, 1, 0, {1, 1, 1, 1, 1}},
  };
  for (const auto& k : cases) {
    all_channels(k.mode, 4);
    g.splitiqAB = k.splitiq;
    g.tout_cmplx = g.rin_cmplx = k.cmplx;
    g.tout_rate = g.rin_rate = k.rate;
    stderr_of(cic_mix_config);
    const CHAN& c = chan[k.ch];
    EXPECT_EQ((std::vector<int>{c.mix_icos, c.mix_isin, c.mix_qcos, c.mix_qsin, c.mix_inv_qsin}), k.selects)
        << k.what;
  }
  // Split real transmit beside a receiving pair: the second channel is quiet.
  all_channels(1, 4);
  g.mode[1] = 2;
  chan[2].xmt = chan[3].xmt = 0;
  g.splitiqAB = 1;
  g.tout_cmplx = 0;
  stderr_of(cic_mix_config);
  EXPECT_TRUE(holds(0, "mix_icos=3 mix_qsin=2 1:mix_icos=0 1:mix_qsin=0"));
  all_channels(2, 4);
  g.rin_cmplx = 1;
  chan[1].bypass_mix = 1;
  chan[2].mix_qcos = 2;  // a user value stays
  stderr_of(cic_mix_config);
  EXPECT_TRUE(holds(0, "mix_rcv_cmplx=1 1:mix_icos=1 1:mix_isin=0 1:mix_qcos=0 1:mix_qsin=0 2:mix_qcos=2"));
}
