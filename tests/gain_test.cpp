// Gain words, FIR/CIC/sum shifts, AGC settings and the power estimate.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>

#include "gain.h"
#include "test_util.h"

using std::make_tuple;
using std::tie;

namespace {

// Both pairs in `mode`, only channel A live.
CHAN& only_a(int mode) {
  init();
  declare_modes(mode, mode);
  for (CHAN& c : chan) c.powerdown = 1;
  chan[0].powerdown = 0;
  return chan[0];
}

// A 16-tap non-interpolating filter whose first two taps are given, an 8-fold
// six-stage CIC, and four transmit outputs (sum shift 3).
CHAN& transmit_a(int tap0, int tap1, int sumtap) {
  CHAN& a = only_a(1);
  a.fir_int = 1;
  a.ncoefs = 16;
  a.coefs[0] = tap0;
  a.coefs[1] = tap1;
  a.sumtap = sumtap;
  a.fir_sym = 0;
  a.cic_int = 8;
  a.cic_xmt_5stg = a.cic_bypass = 0;
  g.tout_nsig = 4;
  g.tout_res = 0;
  return a;
}
CHAN& transmit_unity() { return transmit_a(16384, 0, 16384); }
// Peak 458752 and sum 65536: FIR shift 3, g_fir 0.25 there.
CHAN& transmit_wide() { return transmit_a(262144, -196608, 65536); }

// The gain factors of an 8-fold CIC whose shift makes it unity, AGC on
// (1000 us, 10 dB, mixed) and a 100 MHz clock.
CHAN& receive_a(int sumtap) {
  CHAN& a = only_a(2);
  a.sumtap = sumtap;
  a.g_cic = a.g_rshift = a.g_zpad = 1.0;
  a.g_mix = 0.5;
  a.cic_dec = 8;
  a.fir_dec = 2;
  a.agc_freeze = 0;
  a.agc_tc = 1000;
  a.agc_cf = 10;
  a.agc_mode = 2;
  g.fck = 100.0;
  return a;
}

std::string run_pass() { return stderr_of(gain_config); }

const char* const kRange = "Gain is not in optimal range (2048 < gain < 4096 is optimal).";
const char* const kConstraint = "Error: settings violate gain constraint";

}  // namespace

TEST(TransmitGain, GainAloneGivesItsWord) {
  CHAN& a = transmit_unity();
  a.gain = 0.75;
  EXPECT_EQ(run_pass(), "");
  EXPECT_EQ(tie(a.gain_msb, a.gain_lsb, a.gain, a.overall_gain), make_tuple(0, 3072, 0.75, 1.0));
  EXPECT_EQ(tie(a.fir_shift, a.g_fir, a.pwr_mtr_sync, a.pwr_mtr_integ), make_tuple(7, 1.0, 7, 0));
}

TEST(TransmitGain, UnityOverallGainByDefault) {
  CHAN& a = transmit_unity();
  EXPECT_EQ(run_pass(), "");
  EXPECT_EQ(tie(a.overall_gain, a.gain_lsb, a.gain_msb, a.gain, a.p_fir), make_tuple(1.0, 4096, 0, 1.0, 1.0));
}

TEST(TransmitGain, WordsWinOverGain) {
  CHAN& a = transmit_unity();
  a.gain_lsb = 2048;
  a.gain = 0.9;
  a.overall_gain = 1.0;
  std::string err = run_pass();
  EXPECT_TRUE(contains(err,
                       "Warning: Both gain and gain_lsb are set; using gain_msb and gain_lsb values "
                       "for gain block.\n"));
  EXPECT_TRUE(contains(err,
                       "Warning: Gain block gain has been set with gain_lsb or gain, but "
                       "overall_gain is also set.\n    (gain block gain being set limits ability "
                       "to get exactly overall_gain)\n"));
  EXPECT_EQ(tie(a.gain_msb, a.gain), make_tuple(0, 0.5));
  EXPECT_FALSE(contains(err, kRange));  // 2048 is the lowest optimal word

  transmit_unity().gain_msb = 0;
  EXPECT_TRUE(contains(run_pass(), "Warning: gain_msb is set, but gain_lsb is not.\n"));
  EXPECT_EQ(a.gain_lsb, 4096);  // computed from the filter after all
}

