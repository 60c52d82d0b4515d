// Gain words, FIR/CIC/sum shifts, AGC settings and the power estimate.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "gain.h"
#include "test_util.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

// Both pairs transmitting, only channel A live: a 16-tap non-interpolating
// filter whose first two taps are given, an 8-fold six-stage CIC, and four
// transmit outputs (sum shift 3).
void transmit_a(int tap0, int tap1, int sumtap) {
  init();
  declare_modes(1, 1);
  for (CHAN& c : chan) c.powerdown = 1;
  CHAN& a = chan[0];
  a.powerdown = 0;
  a.fir_int = 1;
  a.ncoefs = 16;
  a.coefs[0] = tap0;
  a.coefs[1] = tap1;
  a.sumtap = sumtap;
  a.fir_sym = 0;
  a.cic_int = 8;
  a.cic_xmt_5stg = 0;
  a.cic_bypass = 0;
  g.tout_nsig = 4;
  g.tout_res = 0;
}

// Both pairs receiving, only channel A live, with the gain factors of an
// 8-fold CIC whose shift makes it unity, AGC on (1000 us, 10 dB, mixed) and a
// 100 MHz clock.
void receive_a(int sumtap) {
  init();
  declare_modes(2, 2);
  for (CHAN& c : chan) c.powerdown = 1;
  CHAN& a = chan[0];
  a.powerdown = 0;
  a.sumtap = sumtap;
  a.g_cic = 1.0;
  a.g_rshift = 1.0;
  a.g_mix = 0.5;
  a.g_zpad = 1.0;
  a.cic_dec = 8;
  a.fir_dec = 2;
  a.agc_freeze = 0;
  a.agc_tc = 1000;
  a.agc_cf = 10;
  a.agc_mode = 2;
  g.fck = 100.0;
}

std::string run_pass() { return stderr_of(gain_config); }


const char* const kRange = "Gain is not in optimal range (2048 < gain < 4096 is optimal).";

}  // namespace

TEST(TransmitGain, GainAloneGivesItsWord) {
  transmit_a(16384, 0, 16384);
  chan[0].gain = 0.75;
  EXPECT_EQ(run_pass(), "");
  EXPECT_EQ(chan[0].gain_msb, 0);
  EXPECT_EQ(chan[0].gain_lsb, 3072);
  EXPECT_EQ(chan[0].gain, 0.75);
  EXPECT_EQ(chan[0].overall_gain, 1.0);
  EXPECT_EQ(chan[0].fir_shift, 7);
  EXPECT_EQ(chan[0].g_fir, 1.0);
  EXPECT_EQ(chan[0].pwr_mtr_sync, 7);
  EXPECT_EQ(chan[0].pwr_mtr_integ, 0);
  EXPECT_EQ(exit_status, 0);
}

TEST(TransmitGain, UnityOverallGainByDefault) {
  transmit_a(16384, 0, 16384);
  EXPECT_EQ(run_pass(), "");
  EXPECT_EQ(chan[0].overall_gain, 1.0);
  EXPECT_EQ(chan[0].gain_lsb, 4096);
  EXPECT_EQ(chan[0].gain_msb, 0);
  EXPECT_EQ(chan[0].gain, 1.0);
  EXPECT_EQ(chan[0].p_fir, 1.0);
}

TEST(TransmitGain, WordsWinOverGain) {
  transmit_a(16384, 0, 16384);
  chan[0].gain_lsb = 2048;
  chan[0].gain = 0.9;
  chan[0].overall_gain = 1.0;
  std::string err = run_pass();
  EXPECT_TRUE(contains(err,
                       "Warning: Both gain and gain_lsb are set; using gain_msb and gain_lsb values "
                       "for gain block.\n"));
  EXPECT_TRUE(contains(err,
                       "Warning: Gain block gain has been set with gain_lsb or gain, but "
                       "overall_gain is also set.\n    (gain block gain being set limits ability "
                       "to get exactly overall_gain)\n"));
  EXPECT_EQ(chan[0].gain_msb, 0);
  EXPECT_EQ(chan[0].gain, 0.5);
  EXPECT_FALSE(contains(err, kRange));  // 2048 is the lowest optimal word

  transmit_a(16384, 0, 16384);
  chan[0].gain_msb = 0;
  err = run_pass();
  EXPECT_TRUE(contains(err, "Warning: gain_msb is set, but gain_lsb is not.\n"));
  EXPECT_EQ(chan[0].gain_lsb, 4096);  // computed from the filter after all
}

