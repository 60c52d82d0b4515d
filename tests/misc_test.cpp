// Interfaces: enables, formatter defaults, frame-strobe load points, the
// frame-strobe output delay search and the receive input selects.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "misc.h"
#include "test_util.h"

using std::make_tuple;
using std::tie;

namespace {

// Both pairs transmitting (so a TDM frame holds four words); only channel A
// is live: a real interface at full clock (16 pins and 16 bits unless given)
// whose FIR output cycle is (ncic + 1) x fir_int clocks.
CHAN& transmit_a(int ncic, int fir_int, int pins = 16, int bits = 16) {
  init();
  declare_modes(1, 1);
  g.splitiqAB = g.splitiqCD = 0;
  for (CHAN& c : chan) {
    c.powerdown = 1;
    c.pins = c.bits = 16;
  }
  CHAN& a = chan[0];
  a.powerdown = 0;
  a.ncic = ncic;
  a.fir_int = fir_int;
  a.cic_int = ncic + 1;
  a.pins = pins;
  a.bits = bits;
  a.cic_bypass = a.fir_sym = a.fir_cmplx = a.tinf_cmplx = 0;
  return a;
}

// Both pairs receiving, every channel live with 16 pins and 16 bits.
void receive_all() {
  init();
  declare_modes(2, 2);
  g.splitiqAB = g.splitiqCD = 0;
  for (CHAN& c : chan) {
    c.powerdown = 0;
    c.pins = c.bits = 16;
    c.fir_cmplx = 1;
  }
}

std::string run_pass() { return stderr_of(misc_config); }

// What the pass wrote to the analysis file.
std::string analysis_of_pass() {
  open_test_output(kOutAnl);
  run_pass();
  std::string anl = output_text(kOutAnl);
  close_outputs();
  return anl;
}

}  // namespace

TEST(TimingFunctions, ToggleAndArrivalClocks) {
  CHAN& a = transmit_a(3, 2);  // cycle of 8 clocks
  a.sck_div = 1;
  EXPECT_EQ(getTogDly(0, 2, 1), 8 - 2 * 2 + 8);
  EXPECT_EQ(getSrtvDlyMin(0, 2, 1, 3), (2 * 3 + 1) * 2 + 17);
  EXPECT_EQ(getSrtvDlyMax(0, 2, 1, 3), 31);  // 8 is a whole number of slow clocks
  a.ncic = 8;
  a.fir_int = 1;  // cycle of 9 clocks: one slow clock may be partial
  EXPECT_EQ(getSrtvDlyMax(0, 2, 1, 3), 32);
}

TEST(TimingFunctions, CycleShiftIsTheFirstWholeCycleBeyondArrival) {
  CHAN& a = transmit_a(3, 2);  // cycle 8
  // 31: 3 x 8 = 24 > 31 - 8; 24: 2 x 8 = 16 is not > 16.
  const int cases[][2] = {{31, 2}, {24, 2}, {23, 1}, {10, 0}, {-50, 0}};
  for (const auto& c : cases) EXPECT_EQ(getCycleSft(0, c[0]), c[1]) << c[0];
  a.fir_int = 0;  // no cycle: nothing to count
  EXPECT_EQ(getCycleSft(0, 100), 0);
}

TEST(OutputEnables, SumInputsSilencePortsCAndD) {
  transmit_a(3, 1);
  g.tout_sumin = 1;
  run_pass();
  EXPECT_EQ(tie(g.en_AO, g.en_BFS, g.en_CO, g.en_DFS, g.en_soB), make_tuple(1, 1, 0, 0, 1));
  receive_all();
  g.tout_sumin = 1;
  run_pass();
  EXPECT_EQ(g.en_CO, 1);
}

