// The configuration driver: the per-channel loop (pass-through filter, the
// fir_dec line on standard output, double rate, CIC count, sync defaults)
// and the chip-wide values it settles around the other passes.
#include <gtest/gtest.h>

#include <vector>

#include "config.h"
#include "records.h"
#include "test_util.h"

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

namespace {

// Four live receive channels with real data, a CIC of 4 and a 64-tap
// filter decimating by 4: every channel plans as SRR11N41.
void receive_setup() {
  init();
  declare_modes(2, 2);
  g.fck = 100.0;
  g.splitiq = 1;
  g.splitiqAB = g.splitiqCD = 1;
  for (CHAN& c : chan) {
    c.powerdown = 0;
    c.cic_dec = 4;
    c.fir_dec = 4;
    c.ncoefs = 64;
    c.coefsym = 0;
    for (int i = 0; i < 64; ++i) c.coefs[i] = i + 1;
    c.freq_msb = c.freq_mid = c.freq_lsb = 0;
    c.pins = 16;
    c.bits = 16;
  }
}

// Channels `first` and `first` + 1 transmit real data through a CIC of 4
// and a 40-tap filter interpolating by 2.
void make_transmit_pair(int first) {
  for (int k = first; k < first + 2; ++k) {
    CHAN& c = chan[k];
    c.cic_int = 4;
    c.fir_int = 2;
    c.tinf_cmplx = 0;
    c.ncoefs = 40;
  }
}

// Pair AB transmits; pair CD as `mode_cd`.
void transmit_ab_setup(int mode_cd) {
  receive_setup();
  declare_modes(1, mode_cd);
  make_transmit_pair(0);
  g.tout_nsig = 1;
}

// Runs config with the analysis file open; returns standard output.
std::string run(std::string* anl = nullptr) {
  open_test_output(kOutAnl);
  CaptureStdout();
  CaptureStderr();
  config();
  GetCapturedStderr();
  std::string out = GetCapturedStdout();
  if (anl) *anl = output_text(kOutAnl);
  return out;
}

}  // namespace

// 64 / 2 = 32 taps need rate 2; interpolating plans add an empty line.
TEST(Config, PrintsEachChannelsDecimation) {
  receive_setup();
  chan[2].fir_dec = 2;
  EXPECT_EQ(run(), "4\n4\n2\n4\n");
  EXPECT_EQ(chan[0].inrate, 1);
  EXPECT_EQ(chan[2].inrate, 2);
  EXPECT_TRUE(holds(0, "cic_2x=0 ncic=3"));
  transmit_ab_setup(2);
  EXPECT_EQ(run(), "1\n\n1\n\n4\n4\n");
}

