// Gain words, FIR, CIC and sum shifts and the AGC settings, worked by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "config/gain.h"
#include "test_util.h"

namespace {

// Both pairs in `mode`, only channel A live.
CHAN& only_a(int mode) {
  init();
  declare_modes(mode, mode);
  for (CHAN& c : chan) c.powerdown = 1;
  chan[0].powerdown = 0;
  return chan[0];
}

// A 16-tap filter of sum 16384 (unity), an 8-fold six-stage CIC, four
// outputs at normal resolution (sum shift 3).
CHAN& transmit_unity() {
  CHAN& a = only_a(1);
  a.fir_int = 1, a.ncoefs = 16, a.coefs[0] = a.sumtap = 16384, a.cic_int = 8;
  a.fir_sym = a.cic_xmt_5stg = a.cic_bypass = 0;
  g.tout_nsig = 4, g.tout_res = 0;
  return a;
}

// Unity CIC, the mixer's 1/2, AGC on (1000 us, 10 dB, mixed), 100 MHz.
CHAN& receive_a(int sumtap) {
  CHAN& a = only_a(2);
  a.sumtap = sumtap, a.g_cic = a.g_rshift = a.g_zpad = 1.0, a.g_mix = 0.5, a.cic_dec = 8, a.fir_dec = 2;
  a.agc_freeze = 0, a.agc_tc = 1000, a.agc_cf = 10, a.agc_mode = 2;
  g.fck = 100.0;
  return a;
}

}  // namespace

// floor(41 - log2 nc^stages) makes the CIC gain unity, held to 0..39; a
// shift of exactly 0 (294^5 is just below 2^41) is in range.
TEST(TransmitGain, CicShift) {
  const struct {
    const char* what;
    std::function<void(CHAN&)> setup;
    int shift;
    const char* warning;
  } cases[] = {
      {"six stages of 8", [](CHAN&) {}, 26, ""},
      {"five stages", [](CHAN& a) { a.cic_xmt_5stg = 1; }, 29, ""},
      {"no interpolation: the largest shift", [](CHAN& a) { a.cic_int = 1; }, 39, ""},
      {"the user's shift", [](CHAN& a) { a.cic_shift = 20; }, 20, ""},
      {"294: exactly 0", [](CHAN& a) { a.cic_int = 294; }, 0, ""},
      {"2000^5 needs 55 bits", [](CHAN& a) { a.cic_int = 2000; }, 0, "CIC shift was calculated to be negative"},
      {"no logarithm", [](CHAN& a) { a.cic_int = 0; }, 39, "CIC shift was calculated to be over 39"},
  };
  for (const auto& k : cases) {
    CHAN& a = transmit_unity();
    a.gain = 0.5;
    k.setup(a);
    std::string err = stderr_of(gain_config);
    EXPECT_EQ(a.cic_shift, k.shift) << k.what;
    EXPECT_EQ(err.find("CIC shift") == std::string::npos, !*k.warning) << k.what << err;
    EXPECT_NE(err.find(k.warning), std::string::npos) << k.what;
  }
}

// The sum shift makes up what the gain block, FIR and CIC leave: four
// outputs shift by 3; otherwise ceil(log2 x) + 3, at high resolution with
// one output + 6, held to 0..7 (gain 0.75 leaves 4/3, one bit up). A
// powered-down channel's overall gain of 1000 still counts.
TEST(TransmitGain, SumShift) {
  const struct {
    double gain;
    int nsig, res;
    bool loud_b;
    int shift;
    double g_sum;
  } cases[] = {{1.0, 4, 0, true, 3, 1.0},   {0.75, 2, 1, false, 4, 2.0}, {0.75, 1, 0, false, 4, 2.0},
               {0.75, 1, 1, false, 7, 2.0}, {1.0, 1, 1, false, 6, 1.0}, {0.75, 3, 1, false, 4, 2.0},
               {0.75, 2, 0, true, 7, 16.0}};
  for (const auto& c : cases) {
    transmit_unity().gain = c.gain;
    if (c.loud_b) chan[1].overall_gain = 1000.0;
    g.tout_nsig = c.nsig;
    g.tout_res = c.res;
    stderr_of(gain_config);
    EXPECT_EQ(g.sum_shift, c.shift) << c.gain << " " << c.nsig << " " << c.res;
    EXPECT_EQ(chan[0].g_sum, c.g_sum) << c.gain << " " << c.nsig << " " << c.res;
  }
}