TEST(ReceiveFormatter, WidthsRoundingAndOneHotBits) {
  receive_all();
  chan[1].agc_gain_out = 1;
  chan[2].bits = 4;
  chan[3].bits = 20;
  chan[3].pins = 8;
  EXPECT_EQ(run_pass(), "");
  const CHAN& a = chan[0];
  EXPECT_EQ(tie(a.gain_rnd, a.routf_bits, a.routf_pins, a.routf_pwrdown), make_tuple(4, 8, 4, 0));
  EXPECT_EQ(tie(a.fso_sel, a.tinf_xmt, a.tinf_src), make_tuple(2, 0, 2));
  EXPECT_EQ(tie(chan[1].gain_rnd, chan[2].routf_bits), make_tuple(12, 1));
  EXPECT_EQ(tie(chan[3].routf_bits, chan[3].routf_pins), make_tuple(16, 2));
}

TEST(ReceiveFormatter, IqMultiplexOnlyForComplexDataWithoutSplitIq) {
  receive_all();
  chan[1].fir_cmplx = 0;
  chan[2].pins = 16;
  chan[2].bits = 8;
  g.splitiqCD = 1;
  g.routf_tdm = 1;
  run_pass();
  EXPECT_EQ(tie(chan[0].routf_iqmux, chan[1].routf_iqmux, chan[2].routf_iqmux, chan[3].routf_iqmux),
            make_tuple(1, 0, 0, 0));
  EXPECT_EQ(chan[0].routf_ctdm, 1);
}

TEST(ReceiveInputSelects, FollowComplexAndRate) {
  receive_all();
  g.rin_cmplx = 1;
  g.rin_rate = 1;
  run_pass();
  EXPECT_EQ(tie(g.rinf_sel_A, g.rinf_sel_B, g.rinf_sel_C, g.rinf_sel_D), make_tuple(4, 1, 4, 1));
  receive_all();
  g.rin_cmplx = 1;
  g.rin_rate = 0;
  run_pass();
  EXPECT_EQ(tie(g.rinf_sel_A, g.rinf_sel_D), make_tuple(3, 3));
  receive_all();
  g.rin_cmplx = 0;
  g.rinf_sel_C = 2;  // a user value stays
  run_pass();
  EXPECT_EQ(tie(g.rinf_sel_A, g.rinf_sel_B, g.rinf_sel_C), make_tuple(4, 4, 2));
}

TEST(PoweredDown, ChecksAndWidthsOnlyThenQuiet) {
  transmit_a(3, 1);
  CHAN &b = chan[1], &c = chan[2], &d = chan[3];
  b.pins = b.bits = -1;  // never given
  c.bits = 12;
  std::string err = run_pass();
  EXPECT_TRUE(contains(err, "Error: Pins must be 4,8, or 16\n"));
  EXPECT_TRUE(contains(err, "Error: Bits must be 4,8,12,16, or 20\n"));
  EXPECT_EQ(tie(b.tinf_pins, b.routf_pwrdown, b.fso_sel, b.gain_rnd), make_tuple(0, 1, 0, -1));
  EXPECT_EQ(tie(c.tinf_bits, c.tinf_first), make_tuple(3, -1));

  receive_all();
  d.powerdown = 1;
  d.bits = -1;
  run_pass();
  EXPECT_EQ(tie(d.routf_bits, d.routf_pwrdown, d.fso_sel, d.routf_pins), make_tuple(0, 1, 0, 4));
}

TEST(TransmitFormatter, DefaultsAndParallelIq) {
  CHAN& a = transmit_a(3, 1, 16, 8);
  a.tinf_cmplx = a.fir_sym = 1;
  run_pass();
  EXPECT_EQ(tie(a.tinf_pins, a.tinf_bits, a.tinf_pariq, a.tinf_iqmux), make_tuple(4, 2, 1, 0));
  EXPECT_EQ(tie(a.gain_rnd, a.gain_half, a.fso_sel, a.tinf_xmt, a.tinf_src), make_tuple(2, 1, 1, 1, 2));
  // No receive output in a transmit pair.
  EXPECT_EQ(tie(a.routf_pwrdown, a.routf_ctdm, g.rinf_sel_A), make_tuple(1, 0, 0));
  EXPECT_EQ(tie(a.tinf_nfs, a.tinf_fs_cnt), make_tuple(0, 3));
}

