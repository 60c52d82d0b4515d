// cicmix.cpp — CIC stages and shifts, the receive gain factors and the NCO
// mixer's data selects and inversions. Reads the rates that config and
// fir_config settled; writes through setparam so that the control file
// always wins, except the gain factors and the split-I/Q stage count.
#include "config/cicmix.h"

#include <cmath>

#include "config/reporttag.h"
#include "diag.h"
#include "numeric.h"
#include "records.h"
#include "vartable/strtab.h"

namespace {

// Line tags of this file's reports, beside the stage's module tag kConfigTag:
// fixed output text, not source lines.
constexpr int kLineInterpolationTooLarge = 657;
constexpr int kLineDecimationTooLarge = 665;
constexpr int kLineReceiveShiftBelow = 706;
constexpr int kLineReceiveShiftAbove = 712;

// Stands for a shift that no int can hold (a logarithm of zero or of a
// negative count): far enough beyond 0..39 that the symmetry step cannot
// bring it back into range.
constexpr int kFarShift = 1 << 20;

bool live_receiver(const CHAN& c) { return c.powerdown == 0 && is_receive(c); }

// Receive CIC shift before the symmetry step and the clamp. Evaluated in
// exactly this order: results at exact powers of two depend on it (nc 32
// gives 14.999999999999996, so 14).
int receive_shift(int nc, int rshift, double gmix, double gzpad) {
  double a, b;
  if (g.rinf_zpad > nc) {
    a = 4 * std::log(nc);
    b = std::log(gmix);
  } else {
    a = 5 * std::log(nc);
    b = std::log(gmix * gzpad);
  }
  double raw = std::floor(wrap_sub(40, rshift) - (a + b) / std::log(2.0));
  return clamp_to_int(raw, -kFarShift, kFarShift, kFarShift);
}

void receive_cic(int ch, int nc) {
  CHAN& c = chan[ch];
  if (nc > 256) myerrfun("CIC decimation amount is too large", kConfigTag, kLineDecimationTooLarge);
  c.g_zpad = ieee_div(1.0, g.rinf_zpad + 1.0);
  c.g_mix = 0.5;
  int rshift = c.cic_rshift == -1 ? 1 : c.cic_rshift;
  int shift = receive_shift(nc, rshift, c.g_mix, c.g_zpad);
  if (c.coefsym != 0) --shift;
  if (c.cic_rshift == -1 && shift < 0) rshift = 0;
  shift = clamped_cic_shift(shift, c.cic_shift, kLineReceiveShiftBelow, kLineReceiveShiftAbove);
  // A bypassed CIC in split-I/Q still passes through the shifter.
  bool bypassed_split = c.bypass_cic != 0 && split_iq_on(ch);
  if (bypassed_split) shift = c.fir_sym == 0 ? 39 : 38;
  setparam(&c.cic_rshift, rshift);
  setparam(&c.cic_shift, shift);
  setparam(&c.cic_rcv, 1);
  setparam(&c.fir_rnd20, 1);
  c.g_rshift = std::pow(2.0, c.cic_rshift - 1.0);
  if (bypassed_split)
    c.g_cic = c.fir_sym == 0 ? 1.0 : 0.5;
  else  // always the gain of five stages
    c.g_cic = std::pow(static_cast<double>(nc), 5.0) * std::pow(2.0, c.cic_shift - 39.0);
}

void cic_settings(int ch) {
  WorkingOnChannel working(ch);
  CHAN& c = chan[ch];
  int mode = pair_mode(ch);
  int nc = wrap_mul(c.cic_int, c.cic_dec);
  int nstage = 5;
  if (mode == kModeTransmit && nc <= 294 && c.cic_xmt_5stg == -1) nstage = 6;
  setparam(&c.cic_xmt_5stg, (mode == kModeTransmit && nstage == 5) ? 1 : 0);
  setparam(&c.cic_xmt_d6stg, (mode == kModeTransmit && g.tout_rate == 2 && nstage == 6) ? 1 : 0);
  if (mode == kModeTransmit) {
    if (nc > 1217)
      myerrfun("CIC interpolation amount is too large", kConfigTag, kLineInterpolationTooLarge);
    setparam(&c.cic_rcv, 2);
  }
  if (mode == kModeReceive) receive_cic(ch, nc);
  setparam(&c.cic_rcv_full, (mode == kModeReceive && c.fir_sym == 0) ? 1 : 0);
  bool cross = g.rin_rate == 2 || (ch == 1 && g.splitiqAB != 0) || (ch == 3 && g.splitiqCD != 0);
  setparam(&c.cic_rcv_cross, (mode == kModeReceive && cross) ? 1 : 0);
  setparam(&c.cic_bypass, (mode == kModeTransmit && c.ncic == 0 && c.cic_2x == 0) ? 1 : 0);
  setparam(&c.swap_rcv_tdly, (mode == kModeReceive && c.ncic == 0) ? 1 : 0);
}

// Multiplier defaults of one channel: the four inversions and data selects.
struct MixerSelects {
  int inv_icos, inv_qsin, inv_qcos, inv_isin;
  int icos, qsin, qcos, isin;
};

void default_selects(CHAN& c, const MixerSelects& m) {
  setparam(&c.mix_inv_icos, m.inv_icos);
  setparam(&c.mix_inv_qsin, m.inv_qsin);
  setparam(&c.mix_inv_qcos, m.inv_qcos);
  setparam(&c.mix_inv_isin, m.inv_isin);
  setparam(&c.mix_icos, m.icos);
  setparam(&c.mix_qsin, m.qsin);
  setparam(&c.mix_qcos, m.qcos);
  setparam(&c.mix_isin, m.isin);
}

// In split-I/Q transmit the first channel of the pair drives both halves of
// the complex output; the second channel's multipliers stay silent.
const MixerSelects kSplitFirstComplex = {0, 1, 0, 0, 3, 2, 2, 3};
const MixerSelects kSplitFirstReal = {0, 1, 0, 0, 3, 2, 0, 0};
const MixerSelects kSplitSecond = {0, 0, 0, 0, 0, 0, 0, 0};

void split_transmit_mixers(int first) {
  for (int ch = first; ch <= first + 1; ++ch) {
    if (!is_transmit(chan[ch])) continue;
    if (ch != first)
      default_selects(chan[ch], kSplitSecond);
    else
      default_selects(chan[ch], g.tout_cmplx == 1 ? kSplitFirstComplex : kSplitFirstReal);
  }
}

void general_mixer(int ch) {
  CHAN& c = chan[ch];
  int mode = pair_mode(ch);
  if (mode == kModeReceive) {
    setparam(&c.mix_rcv_cmplx, (g.rin_rate > 0 && g.rin_cmplx == 1) ? 1 : 0);
    int quiet_isin = c.bypass_mix;
    int quiet_q = wrap_sub(1, g.rin_cmplx) | c.bypass_mix;
    default_selects(c, {0, 1, 0, 0, 1, wrap_sub(1, quiet_q), wrap_sub(1, quiet_q),
                        wrap_sub(1, quiet_isin)});
  } else if (mode == kModeTransmit) {
    int quiet_isin = wrap_sub(1, g.tout_cmplx) | c.bypass_mix;
    int quiet_qcos = wrap_sub(1, g.tout_cmplx);
    int quiet_qsin = c.bypass_mix;
    int m1 = 3, m2 = 3;
    if (g.tout_rate > 1) {  // double rate: the odd channel carries the other half
      m1 = ch % 2 == 0 ? 3 : 2;
      m2 = ch % 2 == 0 ? 2 : 3;
    }
    setparam(&c.mix_rcv_cmplx, 0);
    default_selects(c, {0, wrap_sub(1, quiet_qsin), 0, 0, m1, wrap_mul(wrap_sub(1, quiet_qsin), m2),
                        wrap_mul(wrap_sub(1, quiet_qcos), m2), wrap_mul(wrap_sub(1, quiet_isin), m1)});
  }
}

}  // namespace

