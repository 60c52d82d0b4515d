// config.cpp — the per-channel configuration loop and the chip-wide passes
// after it. Per channel: the pass-through filter of a bypassed PFIR, the
// double-rate pairing, the CIC count, the PFIR plan and the sync selects;
// then the CIC/mixer, sum-tree, interface and gain passes in their fixed
// order, and the chip-wide sync-out and one-shot defaults.
#include "config/config.h"

#include <string>

#include "config/cicmix.h"
#include "config/gain.h"
#include "config/interfaces.h"
#include "config/reporttag.h"
#include "config/sumtree.h"
#include "diag.h"
#include "numeric.h"
#include "pfir/firconfig.h"
#include "records.h"
#include "vartable/strtab.h"

namespace {

// Line tags of this file's reports, beside the stage's module tag kConfigTag:
// fixed output text, not source lines.
constexpr int kLineForcedSplitIq = 216;
constexpr int kLineUndefinedCount = 242;
constexpr int kLineCicIntOdd = 243;
constexpr int kLineCicDecOdd = 244;
constexpr int kLineCicDecZero = 245;
constexpr int kLineCicIntZero = 246;
constexpr int kLineUnknownSyncMode = 361;

// A 16-tap filter that passes its input unchanged, for a bypassed PFIR.
void set_pass_through(CHAN& c) {
  c.fir_dec = 1;
  c.fir_int = 1;
  c.ncoefs = 16;
  c.coefsym = 0;
  c.fir_sym = 0;
  c.coefs[0] = 0x7FFF;
  for (int k = 1; k < 16; ++k) c.coefs[k] = 0;
}

// The odd channel of a double-rate pair runs at the even channel's
// frequency, its phase advanced by half a frequency step (rounded up for a
// non-negative word).
void pair_double_rate_words(int i) {
  CHAN& c = chan[i];
  const CHAN& even = chan[i - 1];
  c.freq_msb = even.freq_msb;
  c.freq_mid = even.freq_mid;
  c.freq_lsb = even.freq_lsb;
  long long im = c.freq_msb;
  long long phase;
  if (im & 0x8000)
    phase = even.phase + (im - 65536) / 2;
  else
    phase = im / 2 + even.phase + (im & 1);
  c.phase = static_cast<int>(phase & 0xFFFF);
}

void set_cic_count(CHAN& c, int mode) {
  int nc = wrap_mul(c.cic_int, c.cic_dec);
  if (c.cic_2x + 1 == 0) {
    myerrfun("cic_2x of -1 leaves the CIC count undefined; ncic not computed", kConfigTag,
             kLineUndefinedCount);
    return;
  }
  c.ncic = wrap_sub(wrap_div(nc, c.cic_2x + 1), 1);
  // A zero count leaves ncic at -1, which reads as "not set" and packs as 0:
  // the chip would run its CIC by 1 without a word to the user.
  if (nc == 0 && c.powerdown == 0) {
    if (c.cic_dec == 0) myerrfun("cic_dec must not be 0", kConfigTag, kLineCicDecZero);
    if (c.cic_int == 0) myerrfun("cic_int must not be 0", kConfigTag, kLineCicIntZero);
  }
  if (c.cic_2x == 1 && nc % 2 != 0) {
    if (mode == kModeTransmit)
      myerrfun("cic_int must be even for double rate", kConfigTag, kLineCicIntOdd);
    else
      myerrfun("cic_dec must be even for double rate", kConfigTag, kLineCicDecOdd);
  }
}

// The sync code of g.sync_mode: 2, 3 or 4; 0 for an unknown mode.
int sync_code(int sync_mode) {
  switch (sync_mode) {
    case 0: case 2: case 4: case 5: return 2;
    case 1: case 3: case 6: case 7: return 3;
    case 8: case 9: return 4;
    default: return 0;
  }
}

void set_sync_defaults(CHAN& c) {
  int s = sync_code(g.sync_mode);
  if (s == 0) {
    myerrfun("sync_mode unknown! Must be from 0 - 9.", kConfigTag, kLineUnknownSyncMode);
    return;
  }
  setparam(&c.fir_sync, s);
  setparam(&c.dith_sync, s);
  setparam(&c.nco_sync, s);
  setparam(&c.cic_sync, s);
  setparam(&c.pwr_mtr_sync, c.pwr_mtr_on != 0 ? s : 7);
  setparam(&c.sck_sync, c.sck_div != 0 ? s : 7);
  setparam(&c.gain_sync, c.agc_freeze != 0 ? 7 : 0);
  setparam(&g.gen_timer_sync, g.gen_timer != 0 ? s : 7);
  setparam(&g.rinf_zpad_sync, g.rinf_zpad != 0 ? s : 7);
  setparam(&g.toutf_hold_sync, g.toutf_hold != 0 ? s : 7);
}

// Returns true when the channel is a live receiver.
bool configure_channel(int i) {
  WorkingOnChannel working(i);
  CHAN& c = chan[i];
  int mode = pair_mode(i);
  if (c.bypass_fir == 1) set_pass_through(c);
  plan_note(std::to_string(c.fir_dec));
  bool transmit_double = mode == kModeTransmit && g.tout_rate == 2;
  int double_rate = transmit_double || (mode == kModeReceive && g.rin_rate == 2) ? 1 : 0;
  setparam(&c.cic_2x, double_rate);
  if (double_rate && g.splitiq != 1) {
    mywarningfun("splitiq must be 1 in double rate mode. Forcing to 1", kConfigTag,
                 kLineForcedSplitIq);
    g.splitiq = g.splitiqAB = g.splitiqCD = 1;
  }
  if (double_rate && i % 2 == 1) pair_double_rate_words(i);
  set_cic_count(c, mode);
  fir_config(&c, i);
  set_sync_defaults(c);
  return mode == kModeReceive && c.powerdown == 0;
}

int live_transmit_channels() {
  int n = 0;
  for (const CHAN& c : chan)
    if (is_transmit(c) && c.powerdown == 0) ++n;
  return n;
}

}  // namespace

void config() {
  bool anyrcv = false;
  for (int i = 0; i < kNumChannels; ++i)
    if (configure_channel(i)) anyrcv = true;
  if (!anyrcv) {
    g.rinf_zpad = 0;
    g.rinf_zpad_sync = 7;
  }
  cic_mix_config();
  int nchanin = live_transmit_channels();
  if (g.splitiqAB != 0) nchanin /= 2;
  g.chanin = nchanin;
  sumtree_config();
  misc_config();
  gain_config();
  setparam(&g.soB_sync, g.sync_mode == 2 ? 2 : g.sync_mode == 3 ? 3 : 4);
  setparam(&g.one_shot, g.sync_mode == 4 || g.sync_mode == 6 || g.sync_mode == 8 ? 3 : 1);
}