TEST(TransmitGain, PowerMeterOnlySeesTheInput) {
  transmit_unity().pwr_mtr_on = 1;
  EXPECT_EQ(run_pass(), "Warning: Power meter being used in transmit mode; only measures power of input\n");
}

TEST(TransmitGain, FirPeakIsTheLargestPhaseSum) {
  CHAN& a = transmit_a(0x7FFF, 0, 0x7FFF);
  a.gain = 0.25;
  EXPECT_TRUE(contains(run_pass(), kRange));
  EXPECT_EQ(tie(a.fir_shift, a.p_fir, a.g_fir), make_tuple(7, 32767.0 / 16384.0, 32767.0 / 16384.0));

  transmit_a(100, -300, 50);
  a.fir_int = 2;
  a.ncoefs = 4;
  a.coefs[2] = 200;
  a.coefs[3] = 50;  // phases: 100 + 200 and 300 + 50
  a.gain = 1.0;
  run_pass();
  EXPECT_EQ(a.p_fir, 350.0 / 16384.0);
}

TEST(TransmitGain, CicShiftMakesTheCicGainUnity) {
  struct Case {
    void (*setup)(CHAN&);
    int shift;
  };
  const Case cases[] = {
      {[](CHAN&) {}, 26},
      {[](CHAN& a) { a.cic_xmt_5stg = 1; }, 29},
      {[](CHAN& a) { a.cic_int = 1; }, 39},  // the largest shift, not beyond it
      // The user's shift stays; the gain still follows the computed one.
      {[](CHAN& a) { a.cic_shift = 20; }, 20},
  };
  for (const Case& k : cases) {
    k.setup(transmit_unity());
    EXPECT_FALSE(contains(run_pass(), "CIC shift")) << k.shift;
    EXPECT_EQ(tie(chan[0].cic_shift, chan[0].g_cic), make_tuple(k.shift, 1.0));
  }
}

TEST(TransmitGain, CicShiftClampsWithWarnings) {
  CHAN& a = transmit_unity();
  a.cic_int = 2000;  // 2000^5 needs 55 bits: 41 - 54.8 is negative
  a.gain = 0.5;
  EXPECT_TRUE(contains(run_pass(), "Warning: CIC shift was calculated to be negative; setting to 0 as MIN "
                                   "value\n"));
  EXPECT_EQ(a.cic_shift, 0);

  transmit_unity().cic_int = 0;  // no logarithm: counts as above the range
  a.gain = 0.5;
  EXPECT_TRUE(contains(run_pass(), "Warning: CIC shift was calculated to be over 39; setting to 39 as MAX "
                                   "value\n"));
  EXPECT_EQ(tie(a.cic_shift, a.g_cic), make_tuple(39, 0.0));
}

TEST(TransmitGain, NormalisationMovesFactorsOfTwoIntoTheFirShift) {
  // overall_gain x 16384 is the gain word before normalising.
  CHAN& a = transmit_wide();
  a.overall_gain = 1000.0 / 16384.0;
  EXPECT_EQ(run_pass(), "");
  EXPECT_EQ(tie(a.gain_lsb, a.fir_shift, a.g_fir, a.p_fir),
            make_tuple(4000, 1, 65536.0 / (1 << 20), 458752.0 / (1 << 20)));

  transmit_wide().overall_gain = 10000.0 / 16384.0;
  EXPECT_EQ(run_pass(), "");
  EXPECT_EQ(tie(a.gain_lsb, a.fir_shift, a.g_fir), make_tuple(2500, 5, 1.0));

  transmit_wide().fir_sym = 1;  // symmetric: stops at 2000 (above 1023)
  a.overall_gain = 1000.0 / 16384.0;
  EXPECT_EQ(run_pass(), "");
  EXPECT_EQ(tie(a.gain_lsb, a.fir_shift), make_tuple(2000, 2));
}