TEST(TransmitGain, PowerMeterOnlySeesTheInput) {
  transmit_a(16384, 0, 16384);
  chan[0].pwr_mtr_on = 1;
  EXPECT_EQ(run_pass(),
            "Warning: Power meter being used in transmit mode; only measures power of input\n");
}

TEST(TransmitGain, FullScaleTapNeedsTheLargestFirShift) {
  transmit_a(0x7FFF, 0, 0x7FFF);
  chan[0].gain = 0.25;
  EXPECT_TRUE(contains(run_pass(), kRange));
  EXPECT_EQ(chan[0].fir_shift, 7);
  EXPECT_EQ(chan[0].p_fir, 32767.0 / 16384.0);
  EXPECT_EQ(chan[0].g_fir, 32767.0 / 16384.0);
}

TEST(TransmitGain, FirPeakIsTheLargestPhaseSum) {
  transmit_a(100, -300, 50);
  chan[0].fir_int = 2;
  chan[0].ncoefs = 4;
  chan[0].coefs[2] = 200;
  chan[0].coefs[3] = 50;  // phases: 100 + 200 and 300 + 50
  chan[0].gain = 1.0;
  run_pass();
  EXPECT_EQ(chan[0].p_fir, 350.0 / 16384.0);
}

TEST(TransmitGain, CicShiftMakesTheCicGainUnity) {
  transmit_a(16384, 0, 16384);
  EXPECT_EQ(run_pass(), "");
  EXPECT_EQ(chan[0].cic_shift, 26);
  EXPECT_EQ(chan[0].g_cic, 1.0);

  transmit_a(16384, 0, 16384);
  chan[0].cic_xmt_5stg = 1;
  run_pass();
  EXPECT_EQ(chan[0].cic_shift, 29);
  EXPECT_EQ(chan[0].g_cic, 1.0);

  transmit_a(16384, 0, 16384);
  chan[0].cic_int = 1;
  EXPECT_EQ(run_pass(), "");
  EXPECT_EQ(chan[0].cic_shift, 39);
  EXPECT_EQ(chan[0].g_cic, 1.0);

  transmit_a(16384, 0, 16384);
  chan[0].cic_shift = 20;  // the user's shift; the gain still follows the computed one
  run_pass();
  EXPECT_EQ(chan[0].cic_shift, 20);
  EXPECT_EQ(chan[0].g_cic, 1.0);
}

TEST(TransmitGain, CicShiftClampsWithWarnings) {
  transmit_a(16384, 0, 16384);
  chan[0].cic_int = 2000;  // 2000^5 needs 55 bits: 41 - 54.8 is negative
  chan[0].gain = 0.5;
  EXPECT_TRUE(contains(run_pass(),
                       "Warning: CIC shift was calculated to be negative; setting to 0 as MIN "
                       "value\n"));
  EXPECT_EQ(chan[0].cic_shift, 0);

  transmit_a(16384, 0, 16384);
  chan[0].cic_int = 0;  // no logarithm: counts as above the range
  chan[0].gain = 0.5;
  EXPECT_TRUE(contains(run_pass(),
                       "Warning: CIC shift was calculated to be over 39; setting to 39 as MAX "
                       "value\n"));
  EXPECT_EQ(chan[0].cic_shift, 39);
  EXPECT_EQ(chan[0].g_cic, 0.0);
}

TEST(TransmitGain, NormalisationMovesFactorsOfTwoIntoTheFirShift) {
  // Peak 458752 needs FIR shift 3; the sum 65536 gives g_fir 0.25 there, so
  // overall_gain x 16384 is the gain word before normalising.
  transmit_a(262144, -196608, 65536);
  chan[0].overall_gain = 1000.0 / 16384.0;
  EXPECT_EQ(run_pass(), "");
  EXPECT_EQ(chan[0].gain_lsb, 4000);
  EXPECT_EQ(chan[0].fir_shift, 1);
  EXPECT_EQ(chan[0].g_fir, 65536.0 / (1 << 20));
  EXPECT_EQ(chan[0].p_fir, 458752.0 / (1 << 20));

  transmit_a(262144, -196608, 65536);
  chan[0].overall_gain = 10000.0 / 16384.0;
  EXPECT_EQ(run_pass(), "");
  EXPECT_EQ(chan[0].gain_lsb, 2500);
  EXPECT_EQ(chan[0].fir_shift, 5);
  EXPECT_EQ(chan[0].g_fir, 1.0);

  transmit_a(262144, -196608, 65536);
  chan[0].fir_sym = 1;  // symmetric: stops at 2000 (above 1023)
  chan[0].overall_gain = 1000.0 / 16384.0;
  EXPECT_EQ(run_pass(), "");
  EXPECT_EQ(chan[0].gain_lsb, 2000);
  EXPECT_EQ(chan[0].fir_shift, 2);
}

