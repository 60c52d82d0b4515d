// interfaces.cpp — data interfaces: output enables, the transmit input formatter
// (pins, bits, I/Q multiplexing, frame-strobe counts and load points, the
// frame-strobe output delay), the receive output formatter, the receive
// input selects and each channel's gain rounding. Runs after the sum tree;
// writes through setparam so that the control file always wins.
#include "config/interfaces.h"

#include <cstdint>
#include <string>

#include "config/reporttag.h"
#include "diag.h"
#include "numeric.h"
#include "records.h"
#include "vartable/strtab.h"

namespace {

// Line tags of this file's reports, beside the stage's module tag kConfigTag:
// fixed output text, not source lines.
constexpr int kLinePins = 1009;
constexpr int kLineBits = 1010;
constexpr int kLineSamplesPerTog = 1049;
constexpr int kLineTinfPins = 1055;
constexpr int kLineNotEnoughTime = 1063;
constexpr int kLineParallelIqCycles = 1071;
constexpr int kLineFasterThanMaximum = 1076;
constexpr int kLineSeriesDelay = 1117;
constexpr int kLineSecondLoadPoint = 1199;
constexpr int kLineTimingDebug = 1219;
constexpr int kLineNoCycle = 1240;
constexpr int kLineNoFsoDelay = 1659;

int cycle_len(const CHAN& c) { return wrap_mul(wrap_add(c.ncic, 1), c.fir_int); }

// Clock, counted in chip clocks, at which channel ch's FIR swap toggle falls
// for a frame-strobe output delay fsoDly, cycleSft whole cycles later.
int getTogDly(int ch, int fsoDly, int cycleSft) {
  const CHAN& c = chan[ch];
  int len = cycle_len(c);
  return wrap_add(wrap_sub(len, wrap_mul(wrap_add(c.sck_div, 1), fsoDly)), wrap_mul(cycleSft, len));
}

// Earliest clock at which datNum serial words of tword clocks each, after a
// frame-strobe delay, have arrived.
int getSrtvDlyMin(int ch, int tword, int delay, int datNum) {
  int clkDiv = wrap_add(chan[ch].sck_div, 1);
  return wrap_add(wrap_mul(wrap_add(wrap_mul(tword, datNum), delay), clkDiv), 17);
}

// Latest such clock (one slow clock later when the cycle is not a whole
// number of slow clocks).
int getSrtvDlyMax(int ch, int tword, int delay, int datNum) {
  const CHAN& c = chan[ch];
  int clkDiv = wrap_add(c.sck_div, 1);
  int latest = getSrtvDlyMin(ch, tword, delay, datNum);
  // With no slow clock at all there is no partial slow clock either.
  if (clkDiv != 0 && wrap_rem(cycle_len(c), clkDiv) != 0) latest = wrap_add(latest, c.sck_div);
  return latest;
}

// Smallest number of whole cycles k >= 0 with getTogDly(ch, 0, k) >
// srtvDly - getTogDly(ch, 0, 0); 0 when the channel's cycle length is not
// positive (no such k need exist).
int getCycleSft(int ch, int srtvDly) {
  int len = cycle_len(chan[ch]);
  if (len <= 0) return 0;
  // getTogDly(ch, 0, k) is (k + 1) × len, so counting k up from 0 stops at
  // the first k with (k + 1) × len > srtvDly - len: computed directly, as
  // counting could take billions of steps for a huge srtvDly.
  int64_t target = static_cast<int64_t>(srtvDly) - getTogDly(ch, 0, 0);
  if (target < len) return 0;
  return static_cast<int>(target / len);
}

int& own_rinf_sel(int ch) {
  switch (ch) {
    case 0: return g.rinf_sel_A;
    case 1: return g.rinf_sel_B;
    case 2: return g.rinf_sel_C;
    default: return g.rinf_sel_D;
  }
}

// ⌈a / b⌉ as "quotient, plus one for a remainder"; b must not be 0.
int ceil_quotient(int a, int b) { return wrap_add(wrap_div(a, b), wrap_rem(a, b) != 0 ? 1 : 0); }

// One-hot bit-width code of the receive output formatter: 4 bits -> 1,
// 8 -> 2, ... 20 -> 16. A width without a code (below 4, or one whose bit
// would not fit) gives 0; the pins/bits check has reported it.
int routf_bits_code(int bits) {
  int exponent = bits / 4 - 1;
  if (exponent < 0 || exponent > 30) return 0;
  return 1 << exponent;
}

// What a transmit channel's interface timing works with.
struct Timing {
  int ch;
  int cycleLen;  // chip clocks per FIR output cycle
  int clkDiv;    // slow-clock divider
  int ndivcks;   // slow clocks per cycle
  int tword;     // slow clocks per word
  int nchan;     // words per frame
  int minrq;     // 1 when the interface runs at its maximum rate
  int delay;     // frame-strobe delay after reduction
};

enum class Kind { kParIq, kIqMux, kNeither };

// --- Frame-strobe load points -------------------------------------------

enum class When {
  kAlways,
  kClk1AndMinrq,
  kPinsGeBitsAndMinrq,
  kPinsGeBitsClk1AndMinrq,
  kClk1,
  kClk1PinsGeBits,
  kClk1PinsLtBits,
};

// A load point: one + tword × tword_count + delay × delay_count.
struct Term {
  int one, tword_count, delay_count;
};
constexpr Term kZero = {0, 0, 0};
constexpr Term kOne = {1, 0, 0};
constexpr Term kDelay = {0, 0, 1};
constexpr Term kDelay1 = {1, 0, 1};
constexpr Term kWord = {0, 1, 0};
constexpr Term kWordDelay1 = {1, 1, 1};
constexpr Term kThreeWordsLess1 = {-1, 3, 0};
constexpr Term kThreeWords = {0, 3, 0};

struct LoadRow {
  bool tdm;
  Kind kind;
  When when;
  Term xa, xb, ya, yb;
};

// First matching row wins. xa/ya serve channel A, xb/yb channels B to D.
const LoadRow kLoadPoints[] = {
    {false, Kind::kParIq, When::kClk1AndMinrq, kDelay, kDelay, kOne, kOne},
    {false, Kind::kParIq, When::kAlways, kZero, kZero, kDelay1, kDelay1},
    {false, Kind::kIqMux, When::kPinsGeBitsAndMinrq, kOne, kOne, kOne, kOne},
    {false, Kind::kIqMux, When::kAlways, kWord, kWord, kWordDelay1, kWordDelay1},
    {false, Kind::kNeither, When::kPinsGeBitsClk1AndMinrq, kZero, kZero, kZero, kZero},
    {false, Kind::kNeither, When::kAlways, kZero, kZero, kDelay1, kDelay1},
    {true, Kind::kParIq, When::kClk1, kZero, kOne, kDelay1, kZero},
    {true, Kind::kParIq, When::kAlways, kZero, kZero, kDelay1, kOne},
    {true, Kind::kIqMux, When::kClk1, kWord, kWord, kWordDelay1, kThreeWordsLess1},
    {true, Kind::kIqMux, When::kAlways, kWord, kWord, kWordDelay1, kThreeWords},
    {true, Kind::kNeither, When::kClk1PinsGeBits, kZero, kOne, kDelay1, kZero},
    {true, Kind::kNeither, When::kClk1PinsLtBits, kZero, kOne, kDelay1, kWord},
    {true, Kind::kNeither, When::kAlways, kZero, kZero, kDelay1, kWord},
};

bool holds(When when, const CHAN& c, const Timing& t) {
  bool clk1 = t.clkDiv == 1;
  bool minrq = t.minrq != 0;
  bool wide = c.pins >= c.bits;
  switch (when) {
    case When::kAlways: return true;
    case When::kClk1AndMinrq: return clk1 && minrq;
    case When::kPinsGeBitsAndMinrq: return wide && minrq;
    case When::kPinsGeBitsClk1AndMinrq: return wide && clk1 && minrq;
    case When::kClk1: return clk1;
    case When::kClk1PinsGeBits: return clk1 && wide;
    case When::kClk1PinsLtBits: return clk1 && !wide;
  }
  return false;
}

int value_of(const Term& term, const Timing& t) {
  return wrap_add(term.one,
                  wrap_add(wrap_mul(term.tword_count, t.tword), wrap_mul(term.delay_count, t.delay)));
}

struct LoadPoints {
  int xa, xb, ya, yb;
};

LoadPoints load_points(const CHAN& c, const Timing& t) {
  Kind kind = c.tinf_pariq == 1 ? Kind::kParIq : c.tinf_iqmux == 1 ? Kind::kIqMux : Kind::kNeither;
  for (const LoadRow& row : kLoadPoints) {
    if (row.tdm != (g.tinf_tdm != 0) || row.kind != kind || !holds(row.when, c, t)) continue;
    if (!row.tdm && kind == Kind::kIqMux && row.when == When::kPinsGeBitsAndMinrq && t.delay != 1)
      mywarningfun(
          "Maximum rate non-tdm iq series mode must have delay of 1 if pins >= bits...using 1 for "
          "delay.",
          kConfigTag, kLineSeriesDelay);
    return {value_of(row.xa, t), value_of(row.xb, t), value_of(row.ya, t), value_of(row.yb, t)};
  }
  return {0, 0, 0, 0};  // unreachable: every kind ends in an kAlways row
}

// --- Frame-strobe output delay search -----------------------------------

enum class Note { kNone, kAB, kA, kD };

struct Probe {
  int maxN, minN;
  bool first;         // bound is Max - T0 (plus 1 for parallel I/Q)
  bool only_if_unset;  // tried only while no delay has been found
  Note note;
};

struct FsoGroup {
  bool tdm;
  Kind kind;
  int n0;
  bool parallel;       // parallel I/Q: one clock more in the opening and the bound
  bool unit_cycle_0;   // a one-clock cycle takes delay 0 before the opening
  int nprobes;
  Probe probes[4];
};

const FsoGroup kFsoGroups[] = {
    {true, Kind::kIqMux, 8, false, false, 4,
     {{8, 1, true, false, Note::kNone},
      {4, 5, false, true, Note::kAB},
      {2, 3, false, false, Note::kA},
      {6, 7, false, false, Note::kD}}},
    {true, Kind::kNeither, 4, false, false, 4,
     {{4, 1, true, false, Note::kNone},
      {2, 3, false, true, Note::kAB},
      {1, 2, false, false, Note::kA},
      {3, 4, false, false, Note::kD}}},
    {true, Kind::kParIq, 4, true, false, 1, {{4, 1, true, false, Note::kNone}}},
    {false, Kind::kIqMux, 2, false, false, 1, {{2, 1, true, false, Note::kNone}}},
    {false, Kind::kNeither, 1, false, true, 1, {{1, 1, true, false, Note::kNone}}},
    {false, Kind::kParIq, 1, true, false, 1, {{1, 1, true, false, Note::kNone}}},
};

enum class Outcome { kNothing, kFail, kFound };

struct ProbeResult {
  Outcome outcome;
  int fso_dly;
};

ProbeResult run_probe(const CHAN& c, const Timing& t, const Probe& p, bool parallel,
                      int cycleSft) {
  int srtvDly = getSrtvDlyMin(t.ch, t.tword, t.delay, p.minN);
  int bound = getSrtvDlyMax(t.ch, t.tword, t.delay, p.maxN);
  if (p.first) bound = wrap_add(wrap_sub(bound, getTogDly(t.ch, 0, 0)), parallel ? 1 : 0);
  for (int i = 0; i <= 6 && i < t.cycleLen; ++i) {
    // A delay already given is the only one tried.
    bool fixed = c.tinf_fso_dly != -1;
    int dly = fixed ? wrap_sub(c.tinf_fso_dly, 1) : i;
    int togDly = getTogDly(t.ch, dly, cycleSft);
    if (togDly >= srtvDly) {
      if (fixed) return {Outcome::kNothing, 0};
      continue;
    }
    if (togDly < bound) return {Outcome::kFail, 0};
    return {Outcome::kFound, wrap_add(dly, 1)};
  }
  return {Outcome::kNothing, 0};
}

void found_delay(CHAN& c, int dly, bool& fsoSet) {
  setparam(&c.tinf_fso_dly, dly);
  fsoSet = true;
}

void report_found(CHAN& c, Note note, int dly, bool& fsoSet) {
  switch (note) {
    case Note::kNone: break;
    case Note::kAB:
      write_analysis("Data can not be aligned. Aligning so channels a and b are");
      write_analysis(" one off of c and d.\n");
      break;
    case Note::kA:
    case Note::kD: {
      bool a = note == Note::kA;
      if (fsoSet) {  // a delay is chosen already: only point out the alternative
        write_analysis(a ? "  note:  can split a from b, c and d instead; just set"
                         : "  note:  can split d from a, b and c instead; just set");
        write_analysis(strfmt(" tinf_fso_dly to %d.\n", dly));
        return;
      }
      write_analysis(a ? "Data can not be aligned. Aligning so channels b c"
                       : "Data can not be aligned. Aligning so channels a b");
      write_analysis(a ? " and d are one off of a.\n" : " and c are one off of d.\n");
      break;
    }
  }
  found_delay(c, dly, fsoSet);
}

Kind search_kind(const CHAN& c) {
  if (c.tinf_pariq != 0) return Kind::kParIq;
  return c.tinf_iqmux != 0 ? Kind::kIqMux : Kind::kNeither;
}

// Without a positive cycle length there is no whole cycle to count in.
void warn_no_cycle(int ch, int cycleLen) {
  mywarningfun(
      strfmt("Channel %d has a cycle length of %d; no frame strobe delay search.", ch, cycleLen),
      kConfigTag, kLineNoCycle);
}

// Looks for a frame-strobe output delay at which the FIR swap toggle falls
// after the serial data has arrived.
void search_fso_delay(CHAN& c, const Timing& t, bool& fsoSet) {
  if (t.cycleLen <= 0) {
    warn_no_cycle(t.ch, t.cycleLen);
    return;
  }
  Kind kind = search_kind(c);
  for (const FsoGroup& grp : kFsoGroups) {
    if (grp.tdm != (g.tinf_tdm != 0) || grp.kind != kind) continue;
    if (grp.unit_cycle_0 && t.cycleLen == 1) found_delay(c, 0, fsoSet);
    int srtvDly = wrap_add(getSrtvDlyMax(t.ch, t.tword, t.delay, grp.n0), grp.parallel ? 1 : 0);
    int togDly = c.tinf_fso_dly != -1 ? getTogDly(t.ch, wrap_sub(c.tinf_fso_dly, 1), 0)
                                      : getTogDly(t.ch, 0, 0);
    if (srtvDly <= togDly) {
      found_delay(c, 1, fsoSet);
      return;
    }
    int cycleSft = getCycleSft(t.ch, srtvDly);
    for (int k = 0; k < grp.nprobes; ++k) {
      const Probe& p = grp.probes[k];
      if (p.only_if_unset && fsoSet) continue;
      ProbeResult r = run_probe(c, t, p, grp.parallel, cycleSft);
      if (r.outcome == Outcome::kFound) report_found(c, p.note, r.fso_dly, fsoSet);
    }
    return;
  }
}

// --- Transmit interface ---------------------------------------------------

void transmit_defaults(int ch) {
  CHAN& c = chan[ch];
  setparam(&c.gain_rnd, 2);
  setparam(&c.tinf_src, g.tinf_tdm == 0 ? 2 : (ch == 0 ? 6 : 1));
  setparam(&c.gain_half, c.fir_sym != 0 ? 1 : 0);
  setparam(&c.fso_sel, 1);
  setparam(&c.tinf_xmt, 1);
  setparam(&c.tinf_pariq, (c.pins == 16 && c.bits == 8) ? 1 : 0);
  setparam(&c.tinf_iqmux, (c.tinf_cmplx != 0 && c.tinf_pariq != 1) ? 1 : 0);
}

void second_load_point_in_cycle(const Timing& t, LoadPoints& lp) {
  bool beyond = wrap_mul(wrap_add(lp.ya, 1), t.clkDiv) > t.cycleLen ||
                wrap_mul(wrap_add(lp.yb, 1), t.clkDiv) > t.cycleLen;
  if (!beyond || (g.tinf_tdm != 0 && t.ch != 0)) return;
  mywarningfun(
      "tinf_second too large compared to cycle length; going to try tinf_second mod cycle length.",
      kConfigTag, kLineSecondLoadPoint);
  mywarningC(" (will use exactly cycle lenth if it divides evenly).\n");
  mywarningC(" This problem generally occurs when tinf_delay is too large; in this case, decrease\n");
  mywarningC(" the delay. If the problem persists, try decreasing clock divide.\n");
  int divCycleLen = ceil_quotient(t.cycleLen, t.clkDiv);
  if (divCycleLen == 0) return;  // only from a negative cycle length
  lp.ya = wrap_rem(lp.ya, divCycleLen);
  if (lp.ya == 0) lp.ya = divCycleLen;
  if (g.tinf_tdm == 0) lp.yb = lp.ya;
}

// Frame-strobe counts: samples per toggle, slow clocks per cycle and per
// word, words per frame.
void frame_strobe_counts(CHAN& c, Timing& t) {
  int samples_per_tog = c.swap_wa_cnt == -1
                            ? 1
                            : wrap_div(wrap_add(c.swap_wa_cnt, 1), wrap_add(c.fir_cmplx, 1));
  setparam(&c.tinf_nfs, wrap_sub(samples_per_tog, 1));
  if (samples_per_tog == 0) {
    mywarningfun("samples_per_tog==0, setting to 1, qerb need to look at this!\n", kConfigTag,
                 kLineSamplesPerTog);
    samples_per_tog = 1;
  }
  t.ndivcks = wrap_div(t.cycleLen, t.clkDiv);
  setparam(&c.tinf_fs_cnt, wrap_sub(wrap_div(t.ndivcks, samples_per_tog), 1));
  if (c.tinf_pins == 3) {
    mywarningfun("3 is not a legal setting for tinf_pins. Reset to 4.\n", kConfigTag,
                 kLineTinfPins);
    c.tinf_pins = 4;
  }
  t.tword = ceil_quotient(c.bits, c.pins);
  t.nchan = 1;
  if (g.tinf_tdm == 1) t.nchan = g.mode[1] == kModeTransmit ? 4 : 2;
}

// Checks that the words of a frame fit its cycle; settles whether the
// interface runs at its maximum rate and the frame-strobe delay within the
// cycle. Returns the words per frame.
int check_word_rate(const CHAN& c, Timing& t) {
  int words = wrap_mul(wrap_mul(wrap_add(c.tinf_iqmux, 1), t.tword), t.nchan);
  if (wrap_add(c.tinf_fs_cnt, 1) < words)
    myerrfun("Not enough time to get data in", kConfigTag, kLineNotEnoughTime);
  if (t.cycleLen == 1 && c.tinf_pariq != 0)
    myerrfun("IQ parallel mode needs at least two clock cycles to get data in.", kConfigTag,
             kLineParallelIqCycles);
  int fastest = wrap_mul(words, t.clkDiv);
  if (t.cycleLen < fastest)
    myerrfun("Toggle and frame strobe coming faster than maximum rate.", kConfigTag,
             kLineFasterThanMaximum);

  t.delay = c.tinf_fs_dly;
  t.minrq = t.cycleLen == fastest ? 1 : 0;
  if (c.tinf_pariq == 1 && g.mode[1] == kModeTransmit && t.cycleLen == 2) t.minrq = 1;
  int delay_clocks = wrap_mul(t.clkDiv, t.delay);
  if (delay_clocks >= t.cycleLen) {
    int reduced = wrap_div(wrap_rem(delay_clocks, t.cycleLen), t.clkDiv);
    write_analysis(
        strfmt("Channel %d FS delay of %d beyond cycle length. Using delay mod cycle length:  "
               "%d.\n",
               t.ch, t.delay, reduced));
    t.delay = reduced;
  }
  return words;
}

// The two frame-strobe load points tinf_first and tinf_second.
void set_load_points(CHAN& c, const Timing& t, int words) {
  LoadPoints lp = load_points(c, t);
  second_load_point_in_cycle(t, lp);
  if (t.ch == 0) {
    mydebugfun(strfmt("Dbg: nchan %d tdm %d minrq %d delay %d xa %x xb %d ya %d yb %d div %d iqmux "
                      "%d cmplx %d pins %d bits %d fscnt %d min %d nfs %d ndivcks %d\n",
                      t.nchan, g.tinf_tdm, t.minrq, t.delay, static_cast<unsigned>(lp.xa), lp.xb,
                      lp.ya, lp.yb, t.clkDiv, c.tinf_iqmux, c.tinf_cmplx, c.pins, c.bits,
                      wrap_add(c.tinf_fs_cnt, 1), words, wrap_add(c.tinf_nfs, 1), t.ndivcks),
               kConfigTag, kLineTimingDebug);
    setparam(&c.tinf_first, lp.xa);
    setparam(&c.tinf_second, lp.ya);
  }
  if (t.ch != 0 || g.tinf_tdm != 0) {
    setparam(&c.tinf_first, lp.xb);
    setparam(&c.tinf_second, lp.yb);
  }
}

// The frame-strobe output delay: the one the search finds, else 1 with a
// warning; held below fir_int when there is no CIC.
void set_fso_delay(CHAN& c, const Timing& t) {
  bool fsoSet = false;
  search_fso_delay(c, t, fsoSet);
  if (!fsoSet) {
    mywarningfun("Frame strobe delay can not be set properly with current configuration,",
                 kConfigTag, kLineNoFsoDelay);
    mywarningC("  data from swap RAM might not come out properly.");
    mywarningC("  If problems, change sck_div, ncic or fir_int to fix.\n");
    mywarningC("  Also, if filter duty cycle is at 100% (always running), it should be okay.\n");
    setparam(&c.tinf_fso_dly, 1);
  }
  if ((c.cic_int == 1 || c.cic_bypass != 0) && c.tinf_fso_dly >= c.fir_int)
    c.tinf_fso_dly = wrap_sub(c.fir_int, 1);
}

void interface_timing(CHAN& c, Timing& t) {
  frame_strobe_counts(c, t);
  int words = check_word_rate(c, t);
  set_load_points(c, t, words);
  set_fso_delay(c, t);
}

void transmit_interface(int ch) {
  CHAN& c = chan[ch];
  transmit_defaults(ch);
  Timing t{};
  t.ch = ch;
  t.cycleLen = cycle_len(c);
  t.clkDiv = wrap_add(c.sck_div, 1);
  // A zero divisor comes from input that has been reported already, or from
  // a cycle of no clocks (reported here): the timing of such a channel is
  // left alone.
  bool zero_divisor = c.pins == 0 || t.clkDiv == 0 || t.cycleLen == 0 ||
                      (c.swap_wa_cnt != -1 && wrap_add(c.fir_cmplx, 1) == 0);
  if (t.cycleLen == 0) warn_no_cycle(ch, 0);
  if (!zero_divisor) interface_timing(c, t);
  setparam(&c.routf_ctdm, 0);
  setparam(&own_rinf_sel(ch), 0);
}

// --- Receive interface ----------------------------------------------------

void receive_interface(int ch) {
  CHAN& c = chan[ch];
  bool no_iq_mux = (c.pins == 16 && c.bits == 8) || c.fir_cmplx == 0 || split_iq_on(ch);
  setparam(&c.routf_iqmux, no_iq_mux ? 0 : 1);
  setparam(&c.tinf_src, 2);
  setparam(&c.routf_ctdm, g.routf_tdm);
  setparam(&c.gain_rnd, c.agc_gain_out != 0 ? 12 : wrap_sub(20, c.bits));
  setparam(&c.fso_sel, 2);
  setparam(&c.tinf_xmt, 0);
  int sel;
  if (g.rin_cmplx == 0)
    sel = 4;
  else if (g.rin_rate == 0)
    sel = 3;
  else if (g.rin_rate > 0 && ch % 2 == 0)
    sel = 4;
  else
    sel = ch & 1;
  setparam(&own_rinf_sel(ch), sel);
  // Complex input at full or double rate: the odd channel takes the other half.
  if (g.rin_cmplx != 0 && g.rin_rate != 0) {
    if (ch == 0) setparam(&g.rinf_sel_B, 1);
    if (ch == 2) setparam(&g.rinf_sel_D, 1);
  }
}

}  // namespace

