// firconfig.cpp — the PFIR plan of one channel: input rate, filter case,
// registers and RAM images. The planner AC names and checks the filter case
// and works out its address generators; this module picks the input rate it
// is given, copies its register values into the channel through setparam
// (so that the control file wins), and lays the coefficients into the
// channel's coefficient RAM.
#include "pfir/firconfig.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "diag.h"
#include "pfir/agenconf.h"
#include "vartable/strtab.h"

namespace {

// The module and line tags of this file's reports: fixed output text, not
// the file's name or its source lines.
const char* const kModule = "firconfig";
constexpr int kLineStart = 27;
constexpr int kLineZeroDivisor = 70;
constexpr int kLineTapsRoundedUp = 76;
constexpr int kLineRateRange = 81;
constexpr int kLinePossibleRate = 100;
constexpr int kLineNoTransmitRate = 104;
constexpr int kLineMaximumTaps = 107;
constexpr int kLineTransmitRate = 112;
constexpr int kLineNoMultiple = 113;
constexpr int kLineClockCount = 192;
constexpr int kLineSeveralChannels = 225;
constexpr int kLineTooManyTaps = 236;
constexpr int kLineLayout = 253;
constexpr int kLineRamBounds = 286;

constexpr int kRateSlots = 16;  // entries of possible_inrate
constexpr int kRamWords = 256;  // coefficient RAM: 16 cells of 16 words
constexpr int kCellWords = 16;

// Ints from the control file can be anything: products are taken in 64 bits
// and wrapped to 32 as the chip's int arithmetic would.
int wrap32(long long v) { return static_cast<int>(static_cast<unsigned int>(v)); }
int mul32(long long a, long long b) {
  return static_cast<int>(static_cast<unsigned int>(a) * static_cast<unsigned int>(b));
}

// Quotient rounded up; only called with a positive divisor.
int ceil_div(int a, int b) { return a / b + (a % b != 0 && a > 0 ? 1 : 0); }

// The values the planning takes from a channel, with the data type and
// symmetry as the direction defaults give them when the channel has none.
struct PlanInputs {
  bool transmit;
  int fir_cmplx;
  int fir_sym;
  int mxinrate;
};

int receive_data_streams(const CHAN& c, int ch) {
  if (c.bypass_mix == 1 && g.rin_cmplx == 0) return 1;
  return split_iq_on(ch) ? 1 : 2;
}

int transmit_symmetry(const CHAN& c) {
  if (c.coefsym == 1 && c.fir_int == 2) return 1;
  if (c.fir_int == 1) return c.coefsym;
  return 0;
}

PlanInputs plan_inputs(const CHAN& c, int ch) {
  PlanInputs p;
  p.transmit = is_transmit(c);
  if (p.transmit) {
    p.fir_cmplx = c.fir_cmplx != -1 ? c.fir_cmplx : c.tinf_cmplx;
    p.fir_sym = c.fir_sym != -1 ? c.fir_sym : transmit_symmetry(c);
    p.mxinrate = wrap32((static_cast<long long>(c.ncic) + 1) * c.fir_int);
  } else {
    p.fir_cmplx = c.fir_cmplx != -1 ? c.fir_cmplx : receive_data_streams(c, ch) - 1;
    p.fir_sym = c.fir_sym != -1 ? c.fir_sym : c.coefsym;
    p.mxinrate = wrap32(static_cast<long long>(c.ncic) + 1);
  }
  p.mxinrate = std::min(p.mxinrate, 16);
  return p;
}

// Tap count per input rate step, rounded up when the coefficients do not
// divide evenly; `remainder` receives what was left over.
int min_taps(const CHAN& c, int fir_sym, int* remainder) {
  long long dec = c.fir_dec;
  long long n = c.ncoefs;
  if (fir_sym == 1) {
    n += 1;
    dec *= 2;
  } else if (fir_sym == 2) {
    dec *= 2;
  }
  *remainder = wrap32(n % dec);
  int xx = wrap32(n / dec);
  return *remainder != 0 ? wrap32(xx + 1LL) : xx;
}

int min_input_rate(int xx, int dataT, int fir_int) {
  return mul32(mul32(ceil_div(xx, 16), dataT), fir_int);
}

// One transmit input rate that fits the accumulator.
struct TransmitRate {
  int rate;
  int ntaps;
};

// The transmit input rates whose accumulators hold at most 511 taps (256
// without symmetry), smallest output rate first. `any_multiple` tells
// whether any output rate passed the multiple and range tests at all.
std::vector<TransmitRate> transmit_rates(const CHAN& c, int dataT, int fir_sym, bool* any_multiple) {
  std::vector<TransmitRate> rates;
  long long streams = static_cast<long long>(dataT) * c.fir_nchan;
  // Output rates beyond 16 words per stream never qualify.
  long long last = std::min(static_cast<long long>(c.ncic) + 1, 16 * streams);
  *any_multiple = streams > 0 && streams <= last;
  if (streams <= 0) return rates;
  for (long long outrate = streams; outrate <= last; outrate += streams) {
    int accum_cnt = wrap32(outrate / dataT / c.fir_nchan);
    int ntaps = mul32(mul32(16, c.fir_int), accum_cnt);
    if (fir_sym != 0) ntaps = mul32(ntaps, 2);
    if (fir_sym == 1) ntaps = wrap32(ntaps - 1LL);
    if (ntaps > 511 || (ntaps > 256 && fir_sym == 0)) continue;
    rates.push_back({wrap32(mul32(outrate, c.fir_int) / static_cast<long long>(c.fir_dec)), ntaps});
  }
  return rates;
}

// Receive input rates: multiples of the data streams until the decimated
// streams no longer fit the 16 filter clocks (or the list is full).
std::vector<int> receive_rates(const CHAN& c, int dataT) {
  std::vector<int> rates;
  long long streams = std::llabs(static_cast<long long>(dataT) * c.fir_nchan);
  if (streams == 0) return rates;
  for (long long r = streams; r <= static_cast<long long>(c.ncic) + 1 && rates.size() < kRateSlots;
       r += streams) {
    if (mul32(mul32(r, c.fir_nchan), c.fir_dec) > 16) break;
    rates.push_back(static_cast<int>(r));
  }
  return rates;
}

bool in_range(int v, int lo, int hi) { return v >= lo && v <= hi; }

// A powered-down channel whose filter settings were never completed must
// not stop the live channels: true when planning it would report an error
// or end the program. Stores nothing.
bool planning_would_fail(const CHAN& c, int ch) {
  if (c.ncoefs == -1 || c.ncic < 0) return true;
  PlanInputs p = plan_inputs(c, ch);
  int dataT = wrap32(p.fir_cmplx + 1LL);
  if (!in_range(c.fir_diff, 0, 1) || !in_range(dataT, 1, 2) || !in_range(c.fir_nchan, 1, 16) ||
      !in_range(p.fir_sym, 0, 2) || !in_range(c.fir_dec, 1, 16) || !in_range(c.fir_int, 1, 16))
    return true;
  int inrateT;
  if (p.transmit) {
    bool any_multiple;
    inrateT = -1;
    for (const TransmitRate& t : transmit_rates(c, dataT, p.fir_sym, &any_multiple))
      if (t.ntaps >= c.ncoefs) {
        inrateT = t.rate;
        break;
      }
  } else {
    int remainder;
    inrateT = min_input_rate(min_taps(c, p.fir_sym, &remainder), dataT, c.fir_int);
  }
  if (!in_range(inrateT, 1, 32)) return true;
  // The planner's accumulator count with real coefficients.
  int accum_cnt = inrateT * c.fir_dec / c.fir_int / dataT / c.fir_nchan;
  return accum_cnt < 1;
}

void leave_unplanned(CHAN& c) {
  std::fill(std::begin(c.coefram), std::end(c.coefram), 0);
  std::fill(std::begin(c.swapram), std::end(c.swapram), 0);
  std::fill(std::begin(c.beram), std::end(c.beram), 0);
  std::fill(std::begin(c.possible_inrate), std::end(c.possible_inrate), -1);
  c.inrate = -1;
}

// fir_dec, fir_int and fir_nchan divide the rates and taps; a zero among
// them leaves the channel without a plan.
bool zero_divisor_reported(const CHAN& c, int ch) {
  bool found = false;
  const struct {
    const char* name;
    int value;
  } divisors[] = {{"fir_dec", c.fir_dec}, {"fir_int", c.fir_int}, {"fir_nchan", c.fir_nchan}};
  for (const auto& d : divisors) {
    if (d.value != 0) continue;
    myerrfun(strfmt("%s must not be 0; PFIR of channel %d not planned", d.name, ch), kModule,
             kLineZeroDivisor);
    found = true;
  }
  return found;
}

// The channel fields of one address-generator pair: its read generator's
// and its write generator's.
struct ReadGenerator {
  int *soff, *srecr, *sdepd, *stepn;
};
struct WriteGenerator {
  int *soff, *srecr, *sdepd, *wrecrl;
};

void copy_start_registers(const CAgenSReg& reg, ReadGenerator r, WriteGenerator w) {
  setparam(r.soff, reg.r_SOffset);
  setparam(r.srecr, reg.r_SRecR);
  setparam(r.sdepd, reg.r_SDepD);
  setparam(r.stepn, reg.StepN);
  setparam(w.soff, reg.w_SOffset);
  setparam(w.srecr, reg.w_SRecR);
  setparam(w.sdepd, reg.w_SDepD);
  setparam(w.wrecrl, reg.w_WRecRL);
}

void copy_planner_registers(CHAN& c) {
  setparam(&c.coef_ofsc, AC.CoefReg.OfsC);
  setparam(&c.coef_modc, AC.CoefReg.ModC);
  setparam(&c.coef_repc, AC.CoefReg.RepC);
  setparam(&c.coef_sym, AC.GetSymEn());
  setparam(&c.coef_zerofr, AC.forward_broadcast);
  setparam(&c.agen_recr, AC.Areg.RecR);
  setparam(&c.agen_depd, AC.Areg.DepD);
  setparam(&c.agen_modd, AC.Areg.ModD);
  setparam(&c.agen_togen, AC.Areg.TogEn ? 1 : 0);
  copy_start_registers(AC.FAreg, {&c.fragen_soff, &c.fragen_srecr, &c.fragen_sdepd, &c.fragen_stepn},
                       {&c.fwagen_soff, &c.fwagen_srecr, &c.fwagen_sdepd, &c.fwagen_wrecrl});
  copy_start_registers(AC.BAreg, {&c.bragen_soff, &c.bragen_srecr, &c.bragen_sdepd, &c.bragen_stepn},
                       {&c.bwagen_soff, &c.bwagen_srecr, &c.bwagen_sdepd, &c.bwagen_wrecrl});
  copy_start_registers(AC.BeAreg,
                       {&c.beragen_soff, &c.beragen_srecr, &c.beragen_sdepd, &c.beragen_stepn},
                       {&c.bewagen_soff, &c.bewagen_srecr, &c.bewagen_sdepd, &c.bewagen_wrecrl});
  setparam(&c.fwa_strobe, AC.GetFWAs());
  setparam(&c.bwa_strobe, AC.GetBWAs());
  setparam(&c.beagen_rbypass, c.fir_sym != 0 ? AC.GetBRBypass() : 0xffff);
  setparam(&c.fir_sync_cnt, AC.SyncCount);
  if (AC.GetFirClkCnt() == 0 && c.ncic != 0 && c.fir_cmplx != 0)
    mywarningfun("fir_clk_cnt==0 and ncic!=0, must set fir_clk_cnt>0, to fix it set inrate>1",
                 kModule, kLineClockCount);
  if (c.ncic == 0) {
    setparam(&c.fir_clk_cnt, 1);
    setparam(&c.fir_clk_cnt_en, 0);
  } else {
    setparam(&c.fir_clk_cnt, AC.GetFirClkCnt());
    setparam(&c.fir_clk_cnt_en, 1);
  }
  setparam(&c.swap_ra_cnt, AC.SWCntN);
  setparam(&c.swap_wa_cnt, AC.SWCntN);
  setparam(&c.swap_cmplx, AC.GetDataType());
  setparam(&c.acc_dly, AC.AcumDly - 1);
  setparam(&c.acc_cnt, AC.AcumCnt - 1);
  // The flags follow the stored counts, a user's value included.
  setparam(&c.acc_dly0, c.acc_dly == 0 ? 1 : 0);
  setparam(&c.acc_bypass, c.acc_cnt == 0 ? 1 : 0);
  setparam(&c.acc_enram, (c.acc_bypass | c.acc_dly0) ^ 1);
}

void copy_ram_tables(CHAN& c) {
  for (int i = 0; i < 16; ++i) {
    c.swapram[i] = AC.GetSWTable(i);
    c.beram[i] = AC.GetBERAM(i) | (c.fir_sym == 0 ? 0x6000 : 0);
  }
}

const char* symmetry_name(int fir_sym) {
  switch (fir_sym) {
    case 0: return "NONE";
    case 1: return "ODD";
    case 2: return "EVEN";
    default: return "";
  }
}

// The coefficients in time order: a symmetric set stores only its first
// half (rounded up), right-aligned before word hxx.
void order_in_time(const CHAN& c, int nn, int hnn, int hxx, int tcoef[kRamWords]) {
  if (c.fir_sym == 0) {
    for (int i = 0; i < nn; ++i) tcoef[i] = c.coefs[i];
  } else {
    for (int i = 0; i < hnn; ++i) tcoef[hxx - hnn + i] = c.coefs[i];
  }
}

// Each cell takes a group of ModC coefficients in reverse order; an
// interpolating filter interleaves its tR phases (and filter sets) within
// the cell. Words the interleave does not reach stay 0.
void order_in_ram(const CHAN& c, int modc, int tR, int filtersets, const int tcoef[kRamWords],
                  int ocoef[kRamWords]) {
  for (int cell = 0; cell < 16; ++cell) {
    const int* group = tcoef + cell * modc;
    int* out = ocoef + cell * kCellWords;
    if (c.fir_int > 1) {
      int savecoefs[kCellWords] = {};
      for (int j = 0; j < modc; ++j) savecoefs[modc - 1 - j] = group[j];
      for (int j = 0; j < tR; ++j)
        for (int k = 0; k < modc / filtersets / tR; ++k)
          for (int f = 0; f < filtersets; ++f)
            out[(modc / tR) * j + k * filtersets + f] = savecoefs[(tR * k + j) * filtersets + f];
    } else {
      for (int j = 0; j < modc; ++j) out[modc - 1 - j] = group[j];
    }
  }
  if (c.fir_int > 1) plan_note("");
}

// Writes the cells at coef_ofsc; an offset that leaves the RAM is an early end
// of the run (give_up_planning).
void place_in_ram(CHAN& c, int modc, const int ocoef[kRamWords]) {
  for (int cell = 0; cell < 16; ++cell)
    for (int j = 0; j < modc; ++j) {
      int i = cell * kCellWords + j;
      long long target = static_cast<long long>(i) + c.coef_ofsc;
      if (target < 0 || target >= kRamWords) {
        give_up_planning("coefram[] writing out of boundaries, check coef_ofsc", kModule,
                         kLineRamBounds);
      }
      c.coefram[target] = ocoef[i];
    }
}

void set_final_variables(CHAN& c, bool transmit) {
  setparam(&c.fir_half, 0);
  setparam(&c.fir_rnd20, transmit ? 0 : 1);
  setparam(&c.fir_xeni, transmit ? 1 : 0);
  setparam(&c.fir_xenq, transmit && c.tinf_cmplx != 0 ? 1 : 0);
  setparam(&c.swap_fb, AC.forward_broadcast);
  setparam(&c.fir_fb, AC.forward_broadcast);
  setparam(&c.swap_xmt, transmit ? 1 : 0);
  setparam(&c.fir_en_sync_cnt, 1);
}

// The transmit input rate: the smallest whose accumulators hold the
// coefficients; every candidate is listed in possible_inrate. -1 when none
// does.
int choose_transmit_rate(CHAN& c, int dataT) {
  int inrateT = -1;
  int ntapsmax = 0;
  bool any_multiple;
  std::vector<TransmitRate> rates = transmit_rates(c, dataT, c.fir_sym, &any_multiple);
  for (size_t k = 0; k < rates.size(); ++k) {
    const TransmitRate& t = rates[k];
    ntapsmax = std::max(ntapsmax, t.ntaps);
    if (k < kRateSlots) c.possible_inrate[k] = t.rate;
    mydebugfun(strfmt("Possible setting inrate=%d ntaps allowed=%d", t.rate, t.ntaps),
               kModule, kLinePossibleRate);
    if (t.ntaps >= c.ncoefs && inrateT == -1) inrateT = t.rate;
  }
  if (inrateT == -1) {
    myerrfun("Trouble setting up pfir", kModule, kLineNoTransmitRate);
    if (ntapsmax < c.ncoefs)
      myerrfun(strfmt("Maximum number of taps for this config %d", ntapsmax), kModule,
               kLineMaximumTaps);
  }
  c.inrate = inrateT;
  mydebugfun(strfmt("I set inrateT to %d", inrateT), kModule, kLineTransmitRate);
  if (!any_multiple)
    mydebugfun("Could not find a suitable setting for inrate", kModule, kLineNoMultiple);
  return inrateT;
}

// The input rate the planner is given: the smallest that holds the taps,
// or for a transmit channel the one its accumulators allow. Sets inrate and
// possible_inrate.
int plan_input_rate(CHAN& c, bool transmit, int dataT, int mxinrate) {
  int xx_err;
  int xx = min_taps(c, c.fir_sym, &xx_err);
  if (xx_err != 0)
    mydebugfun("Quens inrate error hit increasing xx by one", kModule, kLineTapsRoundedUp);
  int inrateT = min_input_rate(xx, dataT, c.fir_int);
  c.inrate = inrateT;
  mydebugfun(strfmt("inrate=Min inrate=%d, Max inrate=%d", inrateT, mxinrate), kModule,
             kLineRateRange);

  std::fill(std::begin(c.possible_inrate), std::end(c.possible_inrate), -1);
  if (transmit) return choose_transmit_rate(c, dataT);
  std::vector<int> rates = receive_rates(c, dataT);
  std::copy(rates.begin(), rates.end(), c.possible_inrate);
  return inrateT;
}

// Has the planner name, check and work out the filter case, and copies its
// registers and RAM tables into the channel. False when the case is refused.
bool plan_case(CHAN& c, int dataT, int coefT, int inrateT, int mxinrate) {
  AC.SetName(c.fir_diff, dataT, coefT, c.fir_nchan, inrateT, c.fir_sym, c.fir_dec, c.fir_int);
  std::snprintf(c.filter_case, sizeof c.filter_case, "%s", AC.Getcasename());
  if (!AC.ValidCase()) return false;
  mydebugC(strfmt("fir_config(): name=%s, Mininrate=%d, Maxinrate=%d\n", AC.Getcasename(), inrateT,
                  mxinrate));
  AC.SetTables();
  AC.SetRegs();
  copy_planner_registers(c);
  copy_ram_tables(c);
  return true;
}

// Lays the coefficients into the coefficient RAM image: 1 when they fit, -1
// when they do not.
int lay_coefficients(CHAN& c, int coefT) {
  int tcoef[kRamWords] = {};
  if (c.fir_nchan > 1) {
    myerrfun("Can not handle multiple channels in a single fir yet.", kModule,
             kLineSeveralChannels);
    return -1;
  }
  int nn = c.ncoefs;
  int hnn = c.fir_sym != 0 ? (nn + 1) / 2 : nn;
  int hxx = 16 * (AC.CoefReg.ModC + 1);
  int xx_avail = hxx;
  if (c.fir_sym == 1) xx_avail = 2 * hxx - 1;
  if (c.fir_sym == 2) xx_avail = 2 * hxx;
  if (nn > xx_avail) {
    myerrfun("More taps defined than are computationally available.\n", kModule,
             kLineTooManyTaps);
    mymsgfun(" Sym=");
    mymsgfun(symmetry_name(c.fir_sym));
    mymsgfun(strfmt("Maximum taps = %d", xx_avail));
    return -1;
  }
  order_in_time(c, nn, hnn, hxx, tcoef);
  mydebugfun(strfmt("ncoef=%d Sym=%d hnn=%d hxx=%d", c.ncoefs, c.fir_sym, hnn, hxx), kModule,
             kLineLayout);

  int filtersets = coefT * (c.fir_diff != 0 ? c.fir_nchan : 1);
  int modc = AC.CoefReg.ModC + 1;
  int tR = AC.Areg.RecR + 1;
  int ocoef[kRamWords] = {};
  order_in_ram(c, modc, tR, filtersets, tcoef, ocoef);
  place_in_ram(c, modc, ocoef);
  return 1;
}

}  // namespace

int fir_config(CHAN* cp, int ch) {
  CHAN& c = *cp;
  if (c.powerdown != 0 && planning_would_fail(c, ch)) {
    leave_unplanned(c);
    return 0;
  }

  mydebugfun("fir_config()", kModule, kLineStart);
  AC.Init();

  PlanInputs p = plan_inputs(c, ch);
  setparam(&c.fir_cmplx, p.fir_cmplx);
  setparam(&c.fir_sym, p.fir_sym);
  int dataT = wrap32(c.fir_cmplx + 1LL);
  const int coefT = 1;  // the coefficients are always real here
  std::fill(std::begin(c.coefram), std::end(c.coefram), 0);

  if (zero_divisor_reported(c, ch)) {
    leave_unplanned(c);
    return 0;
  }
  int inrateT = plan_input_rate(c, p.transmit, dataT, p.mxinrate);
  if (!plan_case(c, dataT, coefT, inrateT, p.mxinrate)) return 0;
  if (lay_coefficients(c, coefT) < 0) return -1;
  set_final_variables(c, p.transmit);
  return 1;
}
