// Channel pre-configuration: power-down, split-I/Q, sample rates and the
// conversions between freq and the three NCO frequency words.
#include <gtest/gtest.h>

#include "preconfig.h"
#include "records.h"
#include "test_util.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

// Both pairs declared, a 100 MHz clock and every channel's CIC count given.
void setup(int mode_ab, int mode_cd) {
  init();
  declare_modes(mode_ab, mode_cd);
  g.fck = 100.0;
  for (CHAN& c : chan) {
    c.cic_dec = 4;
    c.cic_int = 4;
    c.freq = 10.0;
  }
}

struct Words {
  int msb, mid, lsb;
  bool operator==(const Words& o) const { return msb == o.msb && mid == o.mid && lsb == o.lsb; }
};

Words words_of(const CHAN& c) { return {c.freq_msb, c.freq_mid, c.freq_lsb}; }

Words forward(double freq, double fck) {
  setup(2, 2);
  g.fck = fck;
  chan[0].freq = freq;
  preconfig();
  return words_of(chan[0]);
}

std::string run_capturing_anl() {
  open_test_output(kOutAnl);
  CaptureStderr();
  preconfig();
  GetCapturedStderr();
  return output_text(kOutAnl);
}

}  // namespace

TEST(FrequencyWords, ForwardConversionOfTheWorkedExamples) {
  // 10 / 100 of a turn: 6553.6 -> 6553, then 0.6 x 65536 twice.
  EXPECT_EQ(forward(10.0, 100.0), (Words{6553, 39321, 39321}));
  // A negative tuning wraps by a full turn: -16384 + 65536.
  EXPECT_EQ(forward(-25.0, 100.0), (Words{0xC000, 0, 0}));
}

TEST(FrequencyWords, EdgesOfTheTurn) {
  // freq equal to the clock needs one more than 16 bits; nothing reports it.
  EXPECT_EQ(forward(100.0, 100.0), (Words{65536, 0, 0}));
  EXPECT_EQ(exit_status, 0);
  // -fck wraps once to exactly 0.
  EXPECT_EQ(forward(-100.0, 100.0), (Words{0, 0, 0}));
  EXPECT_EQ(forward(0.0, 100.0), (Words{0, 0, 0}));
}

TEST(FrequencyWords, ForwardConversionOverridesUserMidAndLsb) {
  setup(2, 2);
  chan[1].freq = 25.0;
  chan[1].freq_mid = 1234;
  chan[1].freq_lsb = 99;
  preconfig();
  EXPECT_EQ(words_of(chan[1]), (Words{16384, 0, 0}));
}

TEST(FrequencyWords, ForwardConversionUsesTheClockNotTheSampleRate) {
  setup(2, 2);
  g.rinf_zpad = 1;  // halves fsample
  chan[0].freq = 10.0;
  preconfig();
  EXPECT_DOUBLE_EQ(chan[0].fsample, 50.0);
  EXPECT_EQ(chan[0].freq_msb, 6553);
}

TEST(FrequencyWords, ReverseConversionScalesByTheClock) {
  setup(2, 2);
  chan[0].freq = -1.0;
  chan[0].freq_msb = 16384;  // a quarter turn; unset lower words add nothing
  chan[0].freq_mid = -1;
  chan[0].freq_lsb = -1;
  chan[1].freq = -1.0;
  chan[1].freq_msb = 1;
  chan[1].freq_mid = 32768;  // 1.5 / 65536 of a turn
  chan[2].freq = -1.0;
  chan[2].freq_msb = 0;
  chan[2].freq_mid = 0;
  chan[2].freq_lsb = 65536;  // 65536 / 65536^3 = 1 / 65536^2 of a turn
  preconfig();
  EXPECT_DOUBLE_EQ(chan[0].freq, 25.0);
  EXPECT_DOUBLE_EQ(chan[1].freq, 1.5 / 65536.0 * 100.0);
  EXPECT_DOUBLE_EQ(chan[2].freq, 100.0 / 4294967296.0);
  EXPECT_EQ(chan[0].freq_mid, -1);  // the words are only read
  EXPECT_EQ(chan[1].freq_lsb, 0);
}

TEST(FrequencyWords, BothGivenWarnsAndTheWordsWin) {
  setup(2, 2);
  chan[0].freq = 10.0;
  chan[0].freq_msb = 32768;
  std::string anl = run_capturing_anl();
  EXPECT_NE(anl.find("Warning(config L65): both freq and freq_msb are set; using freq_msb setting.\n"),
            std::string::npos);
  EXPECT_DOUBLE_EQ(chan[0].freq, 50.0);
  EXPECT_EQ(exit_status, 0);
}