TEST(TransmitFormatter, WordClocksAndIqMultiplexLoadPoints) {
  // 12 bits over 8 pins: two clocks a word. Multiplexed I/Q, not at the
  // maximum rate: channel A loads at tword, then tword + delay + 1.
  CHAN& a = transmit_a(7, 1, 8, 12);
  a.tinf_cmplx = 1;
  a.tinf_fs_dly = 2;
  EXPECT_FALSE(contains(run_pass(), "Error"));
  EXPECT_EQ(tie(a.tinf_iqmux, a.tinf_first, a.tinf_second), make_tuple(1, 2, 5));
}

TEST(TransmitFormatter, TimeChecks) {
  transmit_a(0, 1, 16, 8);  // one clock per cycle, parallel I/Q
  std::string err = run_pass();
  EXPECT_TRUE(contains(err, "Error: IQ parallel mode needs at least two clock cycles to get data in.\n"));
  EXPECT_FALSE(contains(err, "faster"));

  transmit_a(2, 1, 4);  // 3 clocks for a 16-bit word on 4 pins
  err = run_pass();
  EXPECT_TRUE(contains(err, "Error: Not enough time to get data in\n"));
  EXPECT_TRUE(contains(err, "Error: Toggle and frame strobe coming faster than maximum rate.\n"));
}

TEST(TransmitFormatter, SamplesPerToggleAndIllegalPinCount) {
  CHAN& a = transmit_a(7, 1);
  a.swap_wa_cnt = 0;
  a.fir_cmplx = 1;  // (0 + 1) / 2 = 0 samples per toggle
  a.tinf_pins = 3;
  std::string err = run_pass();
  EXPECT_TRUE(contains(err, "Warning: samples_per_tog==0, setting to 1, qerb need to look at this!\n\n"));
  EXPECT_TRUE(contains(err, "Warning: 3 is not a legal setting for tinf_pins. Reset to 4.\n\n"));
  // tinf_nfs is defaulted to -1, i.e. still unset.
  EXPECT_EQ(tie(a.tinf_pins, a.tinf_nfs, a.tinf_fs_cnt), make_tuple(4, -1, 7));

  transmit_a(7, 1).swap_wa_cnt = 5;
  a.fir_cmplx = 1;
  run_pass();
  EXPECT_EQ(tie(a.tinf_nfs, a.tinf_fs_cnt), make_tuple(2, 8 / 3 - 1));
}

TEST(FrameStrobe, DelayBeyondTheCycleIsReduced) {
  CHAN& a = transmit_a(3, 2, 4);  // cycle 8
  a.sck_div = 1;                  // two clocks per slow clock
  a.tinf_fs_dly = 5;
  EXPECT_TRUE(contains(analysis_of_pass(),
                       "Channel 0 FS delay of 5 beyond cycle length. Using delay mod cycle length:  1.\n"));
  EXPECT_EQ(tie(a.tinf_first, a.tinf_second), make_tuple(0, 2));  // reduced delay + 1
}

TEST(FrameStrobe, SecondLoadPointBeyondTheCycleWrapsAround) {
  // Multiplexed I/Q, 2 clocks a word, delay 3: 2 + 3 + 1 = 6 does not fit
  // the 5-clock cycle and becomes 6 mod 5.
  CHAN& a = transmit_a(4, 1, 4, 8);
  a.tinf_cmplx = 1;
  EXPECT_TRUE(contains(run_pass(),
                       "Warning: tinf_second too large compared to cycle length; going to try "
                       "tinf_second mod cycle length.\n (will use exactly cycle lenth if it divides "
                       "evenly).\n This problem generally occurs when tinf_delay is too large; in "
                       "this case, decrease\n the delay. If the problem persists, try decreasing "
                       "clock divide.\n"));
  EXPECT_EQ(tie(a.tinf_first, a.tinf_second), make_tuple(2, 1));
}

