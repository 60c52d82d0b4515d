// Defaults by direction and the mandatory check.
#include <gtest/gtest.h>

#include "defaults.h"
#include "driver.h"
#include "records.h"
#include "test_util.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

TEST(Defaults, FollowEachChannelsDirection) {
  init();
  declare_modes(2, 1);  // AB receive, CD transmit
  // fir_dec: Mandatory in receive, NotUsed in transmit (default 1).
  EXPECT_EQ(chan[0].fir_dec, -1);
  EXPECT_EQ(chan[2].fir_dec, 1);
  // agc_zmag: Default in receive (15), NotUsed in transmit (15 as well).
  EXPECT_EQ(chan[1].agc_zmag, 15);
  EXPECT_EQ(chan[3].agc_zmag, 15);
  // Chip-wide variables follow channel A: rin_rate is Default in receive.
  EXPECT_EQ(g.rin_rate, 1);
  EXPECT_EQ(g.tout_nsig, 4);  // NotUsed in receive: channel A decides
  EXPECT_EQ(g.fck, -1.0);
  // Compute and Expert variables are left unset.
  EXPECT_EQ(chan[0].gain_lsb, -1);
  EXPECT_EQ(chan[0].cic_rcv, -1);
}

TEST(Defaults, RepeatedModeRestoresDefaultsOverUserValues) {
  init();
  declare_modes(2, 2);
  chan[1].agc_zmag = 3;
  chan[1].freq = 12.5;  // Compute: survives
  declare_modes(2, 2);
  EXPECT_EQ(chan[1].agc_zmag, 15);
  EXPECT_EQ(chan[1].freq, 12.5);
}

TEST(Defaults, UndeclaredPairGetsNoDefaults) {
  init();
  g.mode[0] = 2;
  chan[0].xmt = chan[1].xmt = 0;
  setdefaults();
  EXPECT_EQ(chan[0].agc_zmag, 15);
  EXPECT_EQ(chan[2].agc_zmag, -1);
  EXPECT_EQ(chan[3].tinf_fs_dly, -1);
}

namespace {
// A receive/receive set-up with everything mandatory given.
void complete_receive_setup() {
  init();
  declare_modes(2, 2);
  g.fck = 100.0;
  for (CHAN& c : chan) {
    c.powerdown = 0;
    c.fir_dec = 2;
    c.mix_rcv_sel = 0;
    c.pins = 16;
    c.bits = 16;
    c.ncoefs = 3;
  }
}
}  // namespace

TEST(MandatoryCheck, CompleteSetupPasses) {
  complete_receive_setup();
  CaptureStderr();
  ck_mandatory();
  EXPECT_EQ(GetCapturedStderr(), "");
  EXPECT_EQ(missing_mandatory, 0);
}

TEST(MandatoryCheck, ListsEveryMissingItemThenEndsWithStatus1) {
  EXPECT_EXIT(
      as_whole_run([] {
        complete_receive_setup();
        g.fck = -1.0;
        chan[1].fir_dec = -1;
        chan[3].fir_dec = -1;
        chan[2].ncoefs = -1;
        ck_mandatory();
      }),
      testing::ExitedWithCode(1),
      // fck (bucket 178) comes before fir_dec in table order.
      "^Error: Must set fck\nError: Must set fir_dec\nError: Must set fir_dec\n"
      "Error: Must declare coefficients for channel 2\n$");
}

TEST(MandatoryCheck, PoweredDownChannelsAreExempt) {
  complete_receive_setup();
  g.fck = -1.0;
  chan[0].powerdown = 1;  // fck follows channel A
  chan[3].powerdown = 1;
  chan[3].fir_dec = -1;
  chan[3].ncoefs = -1;
  CaptureStderr();
  ck_mandatory();
  EXPECT_EQ(GetCapturedStderr(), "");
}

TEST(MandatoryCheck, UndeclaredPairNeedsBothChannelsPoweredDown) {
  complete_receive_setup();
  g.mode[1] = -1;
  chan[2].powerdown = 1;
  chan[3].powerdown = 1;
  CaptureStderr();
  ck_mandatory();
  EXPECT_EQ(GetCapturedStderr(), "");
  EXPECT_EXIT(
      as_whole_run([] {
        complete_receive_setup();
        g.mode[1] = -1;
        chan[2].powerdown = 1;
        ck_mandatory();
      }),
      testing::ExitedWithCode(1), "^Error: Must declare mode for CD or powerdown both C & D\n$");
}
