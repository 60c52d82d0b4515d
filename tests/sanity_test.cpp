// Cross-checks of the finished configuration: which checks run for which
// channels, their boundaries, and the gain and noise analysis.
#include "sanity.h"

#include <gtest/gtest.h>

#include <string>

#include "records.h"
#include "test_util.h"

namespace {

// A configuration that passes every check: settings as the configuration
// passes would leave them for modest rates, with no double rate. With
// `only_a`, channels B to D are powered down.
CHAN& clean_chip(int mode_ab, int mode_cd, bool only_a = false) {
  init();
  declare_modes(mode_ab, mode_cd);
  g.splitiqAB = g.splitiqCD = g.toutf_hold = g.toutf_halfcmplx_AB = g.toutf_halfcmplx_CD = 0;
  g.tout_rate = g.rin_rate = g.rin_cmplx = 1;
  g.toutf_hold_sync = g.gen_timer_sync = 7;
  g.sum_selI = 0x21;
  g.sum_selQ = g.routf_tdm = 0;
  g.sum_shift = 3;
  for (int ch = 0; ch < kNumChannels; ++ch) {
    CHAN& c = chan[ch];
    c.powerdown = only_a && ch > 0;
    c.cic_dec = c.cic_int = 4;
    c.fir_dec = c.fir_int = 2;
    c.ncic = c.fir_clk_cnt = 3;
    c.sck_div = c.agc_gain_out = c.phase = c.freq_msb = c.bypass_mix = 0;
    c.routf_iqmux = c.swap_cmplx = c.fir_sym = c.gain_msb = 0;
    c.sck_sync = c.tinf_fs_cnt = 7;
    c.pins = c.bits = 16;
    c.gain_rnd = c.routf_pins = 4;
    c.tinf_src = 2;
    c.tinf_xmt = c.xmt;
    c.tinf_cmplx = c.agc_freeze = c.tinf_fso_dly = 1;
    c.routf_bits = 8;
    c.gain_lsb = 4096;
    c.gain = c.g_zpad = c.g_rshift = c.g_sum = c.overall_gain = 1.0;
    c.g_mix = c.g_cic = c.g_fir = 0.5;
    c.p_fir = 0.75;
    c.sumtap = 32768 + ch;  // channels differ unless a test makes them equal
    c.fir_shift = 2;
    c.cic_shift = 26;
    c.agc_thresh = 103;
  }
  return chan[0];
}

struct Reports {
  std::string err;  // standard error
  std::string anl;  // the analysis file
};

Reports run_sanity() {
  open_test_output(kOutAnl);
  std::string err = stderr_of(sanity);
  return {err, output_text(kOutAnl)};
}

// Standard error of a run without the analysis file.
std::string sanity_err() { return stderr_of(sanity); }

}  // namespace

TEST(SanityChecks, CleanConfigurationReportsNothing) {
  clean_chip(2, 1);
  EXPECT_EQ(sanity_err(), "");
  EXPECT_EQ(exit_status, 0);
}

TEST(SanityChecks, AllChannelsPoweredDownLeaveOnlyTheChipWideChecks) {
  clean_chip(1, 2);
  g.tout_rate = g.rin_rate = 2;  // splitiq is off
  g.gen_timer_sync = 5;
  for (CHAN& c : chan) {
    c.powerdown = 1;
    c.tinf_fso_dly = 0;
    c.cic_dec = 3;
    c.sck_div = 2;
  }
  // Nothing but the chip-wide reports reaches the analysis file.
  EXPECT_EQ(run_sanity().anl,
            "Error(sanity L14): If tout_rate is double then splitiq must be on\n"
            "Error(sanity L16): If rin_rate is double then splitiq must be on\n"
            "Error(sanity L295): Don't sync general timer with the general timer or funny things happen\n");
  EXPECT_EQ(exit_status, 1);
  // One pair's split flag off is enough for the double-rate error.
  clean_chip(2, 2);
  g.splitiqAB = 1;
  g.tout_rate = 2;
  for (CHAN& c : chan) c.powerdown = 1;
  EXPECT_EQ(sanity_err(), "Error: If tout_rate is double then splitiq must be on\n");
  g.splitiqCD = 1;
  EXPECT_EQ(sanity_err(), "");
}

