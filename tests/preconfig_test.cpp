// Channel pre-configuration: power-down, split-I/Q, sample rates and the
// conversions between freq and the three NCO frequency words.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

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

// Runs preconfig; returns what the analysis file received.
std::string run() {
  open_test_output(kOutAnl);
  CaptureStderr();
  preconfig();
  GetCapturedStderr();
  return output_text(kOutAnl);
}

std::vector<double> fsamples() { return {chan[0].fsample, chan[1].fsample, chan[2].fsample, chan[3].fsample}; }

}  // namespace

// 10 / 100 of a turn: 6553.6 -> 6553, then 0.6 x 65536 twice. A negative
// tuning wraps by a full turn (-16384 + 65536; -fck to exactly 0); freq
// equal to the clock needs one more than 16 bits, and nothing reports it.
TEST(FrequencyWords, ForwardConversionOfTheWorkedExamplesAndTheEdgesOfTheTurn) {
  const struct {
    double freq;
    const char* words;
  } cases[] = {{10.0, "freq_msb=6553 freq_mid=39321 freq_lsb=39321"},
               {-25.0, "freq_msb=0xC000 freq_mid=0 freq_lsb=0"},
               {100.0, "freq_msb=65536 freq_mid=0 freq_lsb=0"},
               {-100.0, "freq_msb=0 freq_mid=0 freq_lsb=0"},
               {0.0, "freq_msb=0 freq_mid=0 freq_lsb=0"}};
  for (const auto& k : cases) {
    setup(2, 2);
    chan[0].freq = k.freq;
    EXPECT_EQ(run(), "") << k.freq;
    EXPECT_TRUE(holds(0, k.words)) << k.freq;
    EXPECT_EQ(exit_status, 0);
  }
}

// The words follow from freq and the clock, not the sample rate, and
// replace the user's lower words.
TEST(FrequencyWords, ForwardConversionUsesTheClockAndOverridesUserMidAndLsb) {
  setup(2, 2);
  g.rinf_zpad = 1;  // halves fsample
  chan[1].freq = 25.0;
  chan[1].freq_mid = 1234;
  chan[1].freq_lsb = 99;
  run();
  EXPECT_DOUBLE_EQ(chan[0].fsample, 50.0);
  EXPECT_TRUE(holds(0, "freq_msb=6553 1:freq_msb=16384 1:freq_mid=0 1:freq_lsb=0"));
}

// A quarter turn with unset lower words; 1.5 / 65536 of a turn; 65536 /
// 65536^3 = 1 / 65536^2 of a turn. The words are only read.
TEST(FrequencyWords, ReverseConversionScalesByTheClock) {
  setup(2, 2);
  for (int k = 0; k < 3; ++k) chan[k].freq = -1.0;
  chan[0].freq_msb = 16384;
  chan[0].freq_mid = chan[0].freq_lsb = -1;
  chan[1].freq_msb = 1;
  chan[1].freq_mid = 32768;
  chan[2].freq_msb = 0;
  chan[2].freq_mid = 0;
  chan[2].freq_lsb = 65536;
  run();
  EXPECT_DOUBLE_EQ(chan[0].freq, 25.0);
  EXPECT_DOUBLE_EQ(chan[1].freq, 1.5 / 65536.0 * 100.0);
  EXPECT_DOUBLE_EQ(chan[2].freq, 100.0 / 4294967296.0);
  EXPECT_TRUE(holds(0, "freq_mid=-1 1:freq_lsb=0"));
}