// Words from the gain or the overall gain (x 4096, normalised into the FIR
// shift), and their field.
TEST(TransmitGain, Words) {
  const struct {
    const char* what;
    std::function<void(CHAN&)> setup;
    const char* values;
  } cases[] = {
      {"gain alone", [](CHAN& a) { a.gain = 0.75; },
       "gain_msb=0 gain_lsb=3072 fir_shift=7 overall_gain=1 pwr_mtr_sync=7"},
      {"unity by default", [](CHAN&) {}, "gain_lsb=4096 gain=1 overall_gain=1"},
      {"words win over gain", [](CHAN& a) { a.gain_lsb = 2048, a.gain = 0.9; }, "gain_msb=0 gain=0.5"},
      {"beyond 19 bits: held", [](CHAN& a) { a.gain = 200.0; }, "gain_msb=7 gain_lsb=65535 gain=200"},
      {"peak 458752, sum 65536: shift 1", [](CHAN& a) {
         a.coefs[0] = 262144, a.coefs[1] = -196608, a.sumtap = 65536, a.overall_gain = 1000.0 / 16384;
       }, "gain_lsb=4000 fir_shift=1"},
      {"symmetric: stops above 1023", [](CHAN& a) {
         a.coefs[0] = 262144, a.coefs[1] = -196608, a.sumtap = 65536, a.overall_gain = 1000.0 / 16384;
         a.fir_sym = 1;
       }, "gain_lsb=2000 fir_shift=2"},
  };
  for (const auto& k : cases) {
    k.setup(transmit_unity());
    stderr_of(gain_config);
    EXPECT_TRUE(holds(0, k.values)) << k.what;
  }
  transmit_unity().fir_sym = 1;
  chan[0].gain = 2.0;
  EXPECT_NE(stderr_of(gain_config).find("Error: settings violate gain constraint"), std::string::npos);
}

// Receive: the FIR shift keeps the filter's gain at 2 (with AGC) or below
// it; the gain word from overall_gain; the AGC steps from the time constant
// (1000 us x 100 MHz / 16 = 6250 samples, D = floor(log2 6250 - 1.25) = 11)
// and the threshold from the crest factor by mode.
TEST(ReceiveGain, ShiftsWordsAndAgc) {
  const struct {
    const char* what;
    std::function<void(CHAN&)> setup;
    const char* values;
  } cases[] = {
      {"AGC, mixed", [](CHAN&) {},
       "fir_shift=6 gain_lsb=8192 gain_msb=0 agc_Dblw=11 agc_Dabv=9 agc_Dzro=7 agc_Dsat=7 agc_min=1022 "
       "agc_max=64384 agc_thresh=103"},
      {"CDMA: 80.95 x 0.6745", [](CHAN& a) { a.agc_mode = 0; }, "agc_thresh=54 agc_Dabv=11"},
      {"narrowband", [](CHAN& a) { a.agc_mode = 1; }, "agc_thresh=80"},
      {"crest factor 0: held to 255", [](CHAN& a) { a.agc_cf = 0; }, "agc_thresh=255"},
      {"1/16 sample: D held to 0", [](CHAN& a) { a.agc_tc = 1, g.fck = 1.0; }, "agc_Dblw=0 agc_Dabv=0"},
      {"no decimation: D held to 15", [](CHAN& a) { a.cic_dec = 0; }, "agc_Dblw=15 agc_Dabv=13 agc_Dzro=11"},
      {"frozen: gain below 2", [](CHAN& a) { a.agc_freeze = 1; }, "fir_shift=5 gain_lsb=16384 agc_thresh=0"},
      {"gain 20", [](CHAN& a) { a.gain = 20.0; }, "gain_msb=1 gain_lsb=16384"},
      {"gain 200: held", [](CHAN& a) { a.gain = 200.0; }, "gain_msb=7 gain_lsb=65535"},
      {"overall gain 0", [](CHAN& a) { a.overall_gain = 0.0; }, "fir_shift=0 gain_lsb=0 gain_msb=0"},
  };
  for (const auto& k : cases) {
    k.setup(receive_a(65536));
    stderr_of(gain_config);
    EXPECT_TRUE(holds(0, k.values)) << k.what;
  }
  receive_a(0);
  stderr_of(gain_config);
  EXPECT_TRUE(holds(0, "fir_shift=7 gain_msb=7 gain_lsb=65535"));
}