TEST(SanityChecks, ClockDivideMustDivideTheRateChange) {
  clean_chip(1, 2);
  chan[0].sck_div = 2;  // 4 x 2 = 8 not divisible by 3
  chan[1].sck_div = 3;  // divisible by 4
  chan[2].sck_div = 2;  // 4 x 2 = 8
  Reports r = run_sanity();
  EXPECT_EQ(r.err,
            "Warning: Clock divide does not evenly divide into interpolation; frame strobe will not be "
            "periodic.\n"
            "Warning: Clock divide does not evenly divide into decimation; frame strobe will not be "
            "periodic.\n");
  EXPECT_TRUE(contains(r.anl, "Warning(sanity L25): "));
  EXPECT_TRUE(contains(r.anl, "Warning(sanity L31): "));
  EXPECT_EQ(exit_status, 0);
  chan[0].sck_div = chan[2].sck_div = -1;  // unset: no division check
  EXPECT_EQ(sanity_err(), "");
}

TEST(SanityChecks, HoldWithDoubleRateOrHalfComplexOutput) {
  clean_chip(1, 2, true).tinf_cmplx = 0;
  g.splitiqAB = g.splitiqCD = 1;
  g.tout_rate = 2;
  g.toutf_hold = 1;
  g.toutf_hold_sync = 5;
  g.toutf_halfcmplx_CD = 1;
  Reports r = run_sanity();
  EXPECT_TRUE(contains(r.anl,
                       "Error(sanity L39): Should never have both double rate and hold active.  Probably "
                       "need to turn off toutf_hold\n\n"));
  EXPECT_TRUE(contains(r.anl,
                       "Error(sanity L41): Should never have both IQmux out and thold active.  Probably "
                       "need to turn off toutf_hold\n\n"));
  g.toutf_hold_sync = 6;  // a hold synchronised by a source above 5 is not active
  EXPECT_FALSE(contains(sanity_err(), "toutf_hold"));
}

TEST(SanityChecks, DoubleRateReceiveNeedsEvenDecimation) {
  clean_chip(2, 2);
  g.splitiqAB = g.splitiqCD = 1;
  g.rin_rate = 2;
  chan[1].cic_dec = 3;  // odd channel: checked before the double-rate cut-off
  chan[2].cic_dec = 6;
  EXPECT_EQ(occurrences_of(run_sanity().anl,
                           "Error(sanity L47): For double rate mode, cic must decimate by even number (at "
                           "least 2)\n"),
            1);
}

TEST(SanityChecks, FirClockCountAboveCicCount) {
  clean_chip(2, 2).fir_clk_cnt = 4;  // ncic 3
  chan[1].ncic = 0;                   // no CIC: not checked
  chan[1].fir_clk_cnt = 9;
  EXPECT_EQ(sanity_err(), "Error: fir_clk_cnt larger than ncic\n");
}

// The embedded AGC tag needs a wide rounding, and its format is mixed for
// rate changes 1 to 4 and 7 to 9.
TEST(SanityChecks, AgcTagRoundingAndRateRanges) {
  const std::string mixed =
      "Warning: embedded AGC tag (gain data out) format mixed; MSB's come out one cycle late\n";
  for (int rate : {1, 4, 5, 6, 7, 9, 10}) {
    CHAN& a = clean_chip(2, 2, true);
    a.agc_gain_out = 1;
    a.gain_rnd = 12;
    a.fir_dec = 1;
    a.cic_dec = rate;
    bool warned = rate <= 4 || (rate >= 7 && rate <= 9);
    EXPECT_EQ(sanity_err(), warned ? mixed : "") << rate;
  }
  CHAN& a = clean_chip(2, 2, true);
  a.agc_gain_out = 1;
  a.gain_rnd = 11;
  a.fir_dec = 5;
  a.cic_dec = 2;
  EXPECT_EQ(sanity_err(), "Error: gain_rnd must be at least 12 for embedded AGC tag to work\n");
}