// What each set-up reports and settles. Both words given: the words win.
// Neither given: the unset freq converts, -1 / 100 x 65536 = -655.36
// wrapped to 64880.64. A zero clock, or a word that does not fit an int
// (1e9 / 100 x 65536), is reported instead of converted. A bypassed mixer
// zeroes the tuning and quiets the syncs, and warns about a non-zero one.
// Each direction needs its CIC count; a bypassed CIC defaults it to 1 and
// warns about any other (B keeps the user's 4). An unset splitiq counts as
// on. Double rate: the selects reach transmit channels too, which run at
// full rate; a double-rate transmit pair forces split-I/Q, the receive pair
// staying at rin_rate 1.
TEST(Preconfig, ChecksAndSettings) {
  const std::string unconvertible =
      "Error(config L160): Can not convert freq to frequency words; check freq and fck\n";
  const struct {
    const char* what;
    int mode_ab, mode_cd;
    std::function<void()> tweak;
    const char* anl;  // the whole analysis text, or null to look for parts
    std::vector<std::string> anl_parts;
    const char* values;
    int status;  // -1 when it does not matter
    std::vector<double> fsamples = {};  // of the first channels
  } cases[] = {
      {"both freq and words", 2, 2, [] { chan[0].freq_msb = 32768; }, nullptr,
       {"Warning(config L65): both freq and freq_msb are set; using freq_msb setting.\n"}, "freq=50", 0},
      {"neither freq nor words", 2, 2, [] { chan[0].freq = -1.0; }, nullptr,
       {"Error(config L63): Need to set either freq or freq_msb\n"}, "freq_msb=64880", 1},
      {"zero clock", 2, 2, [] { g.fck = 0.0; }, nullptr, {unconvertible}, "freq_msb=-1", 1},
      {"tuning far beyond the clock", 2, 2, [] { chan[2].freq = 1e9; }, nullptr, {unconvertible},
       "2:freq_msb=-1 freq_msb=6553", -1},
      {"bypassed mixer", 2, 2, [] { chan[0].bypass_mix = 1, chan[0].freq = -1.0, chan[0].phase = -1; },
       nullptr, {},
       "freq=0 freq_msb=0 freq_mid=0 freq_lsb=0 phase=0 nco_sync=7 freq_sync=7 phase_sync=7 dith_sync=7", 0},
      {"bypassed mixer with a tuning", 2, 2,
       [] { chan[1].bypass_mix = 1, chan[1].freq = 3.0, chan[1].freq_msb = 5, chan[1].nco_sync = 2; }, nullptr,
       {"Warning(config L77): freq_msb should be 0 if bypassing mixer\n",
        "Warning(config L79): freq should be 0 if bypassing mixer\n"},
       "1:nco_sync=2", 0},
      {"missing CIC counts", 2, 1, [] { chan[0].cic_dec = -1, chan[2].cic_int = -1; }, nullptr,
       {"Error(config L93): Need to set cic_dec\n", "Error(config L107): Need to set cic_int\n"}, "", -1},
      {"bypassed CICs", 2, 1,
       [] {
         chan[0].cic_dec = -1, chan[2].cic_int = -1;
         for (CHAN& c : chan) c.bypass_cic = 1;
       },
       nullptr,
       {"Warning(config L99): cic_dec should be 1 if bypassing cic\n",
        "Warning(config L113): cic_int should be 1 if bypassing cic\n"},
       "cic_dec=1 2:cic_int=1 1:cic_dec=4", 0},
      {"split-I/Q unset", 2, 2, [] { g.splitiq = -1, g.splitiqCD = 0; }, nullptr, {}, "splitiqAB=1 splitiqCD=0",
       -1},
      {"split-I/Q off", 2, 2, [] { g.splitiq = 0; }, nullptr, {}, "splitiqAB=0 splitiqCD=0", -1},
      {"double-rate receive with zero padding", 2, 2,
       [] { g.rin_rate = 2, g.rinf_zpad = 3, g.rin_cmplx = 1, chan[3].mix_rcv_sel = 3; }, nullptr,
       {"Error(config L150): Should never have both double rate and zpad active.  Probably need to change "
        "rinf_zpad to 0\n\n"},
       "splitiq=1 splitiqAB=1 splitiqCD=1 mix_rcv_sel=0 1:mix_rcv_sel=2 2:mix_rcv_sel=0 3:mix_rcv_sel=3", -1,
       {100.0 / 4 * 2}},
      {"double-rate selects of a transmit pair", 2, 1,
       [] { g.rin_rate = 2, g.rin_cmplx = 0, chan[2].mix_rcv_sel = chan[3].mix_rcv_sel = -1; }, nullptr, {},
       "mix_rcv_sel=0 1:mix_rcv_sel=1 2:mix_rcv_sel=0 3:mix_rcv_sel=1", -1, {200.0, 200.0, 100.0, 100.0}},
      {"double-rate transmit", 1, 2, [] { g.tout_rate = 2, g.splitiq = 0, chan[1].tinf_cmplx = 1; },
       "Error(config L130): If transmit and splitiq is on then tinf_cmplx must be 0\n", {},
       "splitiq=1 splitiqAB=1", -1, {200.0, 200.0, 100.0}},
  };
  for (const auto& k : cases) {
    setup(k.mode_ab, k.mode_cd);
    k.tweak();
    EXPECT_TRUE(text_matches(run(), k.anl, k.anl_parts)) << k.what;
    EXPECT_TRUE(holds(0, k.values)) << k.what;
    if (k.status >= 0) {
      EXPECT_EQ(exit_status, k.status) << k.what;
    }
    std::vector<double> rates = fsamples();
    rates.resize(k.fsamples.size());
    EXPECT_EQ(rates, k.fsamples) << k.what;
  }
}

