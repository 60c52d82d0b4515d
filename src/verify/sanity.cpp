// sanity.cpp — cross-checks of the finished configuration, chip-wide and per
// live channel, and the transmit and receive gain analysis written to the
// analysis file. Reports only: nothing here changes a setting except the
// summed noise `n_chan` of an analysed transmit channel.
//
// Integer arithmetic on values that the control file can set is done with
// explicit 32-bit wrap, and a check whose divisor is zero is skipped, so that
// no input can make a check itself misbehave.
#include "verify/sanity.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <string>

#include "diag.h"
#include "numeric.h"
#include "records.h"

namespace {

const char* const kModule = "sanity";
// The line tags of the checks' messages are fixed output text, not source
// lines: they stay as they are whatever the code around them becomes.
constexpr int kLineToutRateSplitIq = 14;
constexpr int kLineRinRateSplitIq = 16;
constexpr int kLineClockDivideInterpolation = 25;
constexpr int kLineClockDivideDecimation = 31;
constexpr int kLineDoubleRateWithHold = 39;
constexpr int kLineIqMuxWithHold = 41;
constexpr int kLineDoubleRateOddCicDec = 47;
constexpr int kLineFirClkCntOverNcic = 50;
constexpr int kLineAgcTagGainRnd = 54;
constexpr int kLineAgcTagMixed = 59;
constexpr int kLineSumSelI23 = 75;
constexpr int kLineSumSelI67 = 76;
constexpr int kLineSumSelQ23 = 77;
constexpr int kLineSumSelQ67 = 78;
constexpr int kLineTinfTooSlow = 86;
constexpr int kLineTdmMatch01 = 91;   // and the two lines after it
constexpr int kLineTdmMatch02 = 97;   // and the two lines after it
constexpr int kLineTdmMatch03 = 103;  // and the two lines after it
constexpr int kLineRealInComplexOut = 110;
constexpr int kLineRealInComplexOutMore = 111;
constexpr int kLineComplexAtChipClock = 115;
constexpr int kLineGainOver128 = 118;
constexpr int kLineSplitIqRoutfCmplx = 170;
constexpr int kLineReceiveFrameFull = 179;
constexpr int kLineIqNeedsCicDec = 186;
constexpr int kLineAgcMaxOverflow = 197;
constexpr int kLineAgcMinUnderflow = 203;
constexpr int kLineBaseGainBelowAgcMin = 211;
constexpr int kLineBaseGainAboveAgcMax = 213;
constexpr int kLineGainComplexNonsymmetric = 220;
constexpr int kLineGainOverOne = 225;
constexpr int kLineGainSymmetric = 232;
constexpr int kLineFsoDlyZero = 292;
constexpr int kLineTimerSelfSync = 295;

// Truncating remainder; false when the divisor is zero (the check is then
// skipped). A divisor of -1 always leaves no remainder.
bool remainder_of(int a, int b, int* r) {
  if (b == 0) return false;
  *r = wrap_rem(a, b);
  return true;
}

// The ceiling of a / b; false for a zero divisor. Truncation already rounds
// a negative quotient up, so only a positive one with a remainder gains one.
bool quotient_rounded_up(int a, int b, int* q) {
  if (b == 0) return false;
  if (b == -1) {
    *q = wrap_sub(0, a);
    return true;
  }
  bool positive = (a < 0) == (b < 0);
  *q = a / b + (positive && a % b != 0 ? 1 : 0);
  return true;
}

// Arithmetic right shift with the count held to 0..31: a larger count gives
// what shifting one bit at a time would (0 or -1), a negative one no shift.
int shift_right(int v, int count) {
  if (count < 0) count = 0;
  if (count > 31) count = 31;
  return v >> count;
}

bool transmit_pair(int ch) { return pair_mode(ch) == kModeTransmit; }

bool double_rate() { return g.tout_rate == 2 || g.rin_rate == 2; }

// The chip gain word G; G / 4096 is the gain.
int gain_word(const CHAN& c) {
  uint32_t msb = static_cast<uint32_t>(c.gain_msb) << 16;
  return static_cast<int32_t>(msb + static_cast<uint32_t>(c.gain_lsb));
}

void error_at(int line, const char* text) { myerrfun(text, kModule, line); }
void warning_at(int line, const char* text) { mywarningfun(text, kModule, line); }

void chip_wide_checks() {
  bool split_off = g.splitiqAB == 0 || g.splitiqCD == 0;
  if (split_off && g.tout_rate == 2)
    error_at(kLineToutRateSplitIq, "If tout_rate is double then splitiq must be on");
  if (split_off && g.rin_rate == 2)
    error_at(kLineRinRateSplitIq, "If rin_rate is double then splitiq must be on");
}

// The frame strobe repeats only when the slow clock divides the channel's
// rate change evenly.
void clock_divide_check(int ch) {
  const CHAN& c = chan[ch];
  int r = 0;
  if (transmit_pair(ch)) {
    if (remainder_of(wrap_mul(c.cic_int, c.fir_int), wrap_add(c.sck_div, 1), &r) && r != 0)
      warning_at(kLineClockDivideInterpolation,
                 "Clock divide does not evenly divide into interpolation; frame strobe will "
                 "not be periodic.");
  } else {
    if (remainder_of(wrap_mul(c.cic_dec, c.fir_dec), wrap_add(c.sck_div, 1), &r) && r != 0)
      warning_at(kLineClockDivideDecimation,
                 "Clock divide does not evenly divide into decimation; frame strobe will not "
                 "be periodic.");
  }
}

void common_channel_checks(int ch) {
  const CHAN& c = chan[ch];
  clock_divide_check(ch);
  if (is_transmit(c) && g.toutf_hold_sync <= 5 && g.toutf_hold != 0) {
    if (g.tout_rate == 2)
      error_at(kLineDoubleRateWithHold,
               "Should never have both double rate and hold active.  Probably need to turn "
               "off toutf_hold\n");
    if (g.toutf_halfcmplx_AB != 0 || g.toutf_halfcmplx_CD != 0)
      error_at(kLineIqMuxWithHold,
               "Should never have both IQmux out and thold active.  Probably need to turn "
               "off toutf_hold\n");
  }
  if (g.rin_rate == 2 && (c.cic_dec & 1))
    error_at(kLineDoubleRateOddCicDec, "For double rate mode, cic must decimate by even number (at least 2)");
  if (c.ncic != 0 && c.ncic < c.fir_clk_cnt) error_at(kLineFirClkCntOverNcic, "fir_clk_cnt larger than ncic");
  if (c.agc_gain_out != 0) {
    if (c.gain_rnd <= 11)
      error_at(kLineAgcTagGainRnd, "gain_rnd must be at least 12 for embedded AGC tag to work");
    int rate_change = wrap_mul(c.fir_dec, c.cic_dec);
    if ((rate_change >= 1 && rate_change <= 4) || (rate_change >= 7 && rate_change <= 9))
      warning_at(kLineAgcTagMixed,
                 "embedded AGC tag (gain data out) format mixed; MSB's come out one cycle late");
  }
}

// The odd channel of a double-rate pair runs at twice the even channel's
// word, offset by the phase difference; a mismatch beyond rounding is shown.
void double_rate_frequency_check(int ch) {
  const CHAN& c = chan[ch];
  int f = wrap_add(chan[ch + 1].phase, wrap_mul(c.phase, -1));
  int j = wrap_add(c.freq_msb, -(wrap_mul(2, f) & 0xffff));
  if (j < -1 || j > 1) {
    mymsgfun("In double rate mode the tuning frequency = chan[i+1].phase - chan[i].phase");
    mymsgfun("and the frequency word in channels i and i+1 should be");
    mymsgfun(" = (2*tuning_frequency)& 0xffff");
  }
}

void sum_select_checks() {
  if ((g.sum_selI & 0x0c) == 0x0c) error_at(kLineSumSelI23, "sum_selI s2 and s3 must not both be 1");
  if ((g.sum_selI & 0xc0) == 0xc0) error_at(kLineSumSelI67, "sum_selI s6 and s7 must not both be 1");
  if ((g.sum_selQ & 0x0c) == 0x0c) error_at(kLineSumSelQ23, "sum_selQ s2 and s3 must not both be 1");
  if ((g.sum_selQ & 0xc0) == 0xc0) error_at(kLineSumSelQ67, "sum_selQ s6 and s7 must not both be 1");
}

// In TDM input the channels sharing channel A's input must be clocked and
// directed like it.
void tdm_match_checks(int other, int first_line, const char* pair) {
  const CHAN& a = chan[0];
  const CHAN& o = chan[other];
  if (a.tinf_xmt != o.tinf_xmt)
    myerrfun(strfmt("In tdm tinf_xmt must match channels %s", pair), kModule, first_line);
  if (a.sck_div != o.sck_div)
    myerrfun(strfmt("In tdm tinf_sck_div must match channels %s", pair), kModule, first_line + 1);
  if (a.sck_sync != o.sck_sync)
    myerrfun(strfmt("In tdm sck_sync must match channels %s", pair), kModule, first_line + 2);
}

void transmit_checks(int ch) {
  const CHAN& c = chan[ch];
  sum_select_checks();
  int tword = 0;
  if (quotient_rounded_up(c.bits, c.pins, &tword) && wrap_add(c.tinf_fs_cnt, 1) < tword)
    error_at(kLineTinfTooSlow, "Not enough time to get data in for channel");
  if (ch == 0 && c.tinf_src == 6) {
    tdm_match_checks(1, kLineTdmMatch01, "0,1");
    if (g.mode[1] == kModeTransmit && chan[2].powerdown == 0) tdm_match_checks(2, kLineTdmMatch02, "0,2");
    if (g.mode[1] == kModeTransmit && chan[3].powerdown == 0) tdm_match_checks(3, kLineTdmMatch03, "0,3");
  }
  if (c.tinf_cmplx == 0 && c.bypass_mix == 0 && !split_iq_on(ch)) {
    error_at(kLineRealInComplexOut, "Real data input to tinf and then to FIR but complex");
    error_at(kLineRealInComplexOutMore, "data expected out (to go to mix).");
  }
  if (c.ncic == 0 && c.tinf_cmplx == 1)
    error_at(kLineComplexAtChipClock, "FIR can't produce complex output at the chip clock rate\n");
  if (c.gain > 128.0) error_at(kLineGainOver128, "gain can not be larger than 128\n");
}

// The lowest AGC gain after four settling steps of the AGC loop.
int settled_agc_minimum(const CHAN& c) {
  int G = gain_word(c);
  int m = c.agc_min;
  for (int step = 0; step < 4; ++step) m = shift_right(wrap_add(wrap_add(m, G / 8), m), c.agc_Dsat);
  return m;
}

void gain_restriction_report(int line, const char* rule) {
  warning_at(line, "Gain settings violate gain restriction:");
  mywarningC(rule);
}

// A receive output frame that the divided clock fills completely.
void receive_frame_check(const CHAN& c) {
  if (g.routf_tdm == 0 && c.sck_div != 0) {
    bool full_frame_format = (c.routf_pins == 1 && c.routf_bits == 1) ||
                             (c.routf_pins == 2 && c.routf_bits == 2) ||
                             (c.routf_pins == 4 && c.routf_bits == 8);
    int frame = c.routf_iqmux != 0 ? wrap_add(wrap_mul(2, c.sck_div), 2) : wrap_add(c.sck_div, 1);
    if (full_frame_format && wrap_mul(c.cic_dec, c.fir_dec) == frame) {
      warning_at(kLineReceiveFrameFull,
                 "Receive output error. Output frame full with sck_div set to non-zero value.");
      mywarningC("   Possible problem syncing data with divided clock and frame strobe. Can fix\n");
      mywarningC("   by reducing sck_div or increasing decimation.\n");
    }
  }
}

// The AGC's limits against its base gain, when the AGC runs.
void agc_limit_checks(const CHAN& c) {
  if (c.agc_freeze == 0) {
    int G = gain_word(c);
    // The exponent is formed in double so that no stored value can overflow it.
    double headroom = std::floor(65536.0 / (std::pow(2.0, -static_cast<double>(c.agc_Dzro) - 2.0) + 1.0));
    if (c.agc_max > wrap_add(static_cast<int>(headroom), -(G >> 3)))
      warning_at(kLineAgcMaxOverflow, "agc_max too large to prevent overflow");
    if (settled_agc_minimum(c) > 65536)
      warning_at(kLineAgcMinUnderflow, "agc_min too small to prevent underflow");
    if (wrap_mul(8, c.agc_min) > G)
      warning_at(kLineBaseGainBelowAgcMin, "Base gain in AGC smaller than agc_min.");
    if (wrap_mul(8, c.agc_max) < G)
      warning_at(kLineBaseGainAboveAgcMax, "Base gain in AGC larger than agc_max.");
  }
}

// The gain before the filter must leave it headroom.
void gain_restriction_checks(const CHAN& c) {
  double P = c.g_zpad * c.g_cic * c.g_rshift * c.g_mix;
  if (g.rin_cmplx != 0 && c.fir_sym == 0 && P > 0.70711)
    gain_restriction_report(
        kLineGainComplexNonsymmetric,
        "zpad_gain x mix_gain x cic_gain x rshift_gain <= .70711 with complex in and nonsymmetric filter");
  if (P > 1.0) {
    gain_restriction_report(kLineGainOverOne, "    zpad_gain x mix_gain x cic_gain x rshift_gain <= 1");
    mywarningC("    This may be because cic_dec is too large. Decrease it or");
    mywarningC("    decrease input signal amplitude.");
  }
  if (c.fir_sym != 0 && P > 0.5)
    gain_restriction_report(kLineGainSymmetric,
                            "zpad_gain x mix_gain x cic_gain x rshift_gain <= .5 with symmetric filter\n");
}

void receive_checks(int ch) {
  const CHAN& c = chan[ch];
  if (split_iq_on(ch) && c.routf_iqmux != 0)
    warning_at(kLineSplitIqRoutfCmplx, "If splitiq is on in receive routf_cmplx should be 0");
  receive_frame_check(c);
  if (c.swap_cmplx == 1 && c.ncic <= 0)
    error_at(kLineIqNeedsCicDec, "For I/Q mode in channel, the cic must decimate by at least 2");
  agc_limit_checks(c);
  gain_restriction_checks(c);
}

bool same_transmit_gains(const CHAN& a, const CHAN& b) {
  return a.gain_msb == b.gain_msb && a.gain_lsb == b.gain_lsb && a.g_fir == b.g_fir && a.p_fir == b.p_fir &&
         a.sumtap == b.sumtap && a.fir_shift == b.fir_shift && a.g_cic == b.g_cic &&
         a.cic_shift == b.cic_shift && a.g_sum == b.g_sum;
}

bool same_receive_gains(const CHAN& a, const CHAN& b) {
  return a.gain_msb == b.gain_msb && a.gain_lsb == b.gain_lsb && a.g_fir == b.g_fir && a.g_mix == b.g_mix &&
         a.g_zpad == b.g_zpad && a.sumtap == b.sumtap && a.fir_shift == b.fir_shift && a.g_cic == b.g_cic &&
         a.cic_shift == b.cic_shift && a.g_sum == b.g_sum && a.agc_thresh == b.agc_thresh;
}

// Writes "Same as channel" and returns true when a lower channel has the
// same gains, so that its analysis stands for this one.
bool reported_as_same(int ch, bool (*same)(const CHAN&, const CHAN&)) {
  for (int k = 0; k < ch; ++k) {
    if (same(chan[ch], chan[k])) {
      write_analysis(strfmt("Same as channel %d\n", k));
      return true;
    }
  }
  return false;
}

// The noise figure in dBFS; a sum that is not positive has no logarithm and
// is shown as -inf (no noise).
double noise_dbfs(double n_chan) {
  if (!(n_chan > 0.0)) return -HUGE_VAL;
  return 10 * std::log10(n_chan) - 96;
}

// The noise each stage adds, scaled by the gain after it; a channel whose
// FIR or CIC rate change is 0 has no noise line and keeps its n_chan.
void transmit_noise(CHAN& c) {
  if (c.fir_int == 0 || c.cic_int == 0) return;
  double s = std::pow(2.0, static_cast<double>(g.sum_shift) - 7);
  double n_gain = c.g_fir * c.g_cic * c.g_mix * c.g_sum * s / c.fir_int / c.cic_int;
  double n_fir = c.g_cic * c.g_mix * c.g_sum * s / c.cic_int;
  double n_cic = c.g_mix * c.g_sum * s;
  double n_sum = c.g_sum * std::pow(2.0, static_cast<double>(g.sum_shift) - 11);
  c.n_chan = n_gain + n_fir + n_cic + n_sum;
  write_analysis(strfmt("Internal digital noise is %lf dBFS\n", noise_dbfs(c.n_chan)));
}

// The transmit chain's final gain: gain block, filter, CIC and sum tree.
double transmit_final_gain(const CHAN& c, double gain) { return gain * c.g_fir * c.g_cic * c.g_sum; }

struct ReceiveBlock {
  const char* label;
  double gain;
  double after;  // the cumulative gain after the block
};

// The receive blocks before the AGC in the order the signal passes them;
// the cumulative gains are multiplied in that order, on which their last
// digits depend.
std::array<ReceiveBlock, 5> receive_blocks(const CHAN& c) {
  std::array<ReceiveBlock, 5> blocks = {{{"Zero Pad", c.g_zpad, 0},
                                         {"Mixer", c.g_mix, 0},
                                         {"Rshift", c.g_rshift, 0},
                                         {"CIC", c.g_cic, 0},
                                         {"FIR", c.g_fir, 0}}};
  double total = blocks[0].gain;
  blocks[0].after = total;
  for (size_t i = 1; i < blocks.size(); ++i) blocks[i].after = total *= blocks[i].gain;
  return blocks;
}

void transmit_analysis(int ch) {
  if (reported_as_same(ch, same_transmit_gains)) return;
  CHAN& c = chan[ch];
  int G = gain_word(c);
  double gain = G / 4096.0;
  write_analysis(strfmt("Gain from gain block is %lf (G = %d)\n", gain, G));
  write_analysis(
      strfmt("Gain from filter is %lf (FIR_SUM = %d, fir_shift = %d)\n", c.g_fir, c.sumtap, c.fir_shift));
  write_analysis(strfmt("Gain from cic is %lf (cic_shift = %d)\n", c.g_cic, c.cic_shift));
  write_analysis(strfmt("DC gain through the gain block, FIR and CIC is %lf\n", gain * c.g_fir * c.g_cic));
  write_analysis(strfmt("Worst case peak gain through the channel is %lf\n", gain * c.p_fir * c.g_cic));
  write_analysis(strfmt("Gain from sum block is %lf\n", c.g_sum));
  write_analysis(strfmt("Final overall gain is %lf\n", transmit_final_gain(c, gain)));
  transmit_noise(c);
}

void receive_analysis(int ch) {
  if (reported_as_same(ch, same_receive_gains)) return;
  const CHAN& c = chan[ch];
  double gain = gain_word(c) / 4096.0;
  write_analysis("Gain Analysis:\n");
  write_analysis(strfmt("overall_gain=%2.6f (target)\n", c.overall_gain));
  write_analysis("BLOCK     GAIN IN BLOCK     CUMULATIVE GAIN AFTER BLOCK\n");
  std::array<ReceiveBlock, 5> blocks = receive_blocks(c);
  for (const ReceiveBlock& b : blocks)
    write_analysis(strfmt("%-10s%2.6f             %2.6f\n", b.label, b.gain, b.after));
  double total = blocks.back().after * gain;
  write_analysis(strfmt("AGC       %2.6f             %2.6f = final actual overall gain\n", gain, total));
  if (c.agc_freeze == 0) {
    write_analysis("AGC settings:\n");
    write_analysis(strfmt("   step size D = %d\n", c.agcD));
    write_analysis(strfmt("   time constant TC = %2.6f\n", c.agcTC));
    write_analysis(strfmt("   agc_thresh = %d\n", c.agc_thresh));
  }
}

void check_channel(int ch) {
  common_channel_checks(ch);
  write_analysis(strfmt("\nDoing analysis for channel %d\n", ch));
  if (double_rate()) {
    // The odd channel's settings follow the even one's; it is not checked
    // on its own.
    if (ch % 2 == 1) return;
    double_rate_frequency_check(ch);
  }
  if (transmit_pair(ch)) {
    transmit_checks(ch);
    if (analysis_open()) transmit_analysis(ch);
  } else {
    receive_checks(ch);
    if (analysis_open()) receive_analysis(ch);
  }
  if (chan[ch].tinf_fso_dly == 0)
    warning_at(kLineFsoDlyZero, "tinf_fso_dly is set to 0, frame strobe will always be high");
}

}  // namespace

double final_overall_gain(int ch) {
  const CHAN& c = chan[ch];
  double gain = gain_word(c) / 4096.0;
  if (transmit_pair(ch)) return transmit_final_gain(c, gain);
  return receive_blocks(c).back().after * gain;
}

void sanity() {
  chip_wide_checks();
  for (int ch = 0; ch < kNumChannels; ++ch) {
    WorkingOnChannel working(ch);
    if (chan[ch].powerdown != 0) continue;
    check_channel(ch);
  }
  if (g.gen_timer_sync == 5)
    error_at(kLineTimerSelfSync, "Don't sync general timer with the general timer or funny things happen");
}