TEST(SanityChecks, SumSelectBitPairs) {
  clean_chip(1, 2, true);
  g.sum_selI = 0x0c;
  EXPECT_EQ(sanity_err(), "Error: sum_selI s2 and s3 must not both be 1\n");
  g.sum_selI = 0xcc;
  EXPECT_EQ(sanity_err(),
            "Error: sum_selI s2 and s3 must not both be 1\nError: sum_selI s6 and s7 must not both be 1\n");
  g.sum_selI = 0x44;  // one bit of each pair only
  g.sum_selQ = 0xc8;
  EXPECT_EQ(sanity_err(), "Error: sum_selQ s6 and s7 must not both be 1\n");
  chan[1].powerdown = 0;  // chip-wide, but checked for every live transmit channel
  EXPECT_EQ(occurrences_of(sanity_err(), "sum_selQ s6"), 2);
}

// Clocks per word round up; a negative word length rounds its count up
// towards zero: -3 bits over 2 pins is -1.5, so -1 clocks.
TEST(SanityChecks, TransmitInputTiming) {
  const std::string late = "Error: Not enough time to get data in for channel\n";
  struct Case {
    int pins, bits, fs_cnt;
    bool late;
  };
  const Case cases[] = {
      {4, 12, 1, true},  {4, 12, 2, false},  // 3 clocks per word
      {8, 12, 0, true},                      // 12 / 8 rounds up to 2
      {0, 12, 0, false},                     // reported by the interface pass; no division here
      {2, -3, -2, false}, {2, -3, -3, true},
  };
  for (const Case& k : cases) {
    CHAN& a = clean_chip(1, 1, true);
    a.pins = k.pins;
    a.bits = k.bits;
    a.tinf_fs_cnt = k.fs_cnt;
    EXPECT_EQ(sanity_err(), k.late ? late : "") << k.pins << " " << k.bits << " " << k.fs_cnt;
  }
}

TEST(SanityChecks, TdmInputMustMatchChannelA) {
  clean_chip(1, 1).tinf_src = 6;
  chan[1].sck_div = 1;  // 4 x 2 still divides evenly
  chan[2].powerdown = 1;
  chan[2].tinf_xmt = 0;  // powered down: not compared
  chan[3].tinf_xmt = 0;
  chan[3].sck_sync = 3;
  Reports r = run_sanity();
  EXPECT_EQ(r.err,
            "Error: In tdm tinf_sck_div must match channels 0,1\n"
            "Error: In tdm tinf_xmt must match channels 0,3\n"
            "Error: In tdm sck_sync must match channels 0,3\n");
  EXPECT_TRUE(contains(r.anl, "Error(sanity L92): In tdm tinf_sck_div must match channels 0,1\n"));
  EXPECT_TRUE(contains(r.anl, "Error(sanity L103): In tdm tinf_xmt must match channels 0,3\n"));
  EXPECT_TRUE(contains(r.anl, "Error(sanity L105): In tdm sck_sync must match channels 0,3\n"));
  // Pair CD receiving: only channel B is compared.
  clean_chip(1, 2).tinf_src = 6;
  chan[2].sck_div = 5;
  chan[2].cic_dec = 12;
  chan[1].sck_sync = 2;
  r = run_sanity();
  EXPECT_EQ(r.err, "Error: In tdm sck_sync must match channels 0,1\n");
  EXPECT_TRUE(contains(r.anl, "Error(sanity L93): "));
}

TEST(SanityChecks, TransmitDataPathErrors) {
  CHAN& a = clean_chip(1, 2, true);
  a.tinf_cmplx = 0;
  a.gain = 128.5;
  Reports r = run_sanity();
  EXPECT_TRUE(contains(r.anl,
                       "Error(sanity L110): Real data input to tinf and then to FIR but complex\n"
                       "Error(sanity L111): data expected out (to go to mix).\n"));
  EXPECT_TRUE(contains(r.anl, "Error(sanity L118): gain can not be larger than 128\n\n"));
  // Split I/Q or a bypassed mixer takes real data; a gain of exactly 128 is fine.
  g.splitiqAB = 1;
  a.gain = 128.0;
  EXPECT_EQ(sanity_err(), "");
  a.tinf_cmplx = 1;
  a.ncic = a.fir_clk_cnt = 0;
  EXPECT_EQ(sanity_err(), "Error: FIR can't produce complex output at the chip clock rate\n\n");
}