TEST(TransmitGain, SymmetricRangeWarningAndConstraint) {
  transmit_a(16384, 0, 16384);
  chan[0].fir_sym = 1;
  chan[0].gain = 2.0;
  std::string err = run_pass();
  EXPECT_TRUE(contains(err,
                       "Warning: Gain is not in optimal range (1024 < gain < 2047 is optimal due "
                       "to symmetry).\n"));
  EXPECT_TRUE(contains(err,
                       "Error: settings violate gain constraint:  gain * fir_gain * cic_gain must "
                       "not be over 1.0\n   try decreasing gain or overall_gain\n"));
  EXPECT_EQ(exit_status, 1);
}

TEST(TransmitGain, LargeWordsAreNormalisedBeforeTheyMeetTheField) {
  // Peak 458752: FIR shift 3 and g_fir 0.25, so overall_gain 64 asks for the
  // word 64 x 4096 / 0.25 = 1048576 (beyond 19 bits). Halved four times up
  // to shift 7 it is 65536: gain 16, and with g_fir 65536 / 2^14 = 4 the
  // constraint is broken.
  transmit_a(262144, -196608, 65536);
  chan[0].overall_gain = 64.0;
  std::string err = run_pass();
  EXPECT_TRUE(contains(err, kRange));
  EXPECT_TRUE(contains(err, "Error: settings violate gain constraint"));
  EXPECT_EQ(chan[0].gain_lsb, 0);
  EXPECT_EQ(chan[0].gain_msb, 1);
  EXPECT_EQ(chan[0].gain, 16.0);
  EXPECT_EQ(chan[0].fir_shift, 7);
}

TEST(TransmitGain, TinyFilterKeepsItsStartingWordForTheSumShift) {
  // One tap of 3: FIR shift 7, peak 3 / 2^14, starting word
  // floor(2^26 / 3) = 22369621, so g_fir x G / 4096 is just below 1 and the
  // sum must make up one bit: shift 3 + 1. The final word
  // floor(4096 / (3 / 2^14 x 2)) = 11184810 cannot be normalised at shift 7
  // and is held to the field; the gain keeps it.
  transmit_a(3, 0, 3);
  g.tout_nsig = 2;
  std::string err = run_pass();
  EXPECT_TRUE(contains(err, kRange));
  EXPECT_EQ(exit_status, 0);
  EXPECT_EQ(g.sum_shift, 4);
  EXPECT_EQ(chan[0].g_sum, 2.0);
  EXPECT_EQ(chan[0].gain_msb, 7);
  EXPECT_EQ(chan[0].gain_lsb, 0xFFFF);
  EXPECT_EQ(chan[0].gain, 11184810 / 4096.0);
  EXPECT_EQ(chan[0].fir_shift, 7);
}

TEST(TransmitGain, GainBeyondTheFieldHoldsOnlyTheWord) {
  transmit_a(16384, 0, 16384);
  chan[0].gain = 200.0;  // 819200 needs 20 bits
  std::string err = run_pass();
  EXPECT_TRUE(contains(err, kRange));
  EXPECT_TRUE(contains(err, "Error: settings violate gain constraint"));
  EXPECT_EQ(chan[0].gain_msb, 7);
  EXPECT_EQ(chan[0].gain_lsb, 0xFFFF);
  EXPECT_EQ(chan[0].gain, 200.0);
}

TEST(SumShift, FourOutputsFixTheShift) {
  transmit_a(16384, 0, 16384);
  chan[1].overall_gain = 1000.0;  // powered down, still counted
  run_pass();
  EXPECT_EQ(g.sum_shift, 3);
  EXPECT_EQ(chan[0].g_sum, 1.0);
}

TEST(SumShift, ByOutputCountAndResolution) {
  // gain 0.75, unity FIR and CIC: the sum must make up 4/3, two bits up.
  struct Case {
    int nsig, res, shift;
    double g_sum;
  };
  const Case cases[] = {{2, 1, 4, 2.0}, {1, 0, 4, 2.0}, {1, 1, 7, 2.0}, {3, 1, 4, 2.0}};
  for (const Case& c : cases) {
    transmit_a(16384, 0, 16384);
    chan[0].gain = 0.75;
    g.tout_nsig = c.nsig;
    g.tout_res = c.res;
    run_pass();
    EXPECT_EQ(g.sum_shift, c.shift) << c.nsig << " " << c.res;
    EXPECT_EQ(chan[0].g_sum, c.g_sum) << c.nsig << " " << c.res;
  }
  transmit_a(16384, 0, 16384);
  chan[0].gain = 0.75;
  chan[1].overall_gain = 1000.0;
  g.tout_nsig = 2;
  run_pass();
  EXPECT_EQ(g.sum_shift, 7);
  EXPECT_EQ(chan[0].g_sum, 16.0);
}