TEST(TransmitGain, SymmetricRangeWarningAndConstraint) {
  CHAN& a = transmit_unity();
  a.fir_sym = 1;
  a.gain = 2.0;
  std::string err = run_pass();
  EXPECT_TRUE(contains(err,
                       "Warning: Gain is not in optimal range (1024 < gain < 2047 is optimal due "
                       "to symmetry).\n"));
  EXPECT_TRUE(contains(err,
                       "Error: settings violate gain constraint:  gain * fir_gain * cic_gain must "
                       "not be over 1.0\n   try decreasing gain or overall_gain\n"));
  EXPECT_EQ(exit_status, 1);
}

// Words beyond the 19-bit field: normalised where the FIR shift allows, else
// held to the field.
TEST(TransmitGain, LargeWordsMeetTheField) {
  // overall_gain 64 asks for the word 64 x 4096 / 0.25 = 1048576. Halved
  // four times up to shift 7 it is 65536: gain 16, and with g_fir
  // 65536 / 2^14 = 4 the constraint is broken.
  CHAN& a = transmit_wide();
  a.overall_gain = 64.0;
  std::string err = run_pass();
  EXPECT_TRUE(contains(err, kRange));
  EXPECT_TRUE(contains(err, kConstraint));
  EXPECT_EQ(tie(a.gain_lsb, a.gain_msb, a.gain, a.fir_shift), make_tuple(0, 1, 16.0, 7));

  transmit_unity().gain = 200.0;  // 819200 needs 20 bits; the gain keeps its value
  err = run_pass();
  EXPECT_TRUE(contains(err, kRange));
  EXPECT_TRUE(contains(err, kConstraint));
  EXPECT_EQ(tie(a.gain_msb, a.gain_lsb, a.gain), make_tuple(7, 0xFFFF, 200.0));
}

TEST(TransmitGain, TinyFilterKeepsItsStartingWordForTheSumShift) {
  // One tap of 3: FIR shift 7, peak 3 / 2^14, starting word
  // floor(2^26 / 3) = 22369621, so g_fir x G / 4096 is just below 1 and the
  // sum must make up one bit: shift 3 + 1. The final word
  // floor(4096 / (3 / 2^14 x 2)) = 11184810 cannot be normalised at shift 7
  // and is held to the field; the gain keeps it.
  CHAN& a = transmit_a(3, 0, 3);
  g.tout_nsig = 2;
  EXPECT_TRUE(contains(run_pass(), kRange));
  EXPECT_EQ(tie(exit_status, g.sum_shift, a.g_sum), make_tuple(0, 4, 2.0));
  EXPECT_EQ(tie(a.gain_msb, a.gain_lsb, a.gain, a.fir_shift), make_tuple(7, 0xFFFF, 11184810 / 4096.0, 7));
}

TEST(TransmitGain, EmptyFilterHoldsEveryValueToItsField) {
  CHAN& a = transmit_a(0, 0, 0);
  g.tout_nsig = 2;
  EXPECT_TRUE(contains(run_pass(), kRange));
  EXPECT_EQ(tie(a.fir_shift, a.gain_lsb, a.gain_msb, g.sum_shift, exit_status),
            make_tuple(7, 0xFFFF, 7, 7, 0));
}

TEST(SumShift, ByOutputCountResolutionAndTheOtherChannels) {
  // With gain 0.75 and unity FIR and CIC the sum must make up 4/3, two bits
  // up; a powered-down channel's overall_gain of 1000 still counts.
  struct Case {
    double gain;
    int nsig, res;
    bool loud_b;
    int shift;
    double g_sum;
  };
  const Case cases[] = {{1.0, 4, 0, true, 3, 1.0},   {0.75, 2, 1, false, 4, 2.0},
                        {0.75, 1, 0, false, 4, 2.0}, {0.75, 1, 1, false, 7, 2.0},
                        {0.75, 3, 1, false, 4, 2.0}, {0.75, 2, 0, true, 7, 16.0}};
  for (const Case& c : cases) {
    transmit_unity().gain = c.gain;
    if (c.loud_b) chan[1].overall_gain = 1000.0;
    g.tout_nsig = c.nsig;
    g.tout_res = c.res;
    run_pass();
    EXPECT_EQ(tie(g.sum_shift, chan[0].g_sum), make_tuple(c.shift, c.g_sum)) << c.nsig << " " << c.res;
  }
}

