// gain.cpp — distribution of each live channel's gain over the gain block,
// the FIR shift, the CIC shift and the sum-tree shift; the gain-block word,
// the power-meter and AGC settings; and the chip's power estimate.
// Shifts and gain words computed through logarithms are held to their
// fields: a logarithm of zero or of a negative quantity never reaches an
// int conversion.
#include "config/gain.h"

#include <climits>
#include <cmath>
#include <cstdint>

#include "config/cicmix.h"
#include "config/reporttag.h"
#include "diag.h"
#include "numeric.h"
#include "records.h"
#include "vartable/strtab.h"

namespace {

// Line tags of this file's reports, beside the stage's module tag kConfigTag:
// fixed output text, not source lines.
constexpr int kLineGainAndLsb = 1738;
constexpr int kLineGainAndMsb = 1750;
constexpr int kLineMsbWithoutLsb = 1754;
constexpr int kLineTransmitOverallGain = 1770;
constexpr int kLineTransmitPowerMeter = 1782;
constexpr int kLineTransmitShiftBelow = 1836;
constexpr int kLineTransmitShiftAbove = 1841;
constexpr int kLineGainRange = 1929;
constexpr int kLineSymmetricGainRange = 1931;
constexpr int kLineGainConstraint = 1945;
constexpr int kLineReceiveMsbWithoutLsb = 1962;
constexpr int kLineReceiveGainAndLsb = 1973;
constexpr int kLineReceiveGainRange = 1976;
constexpr int kLineReceiveOverallGain = 1988;
constexpr int kLineAgcFrozen = 2012;
constexpr int kLineAgcTc = 2052;
constexpr int kLineAgcCf = 2058;
constexpr int kLineAgcMode = 2064;
constexpr int kLineAgcThresh = 2117;

constexpr int kMaxGainWord = 0x7FFFF;  // 19 bits: gain_msb (3) and gain_lsb (16)

// A double is taken as set when it is above -0.5.
bool is_set(double v) { return v > -0.5; }

double log2_of(double x) { return std::log(x) / std::log(2.0); }

// A value for the 19-bit gain word from its double (already floored or
// truncated), held to the field's range.
int clamped_gain_word(double v) { return clamp_to_int(v, 0, kMaxGainWord, kMaxGainWord); }

// A working gain value from its double (already floored): exact whenever an
// int holds it, so that the shifts and the gain follow it; NaN counts as
// above the range.
int working_gain(double v) { return clamp_to_int(v, INT_MIN, INT_MAX, INT_MAX); }

// A 0..7 shift from its double value; NaN counts as above the range.
int shift_0_to_7(double v) { return clamp_to_int(v, 0, 7, 7); }

void overall_gain_warning(CHAN& c, int line) {
  if (is_set(c.overall_gain) && c.gain_lsb != -1) {
    mywarningfun(
        "Gain block gain has been set with gain_lsb or gain, but overall_gain is also set.",
        kConfigTag, line);
    mywarningC("    (gain block gain being set limits ability to get exactly overall_gain)\n");
  }
}

// --- Transmit ---------------------------------------------------------------

double gain_of_words(int msb, int lsb) { return wrap_add(wrap_mul(65536, msb), lsb) / 4096.0; }

void transmit_gain_word(CHAN& c) {
  if (c.gain_lsb != -1) {
    if (is_set(c.gain))
      mywarningfun(
          "Both gain and gain_lsb are set; using gain_msb and gain_lsb values for gain block.",
          kConfigTag, kLineGainAndLsb);
    setparam(&c.gain_msb, 0);
    c.gain = gain_of_words(c.gain_msb, c.gain_lsb);
  } else if (c.gain_msb != -1) {
    if (is_set(c.gain))
      mywarningfun(
          "Both gain and gain_msb are set; using gain_msb and gain_lsb values for gain block.",
          kConfigTag, kLineGainAndMsb);
    if (c.gain_lsb == -1)
      mywarningfun("gain_msb is set, but gain_lsb is not.", kConfigTag, kLineMsbWithoutLsb);
    c.gain = gain_of_words(c.gain_msb, c.gain_lsb);
  } else if (is_set(c.gain)) {
    int gainTmp = clamped_gain_word(std::floor(c.gain * 4096.0));
    setparam(&c.gain_msb, gainTmp >> 16);
    setparam(&c.gain_lsb, gainTmp & 0xFFFF);
  }
}

// Largest sum of coefficient magnitudes over the interpolation phases, in
// 32-bit arithmetic as the chip's accumulator would wrap.
int max_phase_magnitude(const CHAN& c) {
  int ncoefs = c.ncoefs < kMaxCoefs ? c.ncoefs : kMaxCoefs;
  int largest = 0;
  for (int j = 0; j < c.fir_int; ++j) {
    uint32_t sum = 0;
    for (int i = j; i < ncoefs; i += c.fir_int) {
      uint32_t v = static_cast<uint32_t>(c.coefs[i]);
      sum += c.coefs[i] < 0 ? 0u - v : v;
    }
    int phase_sum = static_cast<int>(sum);
    if (phase_sum > largest) largest = phase_sum;
  }
  return largest;
}

// Transmit CIC shift (before the user's cic_shift is consulted). A CIC gain
// of zero or below has no logarithm: it counts as above the range (+inf or
// NaN) and so gets the clamp to 39 with its warning.
int transmit_cic_shift(double cic_gain) {
  double raw = std::floor(41.0 - log2_of(cic_gain));
  if (!std::isfinite(raw)) return std::isnan(raw) || raw > 0 ? 40 : -1;
  return clamp_to_int(raw, INT_MIN, INT_MAX, INT_MAX);
}

// The sum shift and g_sum of the sum tree for a channel; the user's
// tout_nsig and tout_res pick the rule.
void sum_tree_shift(double sumshiftTmp, int& sumshift, double& g_sum) {
  if (g.tout_nsig == 4) {
    sumshift = 3;
    g_sum = 1.0;
  } else if (g.tout_nsig == 1 && g.tout_res == 1) {
    sumshift = shift_0_to_7(std::ceil(log2_of(sumshiftTmp)) + 6);
    g_sum = std::pow(2.0, sumshift - 6.0);
  } else {
    // Two outputs or normal resolution; any other output count (only
    // possible after the sum tree reported it) is treated as several outputs.
    sumshift = shift_0_to_7(std::ceil(log2_of(sumshiftTmp)) + 3);
    g_sum = std::pow(2.0, sumshift - 3.0);
  }
}

double max_transmit_overall_gain() {
  double largest = 0.0;
  for (int ch = 0; ch < kNumChannels; ++ch)
    if (pair_mode(ch) != kModeReceive && chan[ch].overall_gain > largest)
      largest = chan[ch].overall_gain;
  return largest;
}

// Brings the gain word into its optimal range by moving factors of two
// between it and the FIR shift.
void normalise_gain(int& G, int& firshift, bool symmetric) {
  int low = symmetric ? 1023 : 2047;
  int high = symmetric ? 2047 : 4096;
  while (G <= low && firshift > 0) {
    G = wrap_mul(G, 2);
    --firshift;
  }
  while (G > high && firshift <= 6) {
    G /= 2;
    ++firshift;
  }
}

// The gain word from the control file, the overall gain's default and the
// power meter, which measures only the input of a transmit channel.
void transmit_gain_defaults(CHAN& c) {
  transmit_gain_word(c);
  overall_gain_warning(c, kLineTransmitOverallGain);
  if (!is_set(c.overall_gain)) c.overall_gain = 1.0;
  if (c.pwr_mtr_on != 0)
    mywarningfun("Power meter being used in transmit mode; only measures power of input",
                 kConfigTag, kLineTransmitPowerMeter);
  setparam(&c.pwr_mtr_sync, 7);
  setparam(&c.pwr_mtr_integ, 0);
}

// The gain before the sum shift is known: the user's, or the one that brings
// the FIR's peak to full scale.
int first_transmit_gain(const CHAN& c, int max_pfir_mag_sum, int firshift) {
  if (c.gain_lsb != -1) return working_gain(std::floor(c.gain * 4096.0));
  double fir_peak_gain = max_pfir_mag_sum / std::pow(2.0, 21 - firshift);
  int G = working_gain(std::floor(ieee_div(4096.0, fir_peak_gain)));
  if (c.fir_sym != 0) G >>= 1;
  return G;
}

// The transmit CIC shift and the CIC gain g_cic.
void set_transmit_cic_shift(CHAN& c) {
  double cicshiftTmp = std::pow(static_cast<double>(c.cic_int), 5.0 - c.cic_xmt_5stg);
  bool no_cic = c.cic_int == 1 || c.cic_bypass != 0;
  int cicshift = no_cic ? 39 : transmit_cic_shift(cicshiftTmp);
  cicshift =
      clamped_cic_shift(cicshift, c.cic_shift, kLineTransmitShiftBelow, kLineTransmitShiftAbove);
  setparam(&c.cic_shift, cicshift);
  c.g_cic = no_cic ? 1.0 : cicshiftTmp * std::pow(2.0, cicshift - 41.0);
}

void warn_gain_range(const CHAN& c, int G) {
  if (c.fir_sym == 0 && (G > 4096 || G <= 2047))
    mywarningfun("Gain is not in optimal range (2048 < gain < 4096 is optimal).", kConfigTag,
                 kLineGainRange);
  if (c.fir_sym != 0 && (G > 2047 || G <= 1023))
    mywarningfun("Gain is not in optimal range (1024 < gain < 2047 is optimal due to symmetry).",
                 kConfigTag, kLineSymmetricGainRange);
}

// Stores the gain word, the gain and the FIR shift, then checks the gain
// constraint.
void store_transmit_gain(CHAN& c, int G, int firshift, int max_pfir_mag_sum) {
  // Only the word is held to its 19 bits; the gain keeps G, so that a gain
  // beyond the field is still seen by the constraint and the sanity checks.
  int word = clamped_gain_word(G);
  setparam(&c.gain_lsb, word & 0xFFFF);
  setparam(&c.gain_msb, word >> 16);
  c.gain = G / 4096.0;
  setparam(&c.fir_shift, firshift);
  c.g_fir = ieee_div(c.sumtap, c.fir_int * std::pow(2.0, 21 - firshift));
  c.p_fir = max_pfir_mag_sum / std::pow(2.0, 21 - firshift);

  if (c.gain * c.g_fir * c.g_cic > 1.0) {
    myerrfun("settings violate gain constraint:  gain * fir_gain * cic_gain must not be over 1.0",
             kConfigTag, kLineGainConstraint);
    myerrorC("   try decreasing gain or overall_gain\n");
  }
}

void transmit_channel(int ch) {
  CHAN& c = chan[ch];
  transmit_gain_defaults(c);
  int max_pfir_mag_sum = max_phase_magnitude(c);
  int firshift = shift_0_to_7(std::ceil(21.0 - log2_of(max_pfir_mag_sum)));
  int G = first_transmit_gain(c, max_pfir_mag_sum, firshift);
  c.g_fir = ieee_div(c.sumtap, c.fir_int * std::pow(2.0, 21 - firshift));
  set_transmit_cic_shift(c);

  double sumshiftTmp = ieee_div(max_transmit_overall_gain(), c.g_fir * c.g_cic * G / 4096.0);
  int sumshift = 0;
  sum_tree_shift(sumshiftTmp, sumshift, c.g_sum);
  setparam(&g.sum_shift, sumshift);

  if (c.gain_lsb == -1) {
    G = working_gain(std::floor(ieee_div(c.overall_gain * 4096.0, c.g_fir * c.g_cic * c.g_sum)));
    normalise_gain(G, firshift, c.fir_sym != 0);
  }
  warn_gain_range(c, G);
  store_transmit_gain(c, G, firshift, max_pfir_mag_sum);
}

// --- Receive ----------------------------------------------------------------

void default_receive_word(CHAN& c, int gaini) {
  setparam(&c.gain_lsb, gaini & 0xFFFF);
  setparam(&c.gain_msb, (gaini >> 16) & 7);
}

// A receive gain from the control file beyond the 19-bit gain word would
// reach the chip cut to its low bits (no later check looks at the receive
// gain), so the word is held to its range and the user told.
int fitted_receive_word(double word) {
  if (!(word >= 0.0 && word <= kMaxGainWord))
    myerrfun("gain must be at least 0 and below 128", kConfigTag, kLineReceiveGainRange);
  return clamped_gain_word(word);
}

void receive_gain_word(CHAN& c) {
  if (c.gain_msb != -1 && c.gain_lsb == -1) {
    mywarningfun("Set gain_msb without setting gain_lsb...ignoring gain_msb setting.", kConfigTag,
                 kLineReceiveMsbWithoutLsb);
    c.gain_msb = -1;
  }
  if (c.gain_lsb != -1) setparam(&c.gain_msb, 0);
  if (is_set(c.gain) && c.gain_lsb != -1) {
    mywarningfun("Both gain and gain_lsb are set...ignoring gain, using gain_lsb setting.",
                 kConfigTag, kLineReceiveGainAndLsb);
    c.gain = -1.0;
  }
  if (c.gain != -1.0)
    default_receive_word(c, fitted_receive_word(std::trunc(c.gain * 4096.0 + 0.5)));
}

// FIR shift of a receive channel. Without AGC the FIR's own gain must stay
// below 2.0, so the shift is lowered until it does.
int receive_fir_shift(CHAN& c) {
  double firshiftTmp = ieee_div(c.sumtap * c.g_cic * c.g_rshift * c.g_zpad, c.overall_gain);
  double raw = 21 - std::floor(log2_of(firshiftTmp));
  // A finite raw value lies within about ±1100; a non-finite one counts as
  // beyond the range and starts from its clamp.
  int firshift = std::isfinite(raw) ? static_cast<int>(raw) : shift_0_to_7(raw);
  auto fir_gain = [&c](int shift) { return c.sumtap * std::pow(2.0, shift - 21.0); };
  if (c.agc_freeze != 0 && fir_gain(firshift) >= 2.0) {
    mywarningfun(
        "agc_freeze is high, so assuming AGC is not used. Trying to set fir_shift so that gain",
        kConfigTag, kLineAgcFrozen);
    mywarningC(
        "    in FIR block does not exceed 2.0 (note that fir_shift can not go lower than 0).\n");
    while (fir_gain(firshift) >= 2.0) --firshift;
  }
  return shift_0_to_7(firshift);
}

// The AGC's targets that the control file left out, with their defaults.
void agc_target_defaults(CHAN& c) {
  if (c.agc_tc == -1) {
    mywarningfun("agc_freeze is 0 (i.e., agc is on), but agc_tc (target agc time constant in",
                 kConfigTag, kLineAgcTc);
    mywarningC("microseconds) not set. Defaulting to 1000 microseconds.\n");
    setparam(&c.agc_tc, 1000);
  }
  if (c.agc_cf == -1) {
    mywarningfun("agc_freeze is 0 (i.e., agc is on), but agc_cf (target agc crest factor in",
                 kConfigTag, kLineAgcCf);
    mywarningC("dB) not set. Defaulting to 10dB.\n");
    setparam(&c.agc_cf, 10);
  }
  if (c.agc_mode < 0 || c.agc_mode > 2) {
    mywarningfun("agc_freeze is 0 (i.e., agc is on), but agc_mode (0 for CDMA, 1 for narrowband",
                 kConfigTag, kLineAgcMode);
    mywarningC("and 2 for mixed signals) not set or set wrong. Defaulting to 2 (mixed).\n");
    c.agc_mode = 2;
  }
}

// The AGC step D from the time constant, and the four step fields. Returns D.
int set_agc_steps(CHAN& c) {
  // The time constant in output samples: microseconds times MHz.
  double TC_samples = ieee_div(c.agc_tc * g.fck, wrap_mul(c.cic_dec, c.fir_dec));
  // The AGC step is a 4-bit field; NaN and -inf give 0.
  int D = clamp_to_int(std::floor(log2_of(TC_samples) - 1.25), 0, 15, 0);
  setparam(&c.agc_Dblw, D);
  if (c.agc_mode == 2)
    setparam(&c.agc_Dabv, D <= 1 ? 0 : D - 2);
  else
    setparam(&c.agc_Dabv, D);
  setparam(&c.agc_Dzro, D <= 3 ? 0 : D - 4);
  setparam(&c.agc_Dsat, D <= 3 ? 0 : D - 4);
  return D;
}

// The AGC's gain limits around the gain word, and its magnitude threshold
// from the crest factor.
void set_agc_limits(CHAN& c) {
  int gaini = wrap_add(c.gain_lsb, wrap_mul(65536, c.gain_msb & 7));
  setparam(&c.agc_min, wrap_sub(gaini >> 3, 2));
  double zero_step = std::pow(2.0, -static_cast<double>(c.agc_Dzro) - 2.0);
  int agc_max = static_cast<int>(std::floor(65536.0 / (zero_step + 1.0)));
  setparam(&c.agc_max, wrap_sub(agc_max, gaini >> 3));

  double RMS = ieee_div(256.0, std::pow(10.0, static_cast<float>(c.agc_cf) / 20.0));
  double scaled = c.agc_mode == 0 ? RMS * 0.6745 : c.agc_mode == 1 ? RMS : RMS * 1.28;
  int agcThresh = clamp_to_int(std::floor(scaled), INT_MIN, INT_MAX, INT_MAX);
  if (agcThresh > 255 && c.agc_thresh == -1) {
    mywarningfun("agc_thresh calculated to be higher than 255. Setting to 255.", kConfigTag,
                 kLineAgcThresh);
    mywarningC("    check that agc_cf is not too low and that agc_mode is correct.");
    agcThresh = 255;
  }
  setparam(&c.agc_thresh, agcThresh);
}

void agc_settings(CHAN& c) {
  if (c.agc_freeze != 0) {
    for (int* field : {&c.agc_min, &c.agc_max, &c.agc_thresh, &c.agc_Dblw, &c.agc_Dabv, &c.agc_Dzro,
                       &c.agc_Dsat})
      setparam(field, 0);
    return;
  }
  agc_target_defaults(c);
  int D = set_agc_steps(c);
  set_agc_limits(c);
  c.agcD = D;
  c.agcTC = std::pow(2.0, D + 1.75);
}

void receive_channel(CHAN& c) {
  receive_gain_word(c);
  overall_gain_warning(c, kLineReceiveOverallGain);
  if (!is_set(c.overall_gain)) c.overall_gain = 2.0;

  int firshift = receive_fir_shift(c);
  setparam(&c.fir_shift, firshift);
  c.g_fir = c.sumtap * std::pow(2.0, firshift - 21.0);

  if (c.gain_lsb == -1) {
    double gain = ieee_div(c.overall_gain, c.g_fir * c.g_cic * c.g_rshift * c.g_mix * c.g_zpad);
    default_receive_word(c, clamped_gain_word(std::floor(gain * 4096.0 + 0.5)));
  }
  if (c.pwr_mtr_on != 0) {
    setparam(&c.pwr_mtr_sync, 0);
    setparam(&c.pwr_mtr_integ, 65534);
  } else {
    setparam(&c.pwr_mtr_sync, 7);
    setparam(&c.pwr_mtr_integ, 0);
  }
  agc_settings(c);
}

}  // namespace

void gain_config() {
  for (int ch = 0; ch < kNumChannels; ++ch) {
    WorkingOnChannel working(ch);
    if (pair_mode(ch) != kModeReceive && chan[ch].powerdown == 0) transmit_channel(ch);
  }
  for (int ch = 0; ch < kNumChannels; ++ch) {
    WorkingOnChannel working(ch);
    if (pair_mode(ch) == kModeReceive && chan[ch].powerdown == 0) receive_channel(chan[ch]);
  }
}

void calc_power() {
  double power = 0.0;
  if (g.master_reset == 0) {
    for (const CHAN& c : chan) {
      if (c.powerdown != 0) continue;
      double fir_duty = ieee_div(ieee_div(c.inrate, wrap_add(c.ncic, 1)), c.fir_int);
      power += 0.55 * fir_duty;
    }
    if (g.pwr_dwn_cic_AB == 0) power += 0.75;
    if (g.pwr_dwn_cic_CD == 0) power += 0.75;
    power = power * g.fck * 1.8;
  }
  write_analysis(strfmt("Estimate power is %5.0lfmW at %5.1lf MHz and 1.8V\n", power, g.fck));
}