void misc_config() {
  setparam(&g.en_AO, 1);
  setparam(&g.en_AFS, 1);
  setparam(&g.en_BO, 1);
  setparam(&g.en_BFS, 1);
  // Ports C and D are the sum inputs of a transmitting A/B pair.
  int cd = (g.mode[0] == kModeTransmit && g.tout_sumin != 0) ? 0 : 1;
  setparam(&g.en_CO, cd);
  setparam(&g.en_CFS, cd);
  setparam(&g.en_DO, cd);
  setparam(&g.en_DFS, cd);
  setparam(&g.en_soB, 1);

  for (int ch = 0; ch < kNumChannels; ++ch) {
    WorkingOnChannel working(ch);
    CHAN& c = chan[ch];
    if (c.pins != 4 && c.pins != 8 && c.pins != 16)
      myerrfun("Pins must be 4,8, or 16", kConfigTag, kLinePins);
    if (c.bits % 4 != 0 || c.bits == 0 || c.bits > 20)
      myerrfun("Bits must be 4,8,12,16, or 20", kConfigTag, kLineBits);
    bool transmit = pair_mode(ch) == kModeTransmit;
    if (transmit) {
      setparam(&c.tinf_pins, c.pins / 4);
      setparam(&c.tinf_bits, c.bits / 4);
      setparam(&c.routf_pwrdown, 1);
    } else {
      setparam(&c.routf_pins, c.pins / 4);
      setparam(&c.routf_bits, routf_bits_code(c.bits));
    }
    if (c.powerdown != 0) {
      setparam(&c.routf_pwrdown, 1);
      setparam(&c.fso_sel, 0);
      continue;
    }
    setparam(&c.routf_pwrdown, 0);
    if (transmit)
      transmit_interface(ch);
    else
      receive_interface(ch);
  }
}