TEST(ReceiveGain, AgcExample) {
  CHAN& a = receive_a(65536);
  EXPECT_EQ(run_pass(), "");
  // The channel's gain is not updated.
  EXPECT_EQ(tie(a.overall_gain, a.fir_shift, a.g_fir, a.gain_lsb, a.gain_msb, a.gain),
            make_tuple(2.0, 6, 2.0, 8192, 0, -1.0));
  EXPECT_EQ(tie(a.pwr_mtr_sync, a.pwr_mtr_integ), make_tuple(7, 0));
  EXPECT_EQ(tie(a.agc_Dblw, a.agc_Dabv, a.agc_Dzro, a.agc_Dsat), make_tuple(11, 9, 7, 7));
  // agc_max: 65536 / (1 + 2^-9) = 65408.2
  EXPECT_EQ(tie(a.agc_min, a.agc_max, a.agc_thresh), make_tuple(8192 / 8 - 2, 65408 - 8192 / 8, 103));
  EXPECT_EQ(tie(a.agcD, a.agcTC), make_tuple(11, std::pow(2.0, 12.75)));
}

TEST(ReceiveGain, AgcThresholdByMode) {
  CHAN& a = receive_a(65536);
  a.agc_mode = 0;
  run_pass();
  EXPECT_EQ(tie(a.agc_thresh, a.agc_Dabv), make_tuple(54, 11));  // 80.95 x 0.6745
  receive_a(65536).agc_mode = 1;
  run_pass();
  EXPECT_EQ(a.agc_thresh, 80);
  receive_a(65536).agc_cf = 0;
  EXPECT_EQ(run_pass(),
            "Warning: agc_thresh calculated to be higher than 255. Setting to 255.\n"
            "    check that agc_cf is not too low and that agc_mode is correct.");
  EXPECT_EQ(a.agc_thresh, 255);
}

TEST(ReceiveGain, AgcTargetsDefaultWithWarnings) {
  CHAN& a = receive_a(65536);
  a.agc_tc = a.agc_cf = -1;
  a.agc_mode = 5;
  EXPECT_EQ(run_pass(),
            "Warning: agc_freeze is 0 (i.e., agc is on), but agc_tc (target agc time constant in\n"
            "microseconds) not set. Defaulting to 1000 microseconds.\n"
            "Warning: agc_freeze is 0 (i.e., agc is on), but agc_cf (target agc crest factor in\n"
            "dB) not set. Defaulting to 10dB.\n"
            "Warning: agc_freeze is 0 (i.e., agc is on), but agc_mode (0 for CDMA, 1 for "
            "narrowband\n"
            "and 2 for mixed signals) not set or set wrong. Defaulting to 2 (mixed).\n");
  EXPECT_EQ(tie(a.agc_tc, a.agc_cf, a.agc_mode, a.agc_thresh), make_tuple(1000, 10, 2, 103));
}

TEST(ReceiveGain, AgcStepHeldToItsField) {
  CHAN& a = receive_a(65536);
  a.agc_tc = 1;
  g.fck = 1.0;  // 1/16 sample: D would be -6
  run_pass();
  EXPECT_EQ(tie(a.agc_Dblw, a.agc_Dabv, a.agc_Dzro), make_tuple(0, 0, 0));
  receive_a(65536).cic_dec = 0;  // infinitely many samples
  run_pass();
  EXPECT_EQ(tie(a.agc_Dblw, a.agc_Dabv, a.agc_Dzro), make_tuple(15, 13, 11));
  receive_a(65536).agc_tc = 0;  // no time constant
  run_pass();
  EXPECT_EQ(a.agc_Dblw, 0);
}