TEST(TransmitGain, EmptyFilterHoldsEveryValueToItsField) {
  transmit_a(0, 0, 0);
  g.tout_nsig = 2;
  std::string err = run_pass();
  EXPECT_TRUE(contains(err, kRange));
  EXPECT_EQ(chan[0].fir_shift, 7);
  EXPECT_EQ(chan[0].gain_lsb, 0xFFFF);
  EXPECT_EQ(chan[0].gain_msb, 7);
  EXPECT_EQ(g.sum_shift, 7);
  EXPECT_EQ(exit_status, 0);
}

TEST(ReceiveGain, AgcExample) {
  receive_a(65536);
  EXPECT_EQ(run_pass(), "");
  const CHAN& a = chan[0];
  EXPECT_EQ(a.overall_gain, 2.0);
  EXPECT_EQ(a.fir_shift, 6);
  EXPECT_EQ(a.g_fir, 2.0);
  EXPECT_EQ(a.gain_lsb, 8192);
  EXPECT_EQ(a.gain_msb, 0);
  EXPECT_EQ(a.gain, -1.0);  // the channel's gain is not updated
  EXPECT_EQ(a.pwr_mtr_sync, 7);
  EXPECT_EQ(a.pwr_mtr_integ, 0);
  EXPECT_EQ(a.agc_Dblw, 11);
  EXPECT_EQ(a.agc_Dabv, 9);
  EXPECT_EQ(a.agc_Dzro, 7);
  EXPECT_EQ(a.agc_Dsat, 7);
  EXPECT_EQ(a.agc_min, 8192 / 8 - 2);
  EXPECT_EQ(a.agc_max, 65408 - 8192 / 8);  // 65536 / (1 + 2^-9) = 65408.2
  EXPECT_EQ(a.agc_thresh, 103);
  EXPECT_EQ(a.agcD, 11);
  EXPECT_EQ(a.agcTC, std::pow(2.0, 12.75));
}

TEST(ReceiveGain, AgcThresholdByMode) {
  receive_a(65536);
  chan[0].agc_mode = 0;
  run_pass();
  EXPECT_EQ(chan[0].agc_thresh, 54);  // 80.95 x 0.6745
  EXPECT_EQ(chan[0].agc_Dabv, 11);
  receive_a(65536);
  chan[0].agc_mode = 1;
  run_pass();
  EXPECT_EQ(chan[0].agc_thresh, 80);
  receive_a(65536);
  chan[0].agc_cf = 0;
  EXPECT_EQ(run_pass(),
            "Warning: agc_thresh calculated to be higher than 255. Setting to 255.\n"
            "    check that agc_cf is not too low and that agc_mode is correct.");
  EXPECT_EQ(chan[0].agc_thresh, 255);
}

TEST(ReceiveGain, AgcTargetsDefaultWithWarnings) {
  receive_a(65536);
  chan[0].agc_tc = -1;
  chan[0].agc_cf = -1;
  chan[0].agc_mode = 5;
  EXPECT_EQ(run_pass(),
            "Warning: agc_freeze is 0 (i.e., agc is on), but agc_tc (target agc time constant in\n"
            "microseconds) not set. Defaulting to 1000 microseconds.\n"
            "Warning: agc_freeze is 0 (i.e., agc is on), but agc_cf (target agc crest factor in\n"
            "dB) not set. Defaulting to 10dB.\n"
            "Warning: agc_freeze is 0 (i.e., agc is on), but agc_mode (0 for CDMA, 1 for "
            "narrowband\n"
            "and 2 for mixed signals) not set or set wrong. Defaulting to 2 (mixed).\n");
  EXPECT_EQ(chan[0].agc_tc, 1000);
  EXPECT_EQ(chan[0].agc_cf, 10);
  EXPECT_EQ(chan[0].agc_mode, 2);
  EXPECT_EQ(chan[0].agc_thresh, 103);
}

TEST(ReceiveGain, AgcStepHeldToItsField) {
  receive_a(65536);
  chan[0].agc_tc = 1;
  g.fck = 1.0;  // 1/16 sample: D would be -6
  run_pass();
  EXPECT_EQ(chan[0].agc_Dblw, 0);
  EXPECT_EQ(chan[0].agc_Dabv, 0);
  EXPECT_EQ(chan[0].agc_Dzro, 0);

  receive_a(65536);
  chan[0].cic_dec = 0;  // infinitely many samples
  run_pass();
  EXPECT_EQ(chan[0].agc_Dblw, 15);
  EXPECT_EQ(chan[0].agc_Dabv, 13);
  EXPECT_EQ(chan[0].agc_Dzro, 11);

  receive_a(65536);
  chan[0].agc_tc = 0;  // no time constant
  run_pass();
  EXPECT_EQ(chan[0].agc_Dblw, 0);
}