TEST(SanityChecks, ReceiveOutputAndSwapChecks) {
  CHAN& a = clean_chip(2, 2, true);
  g.splitiqAB = 1;
  a.routf_iqmux = 1;
  EXPECT_EQ(sanity_err(), "Warning: If splitiq is on in receive routf_cmplx should be 0\n");
  g.splitiqAB = a.routf_iqmux = 0;
  a.swap_cmplx = 1;
  a.ncic = a.fir_clk_cnt = 0;
  EXPECT_EQ(sanity_err(), "Error: For I/Q mode in channel, the cic must decimate by at least 2\n");
}

// A full output frame with a divided clock: decimation equal to the divided
// clock (twice it with I/Q multiplexed output).
TEST(SanityChecks, ReceiveFrameFullWithDividedClock) {
  const std::string warning =
      "Warning: Receive output error. Output frame full with sck_div set to non-zero value.\n"
      "   Possible problem syncing data with divided clock and frame strobe. Can fix\n"
      "   by reducing sck_div or increasing decimation.\n";
  CHAN& a = clean_chip(2, 2, true);
  a.sck_div = 7;  // 4 x 2 = 8 = sck_div + 1
  Reports r = run_sanity();
  EXPECT_EQ(r.err, warning);
  EXPECT_TRUE(contains(r.anl, "Warning(sanity L179): Receive output error."));
  a.routf_iqmux = 1;  // now needs 2 x 7 + 2 = 16
  EXPECT_EQ(sanity_err(), "");
  a.sck_div = 3;  // 8 = 2 x 3 + 2
  EXPECT_EQ(sanity_err(), warning);
  a.routf_pins = a.routf_bits = 2;
  EXPECT_EQ(sanity_err(), warning);
  a.routf_bits = 1;  // not a full-frame format
  EXPECT_EQ(sanity_err(), "");
  a.routf_bits = 2;
  g.routf_tdm = 1;
  EXPECT_EQ(sanity_err(), "");
}

TEST(SanityChecks, AgcLimitsAgainstTheBaseGain) {
  CHAN& a = clean_chip(2, 2, true);
  a.agc_freeze = a.agc_Dzro = a.agc_Dsat = 0;  // floor(65536 / 1.25) = 52428
  a.gain_lsb = 8192;                           // G >> 3 = 1024, G / 8 = 1024
  a.agc_max = 51404;
  a.agc_min = 1024;  // settles at 1024 -> 3072 -> 7168 -> 15360 -> 31744
  EXPECT_EQ(sanity_err(), "");
  a.agc_max = 51405;
  EXPECT_EQ(sanity_err(), "Warning: agc_max too large to prevent overflow\n");
  a.agc_max = 1023;  // 8184 < 8192
  a.agc_min = 1025;  // 8200 > 8192
  EXPECT_EQ(sanity_err(),
            "Warning: Base gain in AGC smaller than agc_min.\n"
            "Warning: Base gain in AGC larger than agc_max.\n");
  a.agc_freeze = 1;
  EXPECT_EQ(sanity_err(), "");
  // The settling step shifts the whole sum m + G/8 + m: with agc_Dsat 1 and
  // G / 8 = 1024 each step adds 512, so 63488 settles exactly at 65536 and
  // 63489 just above (shifting only G/8 + m would pass 65536 from either).
  const std::string underflow = "agc_min too small to prevent underflow";
  a.agc_freeze = 0;
  a.agc_max = 2000;
  a.agc_Dsat = 1;
  a.agc_min = 63488;
  EXPECT_FALSE(contains(sanity_err(), underflow));
  a.agc_min = 63489;
  EXPECT_EQ(occurrences_of(sanity_err(), underflow), 1);
}