TEST(ReceiveGain, FrozenAgcKeepsTheFirGainBelowTwo) {
  CHAN& a = receive_a(65536);
  a.agc_freeze = 1;
  a.pwr_mtr_on = 1;
  EXPECT_EQ(run_pass(),
            "Warning: agc_freeze is high, so assuming AGC is not used. Trying to set fir_shift so "
            "that gain\n    in FIR block does not exceed 2.0 (note that fir_shift can not go lower "
            "than 0).\n");
  EXPECT_EQ(tie(a.fir_shift, a.g_fir, a.gain_lsb, a.pwr_mtr_sync, a.pwr_mtr_integ),
            make_tuple(5, 1.0, 16384, 0, 65534));
  // The AGC settings stay zero and the step is not reached.
  EXPECT_EQ(tie(a.agc_min, a.agc_max, a.agc_thresh, a.agc_Dblw, a.agc_Dabv, a.agc_Dzro, a.agc_Dsat, a.agcD),
            make_tuple(0, 0, 0, 0, 0, 0, 0, 0));
}

TEST(ReceiveGain, GainMsbAloneIsDropped) {
  CHAN& a = receive_a(65536);
  a.gain_msb = 3;
  EXPECT_EQ(run_pass(), "Warning: Set gain_msb without setting gain_lsb...ignoring gain_msb setting.\n");
  EXPECT_EQ(tie(a.gain_msb, a.gain_lsb), make_tuple(0, 8192));
}

TEST(ReceiveGain, GainAndWords) {
  CHAN& a = receive_a(65536);
  a.gain_lsb = 5000;
  a.gain = 1.5;
  EXPECT_TRUE(contains(run_pass(),
                       "Warning: Both gain and gain_lsb are set...ignoring gain, using gain_lsb setting.\n"));
  EXPECT_EQ(tie(a.gain, a.gain_msb, a.gain_lsb), make_tuple(-1.0, 0, 5000));
  receive_a(65536).gain = 20.0;  // 81920 rounds to 81920
  run_pass();
  EXPECT_EQ(tie(a.gain_msb, a.gain_lsb), make_tuple(1, 16384));
  receive_a(65536).gain = 200.0;  // beyond 19 bits: held to the field
  run_pass();
  EXPECT_EQ(tie(a.gain_msb, a.gain_lsb), make_tuple(7, 0xFFFF));
}

TEST(ReceiveGain, ZeroFilterAndZeroOverallGain) {
  CHAN& a = receive_a(0);
  run_pass();
  EXPECT_EQ(tie(a.fir_shift, a.g_fir, a.gain_msb, a.gain_lsb), make_tuple(7, 0.0, 7, 0xFFFF));
  receive_a(65536).overall_gain = 0.0;
  run_pass();
  EXPECT_EQ(tie(a.fir_shift, a.gain_lsb, a.gain_msb), make_tuple(0, 0, 0));
}

TEST(PowerEstimate, SumsLiveFiltersAndCicPairsAndPrintsAnUndefinedDuty) {
  only_a(2);
  g.fck = 100.0;
  for (CHAN& c : chan) {
    c.powerdown = 0;
    c.inrate = 1;
    c.ncic = 3;
    c.fir_int = 1;
  }
  open_test_output(kOutAnl);
  calc_power();  // (4 x 0.55 / 4 + 2 x 0.75) x 100 x 1.8 = 369
  chan[0].powerdown = 1;
  calc_power();  // (3 x 0.1375 + 1.5) x 180 = 344.25
  g.master_reset = 1;
  calc_power();
  EXPECT_EQ(output_text(kOutAnl),
            "Estimate power is   369mW at 100.0 MHz and 1.8V\n"
            "Estimate power is   344mW at 100.0 MHz and 1.8V\n"
            "Estimate power is     0mW at 100.0 MHz and 1.8V\n");
  // Only channel A's filter, with 0 / 0 for its duty: the default NaN, sign
  // bit set.
  only_a(2);
  g.fck = 100.0;
  chan[0].inrate = 0;
  chan[0].ncic = -1;
  chan[0].fir_int = 1;
  open_test_output(kOutAnl);
  calc_power();
  EXPECT_EQ(output_text(kOutAnl), "Estimate power is  -nanmW at 100.0 MHz and 1.8V\n");
  close_outputs();
}
