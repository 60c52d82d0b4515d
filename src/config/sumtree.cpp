// sumtree.cpp — the transmit sum tree and the transmit output formatter.
// From the channels feeding the tree and the requested transmit output
// (signals, real or complex, rate, resolution, differential signalling, sum
// input port) it checks the combination and defaults the sum-tree selects,
// the summing modes and the output-formatter fields through setparam.
#include "config/sumtree.h"

#include <cstring>

#include "config/reporttag.h"
#include "diag.h"
#include "records.h"
#include "vartable/strtab.h"

namespace {

// Line tags of this file's reports, beside the stage's module tag kConfigTag:
// fixed output text, not source lines.
constexpr int kLineToutNsig = 442;
constexpr int kLineToutRate = 443;
constexpr int kLineChanin = 445;
constexpr int kLineComplexSumio = 456;
constexpr int kLineSettingsDebug = 460;
constexpr int kLineFour2x = 462;
constexpr int kLineFewerChannels = 463;
constexpr int kLineHalfRateReal = 465;
constexpr int kLineNoPaths = 469;
constexpr int kLineOver4Paths = 475;
constexpr int kLineSumioPaths = 478;
constexpr int kLineTransceivePaths = 482;
constexpr int kLineTransceiveSumio = 483;
constexpr int kLineIllegalSumin = 549;
constexpr int kLineResDiff = 585;
constexpr int kLineFormatterMissed = 587;
constexpr int kLineRegistersDebug = 619;

// Sum-tree source number -> 3-bit select code of sum_selI/sum_selQ.
const int map[7] = {0, 2, 4, -1, 1, 3, 5};
// Summing-mode number -> 2-bit code of sum_ia/sum_qa/sum_ib.
const int mapm[5] = {0, 2, -1, 1, 3};
// Letters of the debug line, indexed by the complex flag, rate, resolution
// and differential flag.
const char* const RC = "RC";
const char* const SPEED = "HFT";
const char* const RES = "NW";
const char* const DiFF = "ND";

// The letter of `v` in its alphabet. The index one past the last letter
// reads the text's terminating NUL, which ends the reported line there, as
// indexing the text itself does; '?' stands in only beyond the text.
char letter(const char* alphabet, int v) {
  int count = static_cast<int>(std::strlen(alphabet));
  return v >= 0 && v <= count ? alphabet[v] : '?';
}

// Output paths the requested signals need. Taken in unsigned arithmetic so
// that absurd user values wrap as 32-bit ints do instead of overflowing.
int output_paths(int cmplx, int chanout, int res, int diff, int speed) {
  unsigned p = (static_cast<unsigned>(cmplx) + 1u) * static_cast<unsigned>(chanout) *
               (static_cast<unsigned>(res) + 1u) * (static_cast<unsigned>(diff) + 1u);
  int paths = static_cast<int>(p);
  if (speed == 0) return paths / 2;
  return static_cast<int>(static_cast<unsigned>(paths) * static_cast<unsigned>(speed));
}

struct Sources {
  bool known;  // false for a rate the rules give no sources for
  int a, b, two;
};

int select_word(const Sources& s) {
  return (s.two & 1) + 2 * map[s.a] + 8 * (s.two & 2) + 32 * map[s.b];
}

Sources sum_sources(int chanin, int chanout, int speed, int cmplx) {
  Sources s{true, 0, 0, chanin == 4 && chanout == 1 ? 3 : 1};
  if (chanin == 2 && chanout == 2 && g.splitiq == 1 && speed == 1 && cmplx == 1) {
    s.a = 5, s.b = 6;
  } else if (chanin == chanout) {
    s.a = 4, s.b = 1;
  } else if (chanin == 4) {
    s.a = 5, s.b = 6;
  } else if (speed <= 1) {
    s.a = 5, s.b = 0;
  } else if (speed == 2) {
    s.a = 6, s.b = 5;
  } else {
    s.known = false;
  }
  if (chanin == 1 && speed <= 1) s.b = 0;
  return s;
}

// The sum-tree shift shown in the debug line; 0 where no ratio of inputs to
// outputs gives one (no outputs, or fewer inputs than outputs).
int sum_shift_of(int sumio, int chanin, int chanout) {
  if (sumio != 0 || chanout <= 0 || chanin < chanout) return 0;
  int ratio = chanin / chanout;
  return ratio == 1 ? 3 : ratio == 2 ? 2 : 1;
}

int sum_input_mode(int sumio, int res, int speed, int cmplx) {
  if (sumio == 0) return 0;
  int code = -1;
  if (res == 0 && speed == 0 && cmplx == 1) code = 1;
  if (res == 0 && speed == 1) code = 2;
  if (res == 0 && speed == 2 && cmplx == 0) code = 2;
  if (res == 1 && speed == 1 && cmplx == 0) code = 3;
  if (res == 1 && speed == 0 && cmplx == 1) code = 1;
  if (code == -1) myerrfun("Illegal sumin combination", kConfigTag, kLineIllegalSumin);
  return code;
}

struct FormatterRow {
  int res, diff, chanout, cmplx, speed, word;
};

const FormatterRow kFormatter[] = {
    {0, 0, 1, 0, 1, 0x0008}, {0, 0, 2, 0, 1, 0x100C}, {0, 0, 3, 0, 1, 0x120E},
    {0, 0, 4, 0, 1, 0x121F}, {0, 0, 1, 1, 0, 0x0008}, {0, 0, 2, 1, 0, 0x100C},
    {0, 0, 3, 1, 0, 0x120E}, {0, 0, 4, 1, 0, 0x121F}, {0, 0, 1, 1, 1, 0x200C},
    {0, 0, 2, 1, 1, 0x242F}, {0, 0, 1, 0, 2, 0x100C}, {0, 0, 2, 0, 2, 0x121F},
    {0, 0, 1, 1, 2, 0x182F}, {0, 1, 1, 0, 1, 0x800C}, {0, 1, 2, 0, 1, 0x850C},
    {0, 1, 1, 1, 0, 0x800C}, {0, 1, 2, 1, 0, 0x850C}, {0, 1, 1, 1, 1, 0x890F},
    {0, 1, 1, 0, 2, 0x850F}, {1, 0, 1, 0, 1, 0x400C}, {1, 0, 2, 0, 1, 0x444F},
    {1, 0, 1, 1, 0, 0x400C}, {1, 0, 2, 1, 0, 0x444F}, {1, 0, 1, 1, 1, 0x488F},
    {1, 0, 1, 0, 2, 0x444F},
};

int formatter_word(int res, int diff, int chanout, int cmplx, int speed) {
  bool known_res_diff = (res == 0 && diff == 0) || (res == 0 && diff == 1) || (res == 1 && diff == 0);
  if (!known_res_diff) myerrfun("How did we get here, res/diff", kConfigTag, kLineResDiff);
  for (const FormatterRow& r : kFormatter)
    if (r.res == res && r.diff == diff && r.chanout == chanout && r.cmplx == cmplx && r.speed == speed)
      return r.word;
  myerrfun("toutf missed a case", kConfigTag, kLineFormatterMissed);
  return -1;
}

void check_output_paths(int pathout, int sumio) {
  bool transceive = (chan[2].powerdown == 0 && is_receive(chan[2])) ||
                    (chan[3].powerdown == 0 && is_receive(chan[3]));
  if (!transceive) {
    if (pathout > 4)
      myerrfun("More than 4 output paths required to support your configuration", kConfigTag,
               kLineOver4Paths);
    else if (pathout > 2LL * (2LL - sumio))
      myerrfun("Only 2 output paths available when sumio is active", kConfigTag, kLineSumioPaths);
  } else {
    if (pathout > 2)
      myerrfun("Only 2 output paths available when in transceive", kConfigTag,
               kLineTransceivePaths);
    else if (sumio != 0)
      myerrfun("Can not support sumio in transceive case", kConfigTag, kLineTransceiveSumio);
  }
}

// The transmit output as requested, in the terms of the rules below.
struct Request {
  int chanin;   // channels feeding the tree
  int chanout;  // output signals
  int cmplx, speed, res, diff, sumio, sumin16;
};

// The request from the control file; the values the rules cannot take are
// reported.
Request read_request() {
  Request r{};
  r.chanin = g.chanin;
  r.cmplx = g.tout_cmplx;
  r.chanout = g.tout_nsig;
  if (r.chanout == 0 || r.chanout == 3 || r.chanout > 4)
    myerrfun("tout_nsig must be 1, 2 or 4", kConfigTag, kLineToutNsig);
  r.speed = g.tout_rate;
  // The rules below give a rate above double no sources at all.
  if (r.speed > 2)
    myerrfun("tout_rate must be 0, 1 or 2 (half, full or double rate)", kConfigTag, kLineToutRate);
  if (r.chanin == 3 || r.chanin > 4)
    myerrfun("channels into sumtree must be 1, 2 or 4", kConfigTag, kLineChanin);

  r.res = g.tout_res;
  r.diff = 0;
  if (g.tout_res == 2) {
    r.res = 0;
    r.diff = 1;
  }
  r.sumio = g.tout_sumin;
  r.sumin16 = 0;
  if (r.sumio != 0) {
    r.sumin16 = r.speed == 2 || (r.cmplx != 0 && r.speed == 1) ? 1 : 0;
    if (g.tout_res == 0) r.sumin16 = 1;
  }
  return r;
}

// Checks the combination: channels against outputs, rate against data type,
// and the output paths it needs.
void check_request(const Request& r) {
  if (r.cmplx != 0 && r.chanout > 1 && r.sumio != 0)
    myerrfun("Can not use sumio for multiple complex channels", kConfigTag, kLineComplexSumio);

  mydebugfun(strfmt("doxmit1x %c%d%c%c%d%d%c ", letter(RC, r.cmplx), r.chanout,
                    letter(SPEED, r.speed), letter(RES, r.res), r.chanin, r.sumio,
                    letter(DiFF, r.diff)),
             kConfigTag, kLineSettingsDebug);

  if (r.speed == 2 && r.chanin == 4)
    myerrfun("can not generate 4 2x channels", kConfigTag, kLineFour2x);
  if (r.chanin < r.chanout)
    myerrfun("Fewer channels being generated than output", kConfigTag, kLineFewerChannels);
  if (r.speed == 0 && r.cmplx == 0)
    myerrfun("1/2 rate only for complex data", kConfigTag, kLineHalfRateReal);

  int pathout = output_paths(r.cmplx, r.chanout, r.res, r.diff, r.speed);
  if (pathout < 1) myerrfun("valid paths are 1, 2 or 4", kConfigTag, kLineNoPaths);
  check_output_paths(pathout, r.sumio);
}

// The sum-tree selects and summing modes; returns the sum shift of the
// debug line.
int set_sum_tree(const Request& r) {
  Sources si = sum_sources(r.chanin, r.chanout, r.speed, r.cmplx);
  Sources sq = r.cmplx == 0 ? Sources{true, 0, 0, 0} : si;
  if (si.known) setparam(&g.sum_selI, select_word(si));
  if (sq.known) setparam(&g.sum_selQ, select_word(sq));

  g.chanin = r.chanin;
  g.chanout = r.chanout;
  int sumsft = sum_shift_of(r.sumio, r.chanin, r.chanout);

  int ma = r.sumio == 0 ? 1 : r.sumin16 + 3;
  int mb = ma, mc = ma;
  if (r.cmplx == 0) mb = 0;
  if (r.chanout == 1 && r.speed <= 1) mc = 0;
  setparam(&g.sum_ia, mapm[ma]);
  setparam(&g.sum_qa, mapm[mb]);
  setparam(&g.sum_ib, mapm[mc]);
  setparam(&g.sum_qb, r.cmplx == 0 || (r.chanout <= 1 && r.speed != 2) ? 1 : 0);
  setparam(&g.sum_in, sum_input_mode(r.sumio, r.res, r.speed, r.cmplx));
  return sumsft;
}

// The transmit output formatter's fields; returns its word.
int set_formatter(const Request& r) {
  int toutf = formatter_word(r.res, r.diff, r.chanout, r.cmplx, r.speed);
  setparam(&g.toutf_xmt_AB, g.mode[0] == kModeTransmit ? 1 : 0);
  setparam(&g.toutf_sumin, r.sumio);
  setparam(&g.toutf_xmt_CD, g.mode[1] == kModeTransmit ? 1 : 0);
  setparam(&g.toutf_do, (toutf >> 4) & 0x1F);
  setparam(&g.toutf_co, (toutf >> 9) & 7);
  setparam(&g.toutf_bo, (toutf >> 12) & 0xF);
  int halfcmplx = r.cmplx != 0 && r.speed == 0 ? 1 : 0;
  setparam(&g.toutf_halfcmplx_AB, halfcmplx);
  setparam(&g.toutf_halfcmplx_CD, halfcmplx);
  setparam(&g.toutf_rnd_AB, static_cast<int>(1u - static_cast<unsigned>(r.res)));
  setparam(&g.toutf_rnd_CD, g.toutf_rnd_AB);
  setparam(&g.toutf_quiet_CD, r.chanout <= 1 || (r.chanout <= 2 && r.speed <= 1) ? 1 : 0);
  return toutf;
}

// Register words for the debug line, in unsigned arithmetic so that any
// user value wraps instead of overflowing.
void registers_debug(const Request& r, int toutf, int sumsft) {
  unsigned rnd_cd = g.toutf_rnd_CD == 1 ? 0u : static_cast<unsigned>(g.toutf_rnd_CD);
  unsigned tofs1 = 16u * rnd_cd + static_cast<unsigned>(g.toutf_rnd_AB) + 64u;
  unsigned sumtree = 256u * static_cast<unsigned>(g.sum_selQ) + static_cast<unsigned>(g.sum_selI);
  unsigned muxsel = 8u * static_cast<unsigned>(g.sum_ia) + static_cast<unsigned>(sumsft) +
                    32u * static_cast<unsigned>(g.sum_ib) + 128u * static_cast<unsigned>(g.sum_qa) +
                    512u * static_cast<unsigned>(g.sum_qb) + 1024u * static_cast<unsigned>(g.sum_in);
  mydebugfun(strfmt(" 0x%x 0x%x 0x%x  0x%x %d %d %d %d\n", static_cast<unsigned>(toutf), tofs1,
                    sumtree, muxsel, r.chanout, r.chanin, static_cast<int>(muxsel & 3u),
                    static_cast<int>(tofs1 & 3u)),
             kConfigTag, kLineRegistersDebug);
}

}  // namespace

void sumtree_config() {
  if (g.chanin == 0) return;
  Request r = read_request();
  check_request(r);
  int sumsft = set_sum_tree(r);
  int toutf = set_formatter(r);
  registers_debug(r, toutf, sumsft);
}