TEST(FrameStrobe, TdmLoadPointsSeparateChannelAFromTheOthers) {
  // TDM of four 16-bit words over 4 pins at full clock in a 16-clock cycle.
  CHAN& a = transmit_a(15, 1, 4);
  a.tinf_fs_dly = 2;
  chan[1] = a;
  g.tinf_tdm = 1;
  EXPECT_FALSE(contains(run_pass(), "Error"));
  EXPECT_EQ(tie(a.tinf_src, a.tinf_first, a.tinf_second), make_tuple(6, 0, 3));
  EXPECT_EQ(tie(chan[1].tinf_src, chan[1].tinf_first, chan[1].tinf_second), make_tuple(1, 1, 4));
}

TEST(FrameStrobe, MaximumRateLoadPoints) {
  // Multiplexed I/Q of one-clock words in a 2-clock cycle: the maximum rate,
  // where only a delay of 1 works (the reduced delay here is 2 mod 2 = 0).
  CHAN& a = transmit_a(1, 1);
  a.tinf_cmplx = 1;
  a.tinf_fs_dly = 2;
  EXPECT_TRUE(contains(run_pass(),
                       "Warning: Maximum rate non-tdm iq series mode must have delay of 1 if pins "
                       ">= bits...using 1 for delay.\n"));
  EXPECT_EQ(tie(a.tinf_first, a.tinf_second), make_tuple(1, 1));
  // Parallel I/Q with both pairs transmitting and no TDM: B takes its own
  // load points at the delay, as A does.
  transmit_a(1, 1, 16, 8);
  a.tinf_fs_dly = 1;
  chan[1] = a;
  run_pass();
  EXPECT_EQ(tie(a.tinf_first, a.tinf_second, chan[1].tinf_first, chan[1].tinf_second),
            make_tuple(1, 1, 1, 1));
}

// Delay 2 with one-clock words: data arrives at clock 20, and in a cycle of
// four clocks with four cycles of shift the toggle falls at 20 - i.
TEST(FsoDelay, SearchOrTheUserValueAgainstArrival) {
  const std::string cannot =
      "Warning: Frame strobe delay can not be set properly with current configuration,\n"
      "  data from swap RAM might not come out properly."
      "  If problems, change sck_div, ncic or fir_int to fix.\n"
      "  Also, if filter duty cycle is at 100% (always running), it should be okay.\n";
  struct Case {
    const char* what;
    int ncic, user_dly, fso_dly;
    std::string err;  // "-": not looked at
  };
  const Case cases[] = {
      {"search: the first delay before arrival (i = 1)", 3, -1, 2, ""},
      {"search: the toggle at 32 is after arrival", 31, -1, 1, "-"},
      {"user: toggle at 18, before arrival and within bound", 3, 3, 3, ""},
      {"user: toggle at 20, not before arrival", 3, 1, 1, cannot},
  };
  for (const Case& k : cases) {
    CHAN& a = transmit_a(k.ncic, 1);
    a.tinf_fs_dly = 2;
    a.tinf_fso_dly = k.user_dly;
    std::string err = run_pass();
    EXPECT_EQ(a.tinf_fso_dly, k.fso_dly) << k.what;
    if (k.err != "-") {
      EXPECT_EQ(err, k.err) << k.what;
    }
  }
}

TEST(FsoDelay, CutBelowTheInterpolationWithoutCic) {
  CHAN& a = transmit_a(1, 2);  // cycle 4
  a.cic_int = 1;
  a.tinf_fso_dly = 3;
  run_pass();
  EXPECT_EQ(a.tinf_fso_dly, 1);
  transmit_a(1, 2).cic_int = 2;
  a.cic_bypass = 1;
  a.tinf_fso_dly = 1;  // already below fir_int: kept
  run_pass();
  EXPECT_EQ(a.tinf_fso_dly, 1);
}