// Only live channel A is checked (an unset freq would be an error) and
// converted.
TEST(PowerDown, ChannelsTakeTheirFlagsAndThePairFlags) {
  setup(2, 2);
  g.pwr_dwn_fir_B = 1;
  g.pwr_dwn_cic_CD = 1;
  for (CHAN& c : chan) c.freq = -1.0;
  EXPECT_EQ(run(), "Error(config L63): Need to set either freq or freq_msb\n");
  EXPECT_EQ((std::vector<int>{chan[0].powerdown, chan[1].powerdown, chan[2].powerdown, chan[3].powerdown}),
            (std::vector<int>{0, 1, 1, 1}));
  EXPECT_TRUE(holds(0, "1:freq_msb=-1 2:freq_msb=-1 3:freq_msb=-1"));
  EXPECT_EQ(fsamples(), (std::vector<double>{100.0, 0.0, 0.0, 0.0}));
}

// The hold halves the rate of the pairs it names unless its sync is off.
TEST(SampleRate, TransmitHoldHalvesUnlessItsSyncIsOff) {
  const struct {
    int hold, sync, ch;
    double fsample;
  } cases[] = {{1, -1, 0, 50.0}, {1, 6, 0, 100.0}, {1, 7, 0, 100.0}, {3, 5, 3, 25.0}};
  for (const auto& k : cases) {
    setup(1, 1);
    g.toutf_hold = k.hold;
    g.toutf_hold_sync = k.sync;
    run();
    EXPECT_DOUBLE_EQ(chan[k.ch].fsample, k.fsample) << k.hold << " " << k.sync;
  }
}

// No live transmit channel clears tout_nsig; a live one keeps it.
TEST(TransmitSignals, NoLiveTransmitChannelClearsTheCount) {
  const struct {
    int mode_ab, mode_cd;
    bool ab_powered_down;
    int nsig, expected;
  } cases[] = {{2, 2, false, 4, 0}, {1, 2, true, 2, 0}, {2, 1, false, 2, 2}};
  for (const auto& k : cases) {
    setup(k.mode_ab, k.mode_cd);
    if (k.ab_powered_down) g.pwr_dwn_cic_AB = 1;
    g.tout_nsig = k.nsig;
    run();
    EXPECT_EQ(g.tout_nsig, k.expected) << k.mode_ab << k.mode_cd;
  }
}