TEST(FrequencyWords, NeitherGivenIsAnErrorAndConvertsTheUnsetFreq) {
  setup(2, 2);
  chan[0].freq = -1.0;
  std::string anl = run_capturing_anl();
  EXPECT_NE(anl.find("Error(config L63): Need to set either freq or freq_msb\n"), std::string::npos);
  EXPECT_EQ(exit_status, 1);
  // -1 / 100 x 65536 = -655.36, wrapped to 64880.64.
  EXPECT_EQ(chan[0].freq_msb, 64880);
}

TEST(FrequencyWords, ZeroClockIsReportedInsteadOfConverted) {
  setup(2, 2);
  g.fck = 0.0;
  std::string anl = run_capturing_anl();
  EXPECT_NE(anl.find("Error(config L160): Can not convert freq to frequency words; check freq and fck\n"),
            std::string::npos);
  EXPECT_EQ(chan[0].freq_msb, -1);
  EXPECT_EQ(exit_status, 1);
}

TEST(FrequencyWords, TuningFarBeyondTheClockIsReported) {
  setup(2, 2);
  chan[2].freq = 1e9;  // 1e9 / 100 x 65536 does not fit an int
  std::string anl = run_capturing_anl();
  EXPECT_NE(anl.find("Error(config L160)"), std::string::npos);
  EXPECT_EQ(chan[2].freq_msb, -1);
  EXPECT_EQ(chan[0].freq_msb, 6553);
}

TEST(BypassedMixer, ZeroesTheTuningAndQuietsTheSyncs) {
  setup(2, 2);
  chan[0].bypass_mix = 1;
  chan[0].freq = -1.0;
  chan[0].phase = -1;
  preconfig();
  EXPECT_DOUBLE_EQ(chan[0].freq, 0.0);
  EXPECT_EQ(words_of(chan[0]), (Words{0, 0, 0}));
  EXPECT_EQ(chan[0].phase, 0);
  EXPECT_EQ(chan[0].nco_sync, 7);
  EXPECT_EQ(chan[0].freq_sync, 7);
  EXPECT_EQ(chan[0].phase_sync, 7);
  EXPECT_EQ(chan[0].dith_sync, 7);
  EXPECT_EQ(exit_status, 0);
}

TEST(BypassedMixer, WarnsAboutANonZeroTuning) {
  setup(2, 2);
  chan[1].bypass_mix = 1;
  chan[1].freq = 3.0;
  chan[1].freq_msb = 5;
  chan[1].nco_sync = 2;
  std::string anl = run_capturing_anl();
  EXPECT_NE(anl.find("Warning(config L77): freq_msb should be 0 if bypassing mixer\n"), std::string::npos);
  EXPECT_NE(anl.find("Warning(config L79): freq should be 0 if bypassing mixer\n"), std::string::npos);
  EXPECT_EQ(chan[1].nco_sync, 2);
  EXPECT_EQ(exit_status, 0);
}

TEST(CicChecks, MissingCountsAreErrorsByDirection) {
  setup(2, 1);
  chan[0].cic_dec = -1;
  chan[2].cic_int = -1;
  std::string anl = run_capturing_anl();
  EXPECT_NE(anl.find("Error(config L93): Need to set cic_dec\n"), std::string::npos);
  EXPECT_NE(anl.find("Error(config L107): Need to set cic_int\n"), std::string::npos);
}

TEST(CicChecks, BypassedCicDefaultsTheCountToOneAndWarnsOtherwise) {
  setup(2, 1);
  chan[0].bypass_cic = 1;
  chan[0].cic_dec = -1;
  chan[1].bypass_cic = 1;  // keeps the user's 4
  chan[2].bypass_cic = 1;
  chan[2].cic_int = -1;
  chan[3].bypass_cic = 1;
  std::string anl = run_capturing_anl();
  EXPECT_EQ(chan[0].cic_dec, 1);
  EXPECT_EQ(chan[2].cic_int, 1);
  EXPECT_EQ(chan[1].cic_dec, 4);
  EXPECT_NE(anl.find("Warning(config L99): cic_dec should be 1 if bypassing cic\n"), std::string::npos);
  EXPECT_NE(anl.find("Warning(config L113): cic_int should be 1 if bypassing cic\n"), std::string::npos);
  EXPECT_EQ(exit_status, 0);
}

TEST(PowerDown, ChannelsTakeTheirFlagsAndThePairFlags) {
  setup(2, 2);
  g.pwr_dwn_fir_B = 1;
  g.pwr_dwn_cic_CD = 1;
  for (CHAN& c : chan) c.freq = -1.0;  // would be an error on a live channel
  std::string anl = run_capturing_anl();
  EXPECT_EQ(chan[0].powerdown, 0);
  EXPECT_EQ(chan[1].powerdown, 1);
  EXPECT_EQ(chan[2].powerdown, 1);
  EXPECT_EQ(chan[3].powerdown, 1);
  // Only channel A is checked and converted.
  EXPECT_EQ(anl, "Error(config L63): Need to set either freq or freq_msb\n");
  for (int k = 1; k < 4; ++k) {
    EXPECT_EQ(chan[k].freq_msb, -1) << k;
    EXPECT_DOUBLE_EQ(chan[k].fsample, 0.0) << k;
  }
}

