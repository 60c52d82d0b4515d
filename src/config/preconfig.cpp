// preconfig.cpp — power-down, split-I/Q, sample rates and NCO frequency words,
// settled before the mandatory check. Every later configuration pass starts
// from the `powerdown` flags, split-I/Q flags and frequency words set here.
#include "config/preconfig.h"

#include <cmath>

#include "config/reporttag.h"
#include "diag.h"
#include "numeric.h"
#include "records.h"
#include "vartable/strtab.h"

namespace {

// Line tags of this file's reports, beside the stage's module tag kConfigTag:
// fixed output text, not source lines.
constexpr int kLineNoFreq = 63;
constexpr int kLineFreqAndMsb = 65;
constexpr int kLineBypassFreqMsb = 77;
constexpr int kLineBypassFreq = 79;
constexpr int kLineNoCicDec = 93;
constexpr int kLineBypassCicDec = 99;
constexpr int kLineNoCicInt = 107;
constexpr int kLineBypassCicInt = 113;
constexpr int kLineSplitTransmitComplex = 130;
constexpr int kLineDoubleRateZpad = 150;
constexpr int kLineFreqWords = 160;

constexpr double kWord = 65536.0;  // weight of one 16-bit frequency word

void force_split_iq() {
  g.splitiq = 1;
  g.splitiqAB = 1;
  g.splitiqCD = 1;
}

// A hold or zero-pad count of -1 means the count was never given: there is
// no hold, and dividing by count + 1 would divide by zero.
double divided_by_count(double rate, int count) {
  if (count == -1) return rate;
  return rate / (count + 1);
}

void settle_powerdown() {
  const int fir_down[kNumChannels] = {g.pwr_dwn_fir_A, g.pwr_dwn_fir_B, g.pwr_dwn_fir_C,
                                      g.pwr_dwn_fir_D};
  for (int k = 0; k < kNumChannels; ++k) chan[k].powerdown = fir_down[k];
  if (g.pwr_dwn_cic_AB != 0) chan[0].powerdown = chan[1].powerdown = 1;
  if (g.pwr_dwn_cic_CD != 0) chan[2].powerdown = chan[3].powerdown = 1;
}

void check_mixer(CHAN& c) {
  if (c.bypass_mix == 0) {
    if (c.freq_msb == -1 && c.freq == -1.0)
      myerrfun("Need to set either freq or freq_msb", kConfigTag, kLineNoFreq);
    if (c.freq_msb != -1 && c.freq != -1.0)
      mywarningfun("both freq and freq_msb are set; using freq_msb setting.", kConfigTag,
                   kLineFreqAndMsb);
    return;
  }
  if (c.freq == -1.0) c.freq = 0.0;
  setparam(&c.freq_msb, 0);
  setparam(&c.freq_mid, 0);
  setparam(&c.freq_lsb, 0);
  setparam(&c.phase, 0);
  if (c.freq_msb != 0)
    mywarningfun("freq_msb should be 0 if bypassing mixer", kConfigTag, kLineBypassFreqMsb);
  if (c.freq != 0.0)
    mywarningfun("freq should be 0 if bypassing mixer", kConfigTag, kLineBypassFreq);
  setparam(&c.nco_sync, 7);
  setparam(&c.freq_sync, 7);
  setparam(&c.phase_sync, 7);
  setparam(&c.dith_sync, 7);
}

// A report and its fixed line.
struct Report {
  const char* text;
  int line;
};

// The CIC rate change of the channel's direction must be given unless the
// CIC is bypassed, and is 1 when it is.
void check_cic_rate(const CHAN& c, int* rate, Report unset, Report not_one) {
  if (c.bypass_cic == 0 && *rate == -1) myerrfun(unset.text, kConfigTag, unset.line);
  if (c.bypass_cic == 0) return;
  setparam(rate, 1);
  if (*rate != 1) mywarningfun(not_one.text, kConfigTag, not_one.line);
}

void check_cic(CHAN& c) {
  if (is_receive(c))
    check_cic_rate(c, &c.cic_dec, {"Need to set cic_dec", kLineNoCicDec},
                   {"cic_dec should be 1 if bypassing cic", kLineBypassCicDec});
  else
    check_cic_rate(c, &c.cic_int, {"Need to set cic_int", kLineNoCicInt},
                   {"cic_int should be 1 if bypassing cic", kLineBypassCicInt});
}

// The channel's sample rate; counts the live transmit channels on the way.
double sample_rate(CHAN& c, int ch, int* anyxmt) {
  double fsample = g.fck;
  if (is_transmit(c)) {
    ++*anyxmt;
    if (g.tout_rate == 2) force_split_iq();
    if (split_iq_on(ch) && c.tinf_cmplx == 1)
      myerrfun("If transmit and splitiq is on then tinf_cmplx must be 0", kConfigTag,
               kLineSplitTransmitComplex);
    if (g.toutf_hold_sync <= 5 && g.toutf_hold != 0)
      fsample = divided_by_count(fsample, g.toutf_hold);
  } else {
    if (g.rin_rate == 2) {
      force_split_iq();
      setparam(&chan[0].mix_rcv_sel, 0);
      setparam(&chan[1].mix_rcv_sel, g.rin_cmplx + 1);
      setparam(&chan[2].mix_rcv_sel, 0);
      setparam(&chan[3].mix_rcv_sel, g.rin_cmplx + 1);
    }
    if (g.rinf_zpad != 0) {
      fsample = divided_by_count(fsample, g.rinf_zpad);
      if (g.rin_rate == 2)
        myerrfun(
            "Should never have both double rate and zpad active.  Probably need to change "
            "rinf_zpad to 0\n",
            kConfigTag, kLineDoubleRateZpad);
    }
  }
  if ((is_transmit(c) && g.tout_rate == 2) || (is_receive(c) && g.rin_rate == 2)) fsample *= 2;
  return fsample;
}

// freq as a fraction of the clock, in the three words. A zero clock or a
// tuning far outside the clock gives a fraction that no int holds; such a
// channel is reported and keeps the words it has.
void forward_words(CHAN& c) {
  double ff = ieee_div(c.freq, g.fck) * kWord;
  if (ff < 0) ff += kWord;
  if (!std::isfinite(ff) || ff >= 2147483648.0 || ff <= -2147483649.0) {
    myerrfun("Can not convert freq to frequency words; check freq and fck", kConfigTag,
             kLineFreqWords);
    return;
  }
  int f1 = static_cast<int>(ff);
  c.freq_msb = f1;
  int f2 = static_cast<int>((ff - f1) * kWord);
  c.freq_mid = f2;
  c.freq_lsb = static_cast<int>(((ff - f1) * kWord - f2) * kWord);
}

// The words back into freq, scaled by the clock that the forward conversion
// takes its fraction against.
void reverse_words(CHAN& c) {
  double freq = c.freq_msb / kWord;
  if (c.freq_mid != -1) freq += c.freq_mid / (kWord * kWord);
  if (c.freq_lsb != -1) freq += c.freq_lsb / (kWord * kWord * kWord);
  c.freq = freq * g.fck;
}

}  // namespace

void preconfig() {
  settle_powerdown();
  int anyxmt = 0;
  int split = g.splitiq != 0 ? 1 : 0;
  setparam(&g.splitiqAB, split);
  setparam(&g.splitiqCD, split);
  for (int i = 0; i < kNumChannels; ++i) {
    WorkingOnChannel working(i);
    CHAN& c = chan[i];
    if (c.powerdown != 0) continue;
    check_mixer(c);
    check_cic(c);
    double fsample = sample_rate(c, i, &anyxmt);
    if (c.freq_msb == -1)
      forward_words(c);
    else
      reverse_words(c);
    c.fsample = fsample;
  }
  if (anyxmt == 0) g.tout_nsig = 0;
}
