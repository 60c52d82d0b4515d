// pfiranalysis.cpp — the per-channel PFIR analysis report: the lowest chip clock the
// channel needs, its coefficient set and symmetry, and the table of every
// PFIR input rate that the planning found possible, with the one in use
// marked. Belongs to the interpreter's reporting, so its clock error carries
// the interpreter's module name. Also checks that the coefficients fit in 16
// bits and that the chip clock is fast enough.
#include "verify/pfiranalysis.h"

#include <string>

#include "diag.h"
#include "numeric.h"
#include "records.h"

namespace {

// The module and line tags of the report's messages are fixed output text,
// not source lines: the clock error reports as the interpreter's.
const char* const kClockModule = "cmdin";
constexpr int kLineClockTooSlow = 418;

int magnitude(int v) { return v < 0 ? wrap_sub(0, v) : v; }

// A coefficient beyond 16 bits is truncated in the coefficient RAM, so the
// run must not end as a success.
void sixteen_bit_check(const CHAN& c) {
  if (c.maxtap <= 32767 && c.maxtap >= -32768) return;
  report_stderr_only(Severity::kError, "Coefs exceeds 16 bits\n");
  err = 1;
  exit_status = 1;
}

void minimum_clock_check(int ch, const CHAN& c) {
  // Summed in double: the same value for every sum that fits in an int.
  double min_freq = (static_cast<double>(c.ncic) + c.fir_clk_cnt + 3) / 10.0;
  write_analysis(strfmt("\nChannel %d has a minimum frequency of %0.5f MHz\n", ch, min_freq));
  if (g.fck < min_freq)
    myerrfun(strfmt("chip clock rate of %0.5f lower than minimum of %0.5f!", g.fck, min_freq), kClockModule,
             kLineClockTooSlow);
}

const char* symmetry_word(int coefsym) {
  switch (coefsym) {
    case 0:
      return "none.";
    case 2:
      return "even.";
    default:
      return "odd.";
  }
}

void describe_filter(int ch, const CHAN& c) {
  write_analysis(strfmt("\nChannel %d has a %d tap filter.  Sum of coefficients %d. Max coefficient %d\n", ch,
                        c.ncoefs, c.sumtap, magnitude(c.maxtap)));
  write_analysis("Coefficient symmetry is ");
  write_analysis(symmetry_word(c.coefsym));
  if (c.fir_sym != 0)
    write_analysis(" Hardware exploits symmetry.\n");
  else if (c.coefsym != 0)
    write_analysis(" Hardware does not exploit symmetry.\n");
  else
    write_analysis("\n");
}

// Whether the table shows what the filter could hold with symmetry: an
// interpolating transmit filter can only fold a symmetric set at low
// interpolation.
bool symmetric_column(const CHAN& c) {
  if (c.coefsym == 0) return false;
  if (!is_receive(c) && c.fir_int > 2) return false;
  if (!is_receive(c) && c.coefsym == 2 && c.fir_int > 1) return false;
  return true;
}

// A row's duty and tap counts divide by these; a channel where one is zero
// has a table without rows.
bool rows_computable(const CHAN& c) {
  return c.ncic != -1 && c.fir_int != 0 && c.fir_cmplx != -1 && c.fir_nchan != 0;
}

int taps_at(const CHAN& c, int inr, int sym) {
  int n = wrap_mul(wrap_mul(wrap_mul(c.fir_int, inr), c.fir_dec), 16);
  // rows_computable has excluded a zero divisor.
  n = wrap_div(n, c.fir_int);
  n = wrap_div(n, wrap_add(c.fir_cmplx, 1));
  n = wrap_div(n, c.fir_nchan);
  n = wrap_mul(n, sym + 1);
  if (sym == 1 && c.coefsym == 1) n = wrap_sub(n, 1);
  return n;
}

void configuration_row(const CHAN& c, int inr, bool ok_sym) {
  double fir_duty = static_cast<double>(inr) / (static_cast<double>(c.ncic) + 1) / c.fir_int;
  double fir_pwr = fir_duty * 0.5 * 1.8 * 100.0;
  write_analysis(strfmt("%4.3lf   %4.1lf", fir_duty, fir_pwr));
  for (int sym = 0; sym <= (ok_sym ? 1 : 0); ++sym) {
    bool used = sym == c.coef_sym && inr == c.inrate;
    write_analysis(strfmt("   %4d", taps_at(c, inr, sym)));
    write_analysis(strfmt(" %c     ", used ? 'X' : ' '));
  }
  write_analysis("\n");
}

void configuration_table(const CHAN& c) {
  bool ok_sym = symmetric_column(c);
  write_analysis("  Possible Filter Configurations     X marks the configuration used\n");
  write_analysis("Duty    Pwr(mW)  Taps(no sym) ");
  if (ok_sym) write_analysis("Taps (w/ sym)");
  write_analysis("    (Power is for a single FIR row)\n");
  if (!rows_computable(c)) return;
  for (int inr : c.possible_inrate) {
    if (inr == -1) break;
    configuration_row(c, inr, ok_sym);
  }
}

}  // namespace

void pfir_analysis(int ch) {
  if (ch < 0 || ch >= kNumChannels) return;
  const CHAN& c = chan[ch];
  if (c.origcoefs == 0) return;
  sixteen_bit_check(c);
  minimum_clock_check(ch, c);
  describe_filter(ch, c);
  configuration_table(c);
}