TEST(ReceiveGain, FrozenAgcKeepsTheFirGainBelowTwo) {
  receive_a(65536);
  chan[0].agc_freeze = 1;
  chan[0].pwr_mtr_on = 1;
  EXPECT_EQ(run_pass(),
            "Warning: agc_freeze is high, so assuming AGC is not used. Trying to set fir_shift so "
            "that gain\n    in FIR block does not exceed 2.0 (note that fir_shift can not go lower "
            "than 0).\n");
  EXPECT_EQ(chan[0].fir_shift, 5);
  EXPECT_EQ(chan[0].g_fir, 1.0);
  EXPECT_EQ(chan[0].gain_lsb, 16384);
  EXPECT_EQ(chan[0].pwr_mtr_sync, 0);
  EXPECT_EQ(chan[0].pwr_mtr_integ, 65534);
  for (int v : {chan[0].agc_min, chan[0].agc_max, chan[0].agc_thresh, chan[0].agc_Dblw,
                chan[0].agc_Dabv, chan[0].agc_Dzro, chan[0].agc_Dsat})
    EXPECT_EQ(v, 0);
  EXPECT_EQ(chan[0].agcD, 0);  // not reached
}

TEST(ReceiveGain, GainMsbAloneIsDropped) {
  receive_a(65536);
  chan[0].gain_msb = 3;
  EXPECT_EQ(run_pass(), "Warning: Set gain_msb without setting gain_lsb...ignoring gain_msb setting.\n");
  EXPECT_EQ(chan[0].gain_msb, 0);
  EXPECT_EQ(chan[0].gain_lsb, 8192);
}

TEST(ReceiveGain, GainAndWords) {
  receive_a(65536);
  chan[0].gain_lsb = 5000;
  chan[0].gain = 1.5;
  EXPECT_TRUE(contains(run_pass(),
                       "Warning: Both gain and gain_lsb are set...ignoring gain, using gain_lsb "
                       "setting.\n"));
  EXPECT_EQ(chan[0].gain, -1.0);
  EXPECT_EQ(chan[0].gain_msb, 0);
  EXPECT_EQ(chan[0].gain_lsb, 5000);

  receive_a(65536);
  chan[0].gain = 20.0;  // 81920 rounds to 81920: msb 1, lsb 16384
  run_pass();
  EXPECT_EQ(chan[0].gain_msb, 1);
  EXPECT_EQ(chan[0].gain_lsb, 16384);

  receive_a(65536);
  chan[0].gain = 200.0;  // beyond 19 bits: held to the field
  run_pass();
  EXPECT_EQ(chan[0].gain_msb, 7);
  EXPECT_EQ(chan[0].gain_lsb, 0xFFFF);
}

TEST(ReceiveGain, ZeroFilterAndZeroOverallGain) {
  receive_a(0);
  run_pass();
  EXPECT_EQ(chan[0].fir_shift, 7);
  EXPECT_EQ(chan[0].g_fir, 0.0);
  EXPECT_EQ(chan[0].gain_msb, 7);
  EXPECT_EQ(chan[0].gain_lsb, 0xFFFF);

  receive_a(65536);
  chan[0].overall_gain = 0.0;
  run_pass();
  EXPECT_EQ(chan[0].fir_shift, 0);
  EXPECT_EQ(chan[0].gain_lsb, 0);
  EXPECT_EQ(chan[0].gain_msb, 0);
}

TEST(PowerEstimate, SumsLiveFiltersAndCicPairs) {
  init();
  declare_modes(2, 2);
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
  close_outputs();
}

TEST(PowerEstimate, UndefinedDutyPrintsAsTheMachinesNan) {
  init();
  declare_modes(2, 2);
  g.fck = 100.0;
  for (CHAN& c : chan) c.powerdown = 1;
  chan[0].powerdown = 0;
  chan[0].inrate = 0;
  chan[0].ncic = -1;  // 0 / 0: the default NaN, sign bit set
  chan[0].fir_int = 1;
  open_test_output(kOutAnl);
  calc_power();
  EXPECT_EQ(output_text(kOutAnl), "Estimate power is  -nanmW at 100.0 MHz and 1.8V\n");
  close_outputs();
}