int clamped_cic_shift(int shift, int user_shift, int line_below, int line_above) {
  if (user_shift != -1) return shift;
  if (shift < 0) {
    mywarningfun("CIC shift was calculated to be negative; setting to 0 as MIN value", kConfigTag,
                 line_below);
    return 0;
  }
  if (shift > 39) {
    mywarningfun("CIC shift was calculated to be over 39; setting to 39 as MAX value", kConfigTag,
                 line_above);
    return 39;
  }
  return shift;
}

void cic_mix_config() {
  if (g.splitiqAB != 0) chan[1].ncic = chan[0].ncic;
  if (g.splitiqCD != 0) chan[3].ncic = chan[2].ncic;
  for (int ch = 0; ch < kNumChannels; ++ch) cic_settings(ch);

  bool transceive = (live_receiver(chan[2]) || live_receiver(chan[3])) && is_transmit(chan[0]) &&
                    is_transmit(chan[1]);
  if (g.splitiqAB != 0 && transceive) {
    setparam(&chan[0].mix_qsin, 2);
    setparam(&chan[1].mix_qsin, 0);
    setparam(&chan[1].mix_icos, 0);
  }
  if (g.splitiqAB != 0) split_transmit_mixers(0);
  if (g.splitiqCD != 0) split_transmit_mixers(2);
  for (int ch = 0; ch < kNumChannels; ++ch) general_mixer(ch);
}