TEST(SanityChecks, GainRestrictionsAreIndependent) {
  const std::string intro = "Warning: Gain settings violate gain restriction:\n";
  const std::string le1 =
      "    zpad_gain x mix_gain x cic_gain x rshift_gain <= 1"
      "    This may be because cic_dec is too large. Decrease it or"
      "    decrease input signal amplitude.";
  const std::string le_half = "zpad_gain x mix_gain x cic_gain x rshift_gain <= .5 with symmetric filter\n";
  const std::string le_root =
      "zpad_gain x mix_gain x cic_gain x rshift_gain <= .70711 with complex in and nonsymmetric filter";
  CHAN& a = clean_chip(2, 2, true);
  a.g_cic = 2.4;  // P = 1 x 2.4 x 1 x 0.5 = 1.2
  a.fir_sym = 1;
  Reports r = run_sanity();
  EXPECT_EQ(r.err, intro + le1 + intro + le_half);
  EXPECT_TRUE(contains(r.anl, "Warning(sanity L225): Gain settings violate gain restriction:\n" + le1 +
                                  "Warning(sanity L232): Gain settings violate gain restriction:\n" +
                                  le_half));
  a.fir_sym = 2;
  EXPECT_EQ(sanity_err(), intro + le1 + intro + le_half);
  // Complex input and no symmetry: P = 0.8 is above 0.70711 only.
  a.fir_sym = 0;
  a.g_cic = 1.6;
  r = run_sanity();
  EXPECT_EQ(r.err, intro + le_root);
  EXPECT_TRUE(contains(r.anl, "Warning(sanity L220): "));
  g.rin_cmplx = 0;
  EXPECT_EQ(sanity_err(), "");
}

TEST(SanityChecks, FrameStrobeDelayZeroForEveryLiveChannel) {
  clean_chip(1, 2);
  for (CHAN& c : chan) c.tinf_fso_dly = 0;
  chan[3].powerdown = 1;
  EXPECT_EQ(occurrences_of(run_sanity().anl, "Warning(sanity L292): tinf_fso_dly is set to 0, frame strobe "
                                             "will always be high\n"),
            3);
}

TEST(SanityChecks, DoubleRateOddChannelStopsAfterTheCommonChecks) {
  clean_chip(2, 2);
  g.splitiqAB = g.splitiqCD = 1;
  g.rin_rate = 2;
  for (CHAN& c : chan) c.tinf_fso_dly = 0;
  chan[1].swap_cmplx = 1;  // would be an error for an even channel
  chan[1].ncic = chan[1].fir_clk_cnt = 0;
  Reports r = run_sanity();
  EXPECT_EQ(occurrences_of(r.err, "tinf_fso_dly is set to 0"), 2);  // channels 0 and 2
  EXPECT_FALSE(contains(r.err, "I/Q mode"));
  EXPECT_TRUE(contains(r.anl, "\nDoing analysis for channel 1\n\nDoing analysis for channel 2\n"));
}

TEST(SanityChecks, DoubleRateFrequencyWordToleratesOneStep) {
  const std::string message =
      "In double rate mode the tuning frequency = chan[i+1].phase - chan[i].phase"
      "and the frequency word in channels i and i+1 should be"
      " = (2*tuning_frequency)& 0xffff";
  CHAN& a = clean_chip(1, 1);
  g.splitiqAB = g.splitiqCD = 1;
  g.tout_rate = 2;
  chan[2].powerdown = chan[3].powerdown = 1;
  a.phase = 0xfff0;
  chan[1].phase = 0x0010;  // f = -0xffe0; (2 f) AND 0xffff = 0x0040
  for (int word : {0x41, 0x3f}) {
    a.freq_msb = word;
    EXPECT_EQ(sanity_err(), "") << word;
  }
  a.freq_msb = 0x42;
  Reports r = run_sanity();
  EXPECT_EQ(r.err, message);
  EXPECT_TRUE(contains(r.anl, "\nDoing analysis for channel 0\n" + message));
}

TEST(SanityChecks, TransmitAnalysisAndNoise) {
  CHAN& a = clean_chip(1, 2, true);
  a.g_cic = 1.0;
  a.sumtap = 32768;
  // s = 2^-4: n_cic = 0.5/16, n_fir = n_cic/4, n_gain = 0.5 n_cic/2/4,
  // n_sum = 2^-8; 10 log10(0.044921875) - 96.
  EXPECT_EQ(run_sanity().anl,
            "\nDoing analysis for channel 0\n"
            "Gain from gain block is 1.000000 (G = 4096)\n"
            "Gain from filter is 0.500000 (FIR_SUM = 32768, fir_shift = 2)\n"
            "Gain from cic is 1.000000 (cic_shift = 26)\n"
            "DC gain through the gain block, FIR and CIC is 0.500000\n"
            "Worst case peak gain through the channel is 0.750000\n"
            "Gain from sum block is 1.000000\n"
            "Final overall gain is 0.500000\n"
            "Internal digital noise is -109.475421 dBFS\n");
  EXPECT_DOUBLE_EQ(a.n_chan, 0.044921875);
}