TEST(FsoDelay, TdmFallsBackToAligningAAndBApart) {
  // TDM, 12-bit words over 4 pins (3 clocks), cycle 14, delay 0: the
  // first probe finds nothing within seven delays; the A/B probe finds 4.
  // The A and D probes then try only that delay (toggle at 25): not before
  // 23 for A, before 29 but below 26 for D, so no further note.
  CHAN& a = transmit_a(13, 1, 4, 12);
  a.tinf_fs_dly = 0;
  g.tinf_tdm = 1;
  EXPECT_EQ(analysis_of_pass(),
            "Data can not be aligned. Aligning so channels a and b are one off of c and d.\n");
  EXPECT_EQ(tie(a.tinf_first, a.tinf_second, a.tinf_fso_dly), make_tuple(0, 1, 4));
}

TEST(FsoDelay, TdmAligningDApartWhenNothingEarlierFits) {
  // TDM, 20-bit words over 4 pins (5 clocks), cycle 4, delay 3: arrival of
  // four words at 40 gives nine cycles of shift, so the toggle falls at
  // 40 - i for i = 0..3. Words 1, 3 and 2 arrive at 25, 35 and 30, all before
  // every toggle; four words at 40 come after the toggle of i = 1, which is
  // not below three words (35): delay 2, with channel D's note.
  const std::string expected =
      "Error(config L1063): Not enough time to get data in\n"
      "Error(config L1076): Toggle and frame strobe coming faster than maximum rate.\n"
      "Warning(config L1199): tinf_second too large compared to cycle length; going to try "
      "tinf_second mod cycle length.\n"
      " (will use exactly cycle lenth if it divides evenly).\n"
      " This problem generally occurs when tinf_delay is too large; in this case, decrease\n"
      " the delay. If the problem persists, try decreasing clock divide.\n"
      "Data can not be aligned. Aligning so channels a b and c are one off of d.\n";
  for (int user_delay : {-1, 2}) {
    CHAN& a = transmit_a(3, 1, 4, 20);
    a.tinf_fs_dly = 3;
    a.tinf_fso_dly = user_delay;
    g.tinf_tdm = 1;
    EXPECT_EQ(analysis_of_pass(), expected) << user_delay;
    // 3 + 1 = 4 does not fit: 4 mod 4 gives 4.
    EXPECT_EQ(tie(a.tinf_fso_dly, a.tinf_second), make_tuple(2, 4));
  }
}

// A cycle of 0 or less skips the search with a warning; the other zero
// divisors (pins, sck_div, fir_cmplx) skip the channel's timing quietly, the
// pins/bits check having told the user.
TEST(ZeroDivisors, SkipTheChannelsTiming) {
  CHAN& a = transmit_a(-2, 1);  // a cycle of -1 clocks
  std::string err = run_pass();
  EXPECT_TRUE(contains(err, "Warning: Channel 0 has a cycle length of -1; no frame strobe delay search.\n"));
  EXPECT_TRUE(contains(err, "Frame strobe delay can not be set properly"));
  EXPECT_EQ(a.tinf_fso_dly, 1);
  transmit_a(3, 0);
  EXPECT_EQ(run_pass(), "Warning: Channel 0 has a cycle length of 0; no frame strobe delay search.\n");
  EXPECT_EQ(a.tinf_first, -1);

  transmit_a(3, 1, 0);
  EXPECT_TRUE(contains(run_pass(), "Error: Pins must be 4,8, or 16\n"));
  EXPECT_EQ(tie(a.tinf_fs_cnt, a.tinf_fso_dly, a.routf_ctdm, a.fso_sel), make_tuple(-1, -1, 0, 1));
  transmit_a(3, 1).sck_div = -1;
  run_pass();
  EXPECT_EQ(a.tinf_first, -1);
  transmit_a(3, 1).swap_wa_cnt = 3;
  a.fir_cmplx = -1;
  run_pass();
  EXPECT_EQ(a.tinf_nfs, -1);
}