// One tap per cell: the impulse sits alone in the first word.
TEST(Config, BypassedFirBecomesAPassThroughFilter) {
  receive_setup();
  chan[1].bypass_fir = 1;
  chan[1].coefsym = 2;
  chan[1].fir_sym = 2;
  EXPECT_EQ(run(), "4\n1\n4\n4\n");
  const CHAN& c = chan[1];
  EXPECT_TRUE(holds(1, "fir_dec=1 fir_int=1 fir_sym=0 coef_modc=0"));
  EXPECT_EQ(c.ncoefs, 16);
  EXPECT_EQ(c.coefsym, 0);
  EXPECT_EQ(std::vector<int>(c.coefs, c.coefs + 16),
            (std::vector<int>{0x7FFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(c.coefram[0], 0x7FFF);
  EXPECT_EQ(c.coefram[16], 0);
}

TEST(Config, DoubleRatePairsTheOddChannelsWords) {
  receive_setup();
  g.rin_rate = 2;
  g.splitiq = 0;
  chan[0].freq_msb = 0x8001;
  chan[0].freq_mid = 7;
  chan[0].freq_lsb = 9;
  chan[0].phase = 100;
  chan[2].freq_msb = 0x1235;
  chan[2].phase = 10;
  std::string anl;
  run(&anl);
  EXPECT_TRUE(contains(anl, "Warning(config L216): splitiq must be 1 in double rate mode. Forcing to 1\n"));
  EXPECT_TRUE(holds(0, "splitiq=1 splitiqAB=1 splitiqCD=1 1:freq_msb=0x8001 1:freq_mid=7 1:freq_lsb=9"));
  // Bit 15 set: 100 + (0x8001 - 65536) / 2 = 100 - 16383, modulo 65536.
  EXPECT_EQ(chan[1].phase, 100 - 16383 + 65536);
  // A non-negative word: half of 4661, plus the phase, rounded up.
  EXPECT_EQ(chan[3].phase, 2330 + 10 + 1);
  // cic_2x halves the CIC count: 4 / 2 - 1; even channels keep their phase.
  EXPECT_TRUE(holds(0, "cic_2x=1 ncic=1 phase=100"));
}

// 3 / 2 - 1 for the odd count; the receive pair of a double-rate transmit
// run stays at full rate.
TEST(Config, DoubleRateNeedsAnEvenCicCount) {
  receive_setup();
  g.rin_rate = 2;
  chan[2].cic_dec = 3;
  std::string anl;
  run(&anl);
  EXPECT_EQ(anl, "Error(config L244): cic_dec must be even for double rate\n");
  EXPECT_EQ(chan[2].ncic, 0);
  transmit_ab_setup(2);
  g.tout_rate = 2;
  chan[0].cic_int = 5;
  run(&anl);
  EXPECT_TRUE(contains(anl, "Error(config L243): cic_int must be even for double rate\n"));
  EXPECT_EQ(chan[2].cic_2x, 0);
}

TEST(Config, UserCicDoublingWins) {
  receive_setup();
  chan[3].cic_2x = 1;
  chan[3].cic_dec = 8;
  run();
  EXPECT_TRUE(holds(3, "cic_2x=1 ncic=3"));
}

TEST(Config, SyncDefaultsFollowTheSyncMode) {
  receive_setup();
  g.sync_mode = 1;
  chan[1].pwr_mtr_on = 1;
  chan[1].sck_div = 2;
  chan[1].agc_freeze = 0;
  chan[2].nco_sync = 5;
  g.gen_timer = 100;
  run();
  for (int k = 0; k < 4; ++k) EXPECT_TRUE(holds(k, "fir_sync=3 dith_sync=3 cic_sync=3")) << k;
  // gen_timer given, no zero padding.
  EXPECT_TRUE(holds(0, "2:nco_sync=5 pwr_mtr_sync=7 1:pwr_mtr_sync=3 sck_sync=7 1:sck_sync=3 gain_sync=7 "
                       "1:gain_sync=0 gen_timer_sync=3 rinf_zpad_sync=7 soB_sync=4 one_shot=1"));
}

TEST(Config, SyncOutAndOneShotByMode) {
  const struct {
    int mode, sync, soB, one_shot;
  } cases[] = {{0, 2, 4, 1}, {2, 2, 2, 1}, {3, 3, 3, 1}, {4, 2, 4, 3},
               {6, 3, 4, 3}, {7, 3, 4, 1}, {8, 4, 4, 3}, {9, 4, 4, 1}};
  for (const auto& k : cases) {
    receive_setup();
    g.sync_mode = k.mode;
    run();
    EXPECT_EQ(chan[3].fir_sync, k.sync) << k.mode;
    EXPECT_EQ(g.soB_sync, k.soB) << k.mode;
    EXPECT_EQ(g.one_shot, k.one_shot) << k.mode;
  }
}

TEST(Config, UnknownSyncModeIsReportedPerChannel) {
  receive_setup();
  g.sync_mode = 10;
  std::string anl;
  run(&anl);
  const std::string line = "Error(config L361): sync_mode unknown! Must be from 0 - 9.\n";
  EXPECT_EQ(anl, line + line + line + line);
  EXPECT_TRUE(holds(0, "fir_sync=-1 soB_sync=4 one_shot=1"));
}

// A powered-down receiver does not count as live either.
TEST(Config, NoLiveReceiverTurnsZeroPaddingOff) {
  transmit_ab_setup(1);
  make_transmit_pair(2);
  g.rinf_zpad = 3;
  g.rinf_zpad_sync = 2;
  run();
  EXPECT_TRUE(holds(0, "rinf_zpad=0 rinf_zpad_sync=7"));
  transmit_ab_setup(2);
  chan[2].powerdown = chan[3].powerdown = 1;
  g.rinf_zpad = 3;
  run();
  EXPECT_EQ(g.rinf_zpad, 0);
}

// Split-I/Q makes A and B one signal; so does a powered-down B.
TEST(Config, ChannelsIntoTheSumTree) {
  const struct {
    int splitiq;
    bool b_down;
    int chanin;
  } cases[] = {{0, false, 2}, {1, false, 1}, {0, true, 1}};
  for (const auto& k : cases) {
    transmit_ab_setup(2);
    g.splitiqAB = k.splitiq;
    chan[1].powerdown = k.b_down ? 1 : 0;
    run();
    EXPECT_EQ(g.chanin, k.chanin) << k.splitiq << k.b_down;
  }
}

TEST(Config, PoweredDownIncompleteChannelDoesNotStopTheOthers) {
  receive_setup();
  CHAN& d = chan[3];
  d.powerdown = 1;
  d.ncoefs = -1;
  d.fir_dec = -1;
  d.cic_dec = -1;
  std::string anl;
  EXPECT_EQ(run(&anl), "4\n4\n4\n-1\n");
  EXPECT_FALSE(contains(anl, "Error"));
  EXPECT_FALSE(contains(anl, "firconfig"));
  EXPECT_EQ(exit_status, 0);
  EXPECT_EQ(d.inrate, -1);
  EXPECT_EQ(chan[2].inrate, 1);
  EXPECT_EQ(chan[2].coefram[0], 4);
}