TEST(SanityChecks, TransmitNoiseOnlyWithTheAnalysisFileAndARateChange) {
  CHAN& a = clean_chip(1, 2, true);
  a.n_chan = 0.0;
  sanity_err();
  EXPECT_EQ(a.n_chan, 0.0);
  run_sanity();
  EXPECT_GT(a.n_chan, 0.0);
  clean_chip(1, 2, true).fir_int = 0;  // no noise line, n_chan untouched
  a.n_chan = 7.0;
  EXPECT_FALSE(contains(run_sanity().anl, "noise"));
  EXPECT_EQ(a.n_chan, 7.0);
  clean_chip(1, 2, true).g_sum = 0.0;  // every term vanishes
  EXPECT_TRUE(contains(run_sanity().anl, "Internal digital noise is -inf dBFS\n"));
}

TEST(SanityChecks, SameGainsShareTheFirstAnalysis) {
  clean_chip(1, 1);
  chan[1].powerdown = 1;  // still compared against
  chan[3].sumtap = chan[1].sumtap;
  chan[2].sumtap = chan[0].sumtap;
  std::string anl = run_sanity().anl;
  EXPECT_TRUE(
      contains(anl, "\nDoing analysis for channel 2\nSame as channel 0\n\nDoing analysis for channel 3\n"));
  EXPECT_TRUE(contains(anl, "\nDoing analysis for channel 3\nSame as channel 1\n"));
  EXPECT_EQ(occurrences_of(anl, "Gain from gain block"), 1);
  // One differing gain field breaks the match.
  clean_chip(1, 1);
  chan[1].sumtap = chan[0].sumtap;
  chan[1].p_fir = 0.8;
  EXPECT_EQ(occurrences_of(run_sanity().anl, "Gain from gain block"), 4);
  // A receive comparison includes the AGC threshold.
  clean_chip(2, 2);
  chan[1].sumtap = chan[2].sumtap = chan[0].sumtap;
  chan[1].agc_thresh = 104;
  anl = run_sanity().anl;
  EXPECT_EQ(occurrences_of(anl, "Gain Analysis:\n"), 3);
  EXPECT_TRUE(contains(anl, "\nDoing analysis for channel 2\nSame as channel 0\n"));
}

TEST(SanityChecks, ReceiveGainTable) {
  CHAN& a = clean_chip(2, 2, true);
  a.overall_gain = 2.0;
  a.g_zpad = 0.5;
  a.g_rshift = 2.0;
  a.g_cic = 0.75;
  a.g_fir = 1.5;
  // The AGC: its gain from G = 2048, and its settings.
  a.agc_freeze = a.agc_min = 0;
  a.gain_lsb = 2048;
  a.agc_max = 300;  // 8 x 300 >= G
  a.agc_Dsat = a.agc_Dzro = 7;
  a.agcD = 11;
  a.agcTC = 6889.0;  // 2^12.75 rounded
  EXPECT_EQ(run_sanity().anl,
            "\nDoing analysis for channel 0\n"
            "Gain Analysis:\n"
            "overall_gain=2.000000 (target)\n"
            "BLOCK     GAIN IN BLOCK     CUMULATIVE GAIN AFTER BLOCK\n"
            "Zero Pad  0.500000             0.500000\n"
            "Mixer     0.500000             0.250000\n"
            "Rshift    2.000000             0.500000\n"
            "CIC       0.750000             0.375000\n"
            "FIR       1.500000             0.562500\n"
            "AGC       0.500000             0.281250 = final actual overall gain\n"
            "AGC settings:\n"
            "   step size D = 11\n"
            "   time constant TC = 6889.000000\n"
            "   agc_thresh = 103\n");
}