TEST(SplitIq, FlagDefaultsBothPairs) {
  setup(2, 2);
  g.splitiq = -1;  // unset counts as on
  g.splitiqCD = 0;
  preconfig();
  EXPECT_EQ(g.splitiqAB, 1);
  EXPECT_EQ(g.splitiqCD, 0);

  setup(2, 2);
  g.splitiq = 0;
  preconfig();
  EXPECT_EQ(g.splitiqAB, 0);
  EXPECT_EQ(g.splitiqCD, 0);
}

TEST(SampleRate, DoubleRateReceiveWithZeroPadding) {
  setup(2, 2);
  g.rin_rate = 2;
  g.rinf_zpad = 3;
  g.rin_cmplx = 1;
  chan[3].mix_rcv_sel = 3;
  std::string anl = run_capturing_anl();
  EXPECT_DOUBLE_EQ(chan[0].fsample, 100.0 / 4 * 2);
  EXPECT_EQ(g.splitiq, 1);
  EXPECT_EQ(g.splitiqAB, 1);
  EXPECT_EQ(g.splitiqCD, 1);
  EXPECT_EQ(chan[0].mix_rcv_sel, 0);
  EXPECT_EQ(chan[1].mix_rcv_sel, 2);
  EXPECT_EQ(chan[2].mix_rcv_sel, 0);
  EXPECT_EQ(chan[3].mix_rcv_sel, 3);
  EXPECT_NE(anl.find("Error(config L150): Should never have both double rate and zpad active.  Probably "
                     "need to change rinf_zpad to 0\n\n"),
            std::string::npos);
}

TEST(SampleRate, DoubleRateMixerSelectsReachTransmitChannelsToo) {
  setup(2, 1);
  g.rin_rate = 2;
  g.rin_cmplx = 0;
  chan[2].mix_rcv_sel = -1;
  chan[3].mix_rcv_sel = -1;
  preconfig();
  EXPECT_EQ(chan[0].mix_rcv_sel, 0);
  EXPECT_EQ(chan[1].mix_rcv_sel, 1);
  EXPECT_EQ(chan[2].mix_rcv_sel, 0);
  EXPECT_EQ(chan[3].mix_rcv_sel, 1);
  EXPECT_DOUBLE_EQ(chan[0].fsample, 200.0);
  EXPECT_DOUBLE_EQ(chan[2].fsample, 100.0);  // transmit at full rate
}

TEST(SampleRate, TransmitHoldHalvesUnlessItsSyncIsOff) {
  setup(1, 1);
  g.toutf_hold = 1;
  g.toutf_hold_sync = -1;
  preconfig();
  EXPECT_DOUBLE_EQ(chan[0].fsample, 50.0);

  for (int sync : {6, 7}) {
    setup(1, 1);
    g.toutf_hold = 1;
    g.toutf_hold_sync = sync;
    preconfig();
    EXPECT_DOUBLE_EQ(chan[0].fsample, 100.0) << sync;
  }

  setup(1, 1);
  g.toutf_hold = 3;
  g.toutf_hold_sync = 5;
  preconfig();
  EXPECT_DOUBLE_EQ(chan[3].fsample, 25.0);
}

TEST(SampleRate, DoubleRateTransmitForcesSplitIqAndChecksComplexInput) {
  setup(1, 2);
  g.tout_rate = 2;
  g.splitiq = 0;
  chan[1].tinf_cmplx = 1;
  std::string anl = run_capturing_anl();
  EXPECT_EQ(g.splitiq, 1);
  EXPECT_EQ(g.splitiqAB, 1);
  EXPECT_DOUBLE_EQ(chan[0].fsample, 200.0);
  EXPECT_DOUBLE_EQ(chan[2].fsample, 100.0);  // receive at rin_rate 1
  EXPECT_EQ(anl, "Error(config L130): If transmit and splitiq is on then tinf_cmplx must be 0\n");
}

TEST(TransmitSignals, NoLiveTransmitChannelClearsTheCount) {
  setup(2, 2);
  g.tout_nsig = 4;
  preconfig();
  EXPECT_EQ(g.tout_nsig, 0);

  setup(1, 2);
  g.pwr_dwn_cic_AB = 1;
  g.tout_nsig = 2;
  preconfig();
  EXPECT_EQ(g.tout_nsig, 0);

  setup(2, 1);
  g.tout_nsig = 2;
  preconfig();
  EXPECT_EQ(g.tout_nsig, 2);
}
