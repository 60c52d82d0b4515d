// agenconf.cpp — the PFIR address-generator planner: the case name and its
// derived quantities, the rules that accept or refuse a case, the lookup in
// the table of tested cases, and the address tables and register values of
// an accepted case. Every early end here gives up the planning of the
// channel and with it the run (give_up_planning).
#include "pfir/agenconf.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "diag.h"
#include "pfir/fircases.h"

AgenConf AC;

void reset_agenconf() { AC = AgenConf(); }

// The run status when the planning of a channel gives up.
constexpr int kPlanningGaveUp = -1;

void give_up_planning(const std::string& text, const char* tag, int line) {
  myerrfun(text, tag, line);
  end_run(kPlanningGaveUp);
}

namespace {

// The module and line tags of this file's reports: fixed output text, not
// the file's name or its source lines.
const char* const kModule = "agenconf";
constexpr int kLineBadCaseName = 60;
constexpr int kLineBadProperty = 118;
constexpr int kLineFilterName = 133;
constexpr int kLineAccumulator = 164;
constexpr int kLineTestedAndPasses = 338;
constexpr int kLineSeveralEntries = 340;
constexpr int kLineUntried = 343;
constexpr int kLineTestedAndFails = 551;
constexpr int kLineBraeOverrun = 619;
constexpr int kLineStepRange = 873;
constexpr int kLineNegstepRange = 881;
constexpr int kLineNoCase = 900;
constexpr int kLineBeStepInvalid = 1052;
constexpr int kLineFwasWrite = 1129;
constexpr int kLineBwasWrite = 1136;
constexpr int kLineBwaesWrite = 1144;
constexpr int kLineBblkeWrite = 1152;
constexpr int kLineBraeWrite = 1159;
constexpr int kLineBwaeWrite = 1166;
constexpr int kLineSwWrite = 1173;
constexpr int kLineBeReadBypassWrite = 1180;
constexpr int kLineFirClkCnt = 1216;
constexpr int kLineBeramRead = 1227;

[[noreturn]] void fail(const std::string& text, int line) {
  give_up_planning(text, kModule, line);
}

// Letters of the case name; the letter for value v is the character at v.
const char DS[] = "SD";                                  // same / different coefficients
const char RCC[] = " RC";                                // real / complex
const char cnt[] = "0123456789abcdefghijklmnopqrstuvw";  // counts 0 to 32
const char SYM[] = "NOE";                                // no / odd / even symmetry

// Every accepted case has positive divisors. A zero divisor only comes from a
// case that SetName never checked (the all-zero state Init leaves, or fields
// written directly); it yields 0 instead of a trap.
int quot(int a, int b) { return b == 0 ? 0 : a / b; }
int rem(int a, int b) { return b == 0 ? 0 : a % b; }

char letter_of(const char* alphabet, int v) {
  int len = static_cast<int>(std::strlen(alphabet));
  return v >= 0 && v < len ? alphabet[v] : '?';
}

// The index of the first occurrence of `c`, or the alphabet's length (which
// the range check then refuses) when the alphabet lacks it.
int value_of(const char* alphabet, char c) {
  int len = static_cast<int>(std::strlen(alphabet));
  for (int i = 0; i < len; ++i)
    if (alphabet[i] == c) return i;
  return len;
}

const char* const kNoObjection = "";

}  // namespace

// ---------------------------------------------------------------------------
// Case selection

void AgenConf::Init() {
  diff = data = coef = nchan = inrate = Sym = deci = interp = 0;
  RepC = ModC = OfsC = AcumDly = AcumCnt = dataout = outrate = forward_broadcast = 0;
  D = N = R = 0;
  SyncCount = 0;
  for (int i = 0; i < 16; ++i) SetSWTable(i, i);
  for (int i = 0; i < 16; ++i) {
    decid[i] = i + 1;
    interpid[i] = 1;
  }
  for (int i = 16; i < 32; ++i) {
    decid[i] = 1;
    interpid[i] = i - 14;
  }
  id = 0;
}

void AgenConf::SetName(int tdiff, int tdata, int tcoef, int tnchan, int tinrate, int tSym,
                       int tdeci, int tinterp) {
  diff = tdiff;
  data = tdata;
  coef = tcoef;
  nchan = tnchan;
  inrate = tinrate;
  Sym = tSym;
  deci = tdeci;
  interp = tinterp;

  // The last offending field is the one reported.
  const char* complaint = nullptr;
  if (diff < 0 || diff > 1) complaint = "0 Same/Diff coefs";
  if (data < 1 || data > 2) complaint = "1 Real/Complex data";
  if (coef < 1 || coef > 2) complaint = "2 Real/Complex coefs";
  if (nchan < 1 || nchan > 16) complaint = "3 Number of channels";
  if (inrate < 1 || inrate > 32) complaint = "4 (1-w) Input Rate";
  if (Sym < 0 || Sym > 2) complaint = "5 None/Odd/Even Symmetry";
  if (deci < 1 || deci > 16) complaint = "6 (1-g) decimation";
  if (interp < 1 || interp > 16) complaint = "7 (1-g) interpolation";
  if (complaint) {
    mymsgfun(strfmt(" diff=%d data=%d coef=%d nchan=%d inrate=%d Sym=%d deci=%d interp=%d\n",
                    diff, data, coef, nchan, inrate, Sym, deci, interp));
    fail(strfmt("Invalid Filter name %s!", complaint), kLineBadProperty);
  }

  NameCase();
  mydebugfun(strfmt("Filter Name: %s", casename), kModule, kLineFilterName);
  derive_quantities();
  if (AcumCnt < 1 || AcumDly < 1)
    fail(strfmt("Accumulator is not set properly: ACnt=%d,Adly=%d", AcumCnt, AcumDly),
         kLineAccumulator);
}

void AgenConf::derive_quantities() {
  N = nchan * data;
  OfsC = 0;
  R = interp * coef;
  // One truncating division by interp * coef; two in turn give the same for
  // every case of the walk and every value SetName accepts.
  D = quot(deci * inrate, interp * coef);
  RepC = diff == 1 ? data : data * nchan;
  outrate = quot(inrate * deci, interp);
  dataout = coef > data ? coef : data;
  AcumCnt = quot(quot(outrate, dataout), nchan);
  AcumDly = nchan * dataout;
  ModC = quot(deci * inrate, data);
  if (diff == 0) ModC = quot(ModC, nchan);
  forward_broadcast = (D == 1 && R == 1) ? 1 : 0;
}

void AgenConf::SetName(const char* cname) {
  if (cname == nullptr || std::strlen(cname) != 8) fail("Invalid String Name!", kLineBadCaseName);
  SetName(value_of(DS, cname[0]), value_of(RCC, cname[1]), value_of(RCC, cname[2]),
          value_of(cnt, cname[3]), value_of(cnt, cname[4]), value_of(SYM, cname[5]),
          value_of(cnt, cname[6]), value_of(cnt, cname[7]));
}

char* AgenConf::NameCase() {
  casename[0] = letter_of(DS, diff);
  casename[1] = letter_of(RCC, data);
  casename[2] = letter_of(RCC, coef);
  casename[3] = letter_of(cnt, nchan);
  casename[4] = letter_of(cnt, inrate);
  casename[5] = letter_of(SYM, Sym);
  casename[6] = letter_of(cnt, deci);
  casename[7] = letter_of(cnt, interp);
  casename[8] = '\0';
  return casename;
}

char* AgenConf::Getcasename() { return casename; }

bool AgenConf::ValidCase() { return ValidCase(0); }

bool AgenConf::ValidCase(int opt) {
  reason = shape_objection();
  // A refused shape keeps the derived quantities it had; the rules below
  // then only change the reason, not the verdict.
  if (reason[0] == '\0') {
    derive_quantities();
    if (rem(deci * inrate, interp * coef) != 0) reason = "Calculation of D must have no remainder!";
  }
  if (ModC > 16) reason = "ModC out of range";
  if (D < 1) reason = "D<1 too small";
  if (const char* capacity = capacity_objection()) reason = capacity;
  if (reason[0] == '\0') reason = even_split_objection();
  look_up_tested_case(opt);
  return reason[0] == '\0';
}

// Shapes the filter hardware cannot take at all; the last that applies is
// the one given.
const char* AgenConf::shape_objection() const {
  const char* objection = kNoObjection;
  if (deci != 1 && interp != 1) objection = "Current filter does not support, deci!=1&&interp!=1!";
  if (data * nchan > inrate) objection = "input data rate too fast!";
  if (diff == 1 && nchan == 1) objection = "different coefs and only one channel!";
  if (Sym == 2 && interp > 1) objection = "Symmetry cannot be even with interpolation!";
  if (Sym == 1 && interp > 2) objection = "Symmetry cannot be odd beyond interpolate by 2!";
  return objection;
}

// Capacity and what the hardware does not do yet: only the first that
// holds; null when none does.
const char* AgenConf::capacity_objection() const {
  if (quot(coef * data * nchan * interp, deci) > inrate || quot(N * R, deci) > inrate)
    return "compute load too large";
  if (D > 16) return "D too large";
  if (ModC > 16) return "ran out of coef RAM";
  if (AcumDly > 8) return "AcumDly too large";
  if (N < 1) return "N must be an integer greater than 1.";
  if (D % N != 0) return "D must be a multiple of N";
  if (data > 1 && coef > 1) return "Can't do complex by complex yet";
  if (coef > 1) return "Can't do complex coefs yet";
  if (diff == 0 && data == 1 && coef == 1 && nchan == 3 && inrate == 4 && Sym != 0)
    return "extracase";
  return nullptr;
}

// The input rate must split evenly over the channels and the output rate.
const char* AgenConf::even_split_objection() const {
  int k = quot(coef * nchan * data * interp, deci);
  bool complex_odd_rate = (coef == 2 || data == 2) && inrate % 2 != 0;
  if (complex_odd_rate) return kNoObjection;  // not held to an even split
  if (k > 1 && inrate % k != 0) return "uneven";
  if (rem(inrate, interp) != 0) return "uneven output rate";
  return kNoObjection;
}

// The lookup in the table of tested cases; opt 1 keeps it quiet but for a
// failing entry.
void AgenConf::look_up_tested_case(int opt) {
  caseexist = 0;
  for (int i = 0; i < nfircases; ++i) fircasechk(fircases[i].name, fircases[i].pass);
  if (opt == 1) return;
  if (caseexist == 1)
    mydebugfun(strfmt("ValidCase():%s Tested and Passes!", casename), kModule,
               kLineTestedAndPasses);
  else if (caseexist > 1)
    mywarningfun("More than one valid case entry in fircases", kModule, kLineSeveralEntries);
  else
    myerrfun(strfmt("Untried filter configuration: %s!", casename), kModule, kLineUntried);
}

const char* AgenConf::GetReason() { return reason; }

bool AgenConf::NextCase() {
  bool keepgoing = true;
  bool valid = false;
  do {
    // An odometer, fastest digit first: (deci, interp) pair, inrate, nchan,
    // coef, data, Sym, diff.
    ++id;
    if (id > 31 || id < 0) {
      id = 0;
      if (++inrate > 32) {
        inrate = 1;
        if (++nchan > 4) {
          nchan = 1;
          if (++coef > 2) {
            coef = 1;
            if (++data > 2) {
              data = 1;
              if (++Sym > 2) {
                Sym = 0;
                if (++diff > 1) {
                  diff = 1;
                  keepgoing = false;
                }
              }
            }
          }
        }
      }
    }
    deci = decid[id];
    interp = interpid[id];
    NameCase();
    valid = ValidCase(1);
  } while (!valid && keepgoing);
  return keepgoing;
}

void AgenConf::fircasechk(const char* cname, int pass) {
  if (cname == nullptr || std::strcmp(casename, cname) != 0) return;
  if (pass == 0)
    myerrfun(strfmt("Filter configuration %s Tested with pcheck and Fails!", casename),
             kModule, kLineTestedAndFails);
  ++caseexist;
}

// ---------------------------------------------------------------------------
// Tables

void AgenConf::SetTables() {
  const int nd = N * deci;

  // Forward write strobes: the N*deci addresses that end at D - 1.
  for (int i = 0; i < 16; ++i) SetFWAsTable(i, 0);
  for (int i = 0; i < nd; ++i) SetFWAsTable(D - nd + i, 1);

  set_backward_write_strobes();

  if (interp > 1) {
    LTogEn = true;
    DstartEC = 0;
  } else {
    LTogEn = false;
    DstartEC = Sym == 1 ? (D - N) % 16 : (D - 1) % 16;
  }
  if (Sym == 2) DstartEC = 0;

  for (int i = 0; i < 32; ++i) SetBWAesTable(i, GetBWAsTable(i % 16));

  set_block_enables();
  set_be_read_addresses();
  set_be_write_addresses();
  override_long_symmetric_decimation();
  set_swap_order();
}

void AgenConf::set_backward_write_strobes() {
  for (int i = 0; i < 16; ++i) SetBWAsTable(i, 0);
  if (Sym == 0) return;
  if (interp > 1) {
    for (int i = 0; i < N * deci; ++i) SetBWAsTable(i, 1);
  } else {
    // The forward strobes mirrored over ModC*RepC (which equals D).
    const int span = ModC * RepC;
    for (int i = 0; i < span; ++i) SetBWAsTable(span - 1 - i, GetFWAsTable(i));
  }
}

void AgenConf::set_block_enables() {
  for (int i = 0; i < 32; ++i) SetBBLKeTable(i, 0);
  if (Sym == 0) {
    for (int i = 0; i < 16; ++i) SetBBLKeTable(i, 1);
  } else if (Sym == 1) {
    if (interp > 1) {
      for (int i = 0; i < N; ++i) SetBBLKeTable(16 + i, 1);
    } else if (deci == 1 && diff == 0) {
      for (int i = 0; i < N; ++i) SetBBLKeTable(i, 1);
    } else if (deci == 1 && diff == 1) {
      for (int i = 0; i < quot(N, data); ++i) SetBBLKeTable(i, 1);
    } else if (deci > 1) {
      for (int i = 0; i < N; ++i) SetBBLKeTable(i, 1);
    }
  }
}

void AgenConf::set_be_read_addresses() {
  for (int i = 0; i < 16; ++i) SetBRAeTable(i, i);
  if (deci <= 1) return;
  if (N * deci - 1 > 15) fail("Overran BRAe_Table", kLineBraeOverrun);
  if (Sym == 2) {
    for (int j = 0; j < deci; ++j)
      for (int i = 0; i < N; ++i)
        SetBRAeTable((deci - j) * N - i - 1, rem(j * N + N - i + 16 * D - 1, D));
  } else if (Sym == 1) {
    // Later passes overwrite what earlier ones wrote at the same address.
    for (int j = 0; j < deci; ++j)
      for (int i = 0; i < N * inrate && (deci - j) * N - i - 1 >= 0; ++i)
        SetBRAeTable((deci - j) * N - i - 1, rem(j * N + N - i + 16 * D, D));
  }
}

void AgenConf::set_be_write_addresses() {
  for (int i = 0; i < 16; ++i) SetBWAeTable(i, i);
  for (int i = 16; i < 32; ++i) SetBWAeTable(i, GetBRAeTable(i - 16));

  if (deci == 1) {
    if (Sym == 2 || (Sym == 1 && R == 2)) {
      for (int i = 0; i < 16; ++i) SetBWAeTable(i, rem(16 * D + i, D));
      for (int i = 16; i < 32; ++i) SetBWAeTable(i, rem(GetBRAeTable(i - 16) + 16 * D, D));
    }
    return;
  }
  if (deci < 1 || (Sym != 1 && Sym != 2)) return;

  // Counts down from D - 1 in runs of `step`, moving the base up a run at a
  // time; writes D entries from `first`.
  auto step_walk = [this](int first, int k) {
    const int step = deci * N;
    for (int i = 0; i < D; ++i) {
      int l = rem(D - i - 1, step);
      SetBWAeTable(first + i, l + k);
      if (l == 0) k = rem(k + step, D);
    }
  };

  if (deci == D) {
    step_walk(0, 0);
    step_walk(16, 0);
  } else if (Sym == 2 && N > 1) {
    // Blocks of N in reverse block order.
    int m = 0;
    for (int k = quot(D, N) - 1; k >= 0; --k)
      for (int l = 0; l < N; ++l) {
        SetBWAeTable(m, k * N + l);
        m = rem(m + 1, D);
      }
  } else if (Sym == 2 && N == 1 && N * deci + D > 16) {
    step_walk(0, D - deci * N);
  } else {
    const int k = deci * N;
    const int ngroups = quot(D, k);
    const int nflip = N;
    int j = 0, m = 0, h = (deci - 1) * N;
    for (int group = 0; group < ngroups; ++group) {
      for (int l = 0; l < deci; ++l) {
        h = l == 0 ? (deci - 1) * N : h - N;
        for (int ll = 0; ll < nflip; ++ll) {
          SetBWAeTable(m, ll + h + j);
          ++m;
        }
      }
      j = rem(j + k + D, D);
    }
  }
}

// Symmetric decimation whose data span fills more than half the RAM
// (N*deci = D > 8) runs with the toggle and its own read order.
void AgenConf::override_long_symmetric_decimation() {
  if (!(deci > 1 && N * deci == D && N * deci + D > 16)) return;
  if (Sym != 1 && Sym != 2) return;
  int k = Sym == 1 ? 0 : D - N;
  int l = 0;
  for (int i = 0; i < D; ++i) {
    SetBRAeTable(i, l + k);
    l = rem(l + 1, N);
    if (l == 0) k = rem(k - N + D, D);
  }
  for (int i = 0; i < 16; ++i) SetBWAeTable(i, GetBRAeTable(i));
  for (int i = 16; i < 32; ++i) SetBWAeTable(i, i - 16);
  if (Sym == 1)
    for (int i = 0; i < 16; ++i) SetBBLKeTable(16 + i, GetBBLKeTable(i));
  LTogEn = true;
  DstartEC = 0;
}

void AgenConf::set_swap_order() {
  if (deci > 1) {
    // Entries from deci*N on keep the identity order Init gave them.
    SWCntN = deci * N - 1;
    int m = 0;
    for (int k = deci - 1; k >= 0; --k)
      for (int l = 0; l < N; ++l) {
        SetSWTable(m, k * N + l);
        ++m;
      }
  } else {
    SWCntN = N - 1;
    for (int l = 0; l < 16; ++l) SetSWTable(l, l);
  }
}

// ---------------------------------------------------------------------------
// Registers

void AgenConf::SetRegs() {
  int negstep = set_data_and_coef_regs();
  set_forward_pair();
  set_backward_pair(negstep);
  set_be_pair(negstep);
  SetSyncCount();
}

// The data and coefficient address generators; returns the backward step
// that the two later pairs start from.
int AgenConf::set_data_and_coef_regs() {
  int step = N * deci;
  if (step > 16 || step < 0) fail("Filter step out of range!", kLineStepRange);
  if (std::abs(step) == D) step = 0;
  ModD = std::abs(step) + D > 16 ? D : 16;
  int negstep = rem(ModD - step, ModD);
  if (negstep < 0 || negstep > 16) fail("negstep out of range!", kLineNegstepRange);

  Areg.TogEn = LTogEn;
  Areg.ModD = ModD & 15;  // 16 is written as 0
  Areg.DepD = D - 1;
  Areg.RecR = R - 1;

  if (deci == 0) fail("Must SetName() before SetControl()", kLineNoCase);

  CoefReg.OfsC = OfsC;
  CoefReg.ModC = ModC - 1;
  CoefReg.RepC = RepC - 1;
  return negstep;
}

void AgenConf::set_forward_pair() {
  int step = (N * deci) % 16;
  if (std::abs(step) == D) step = 0;
  FAreg.StepN = step;
  FAreg.r_SRecR = R - 1;
  FAreg.r_SDepD = D - 1;
  FAreg.r_SOffset = 0;
  FAreg.w_WRecRL = interp - 1;
  FAreg.w_SRecR = R - 1;
  FAreg.w_SDepD = D - deci * N;
  FAreg.w_SOffset = 0;
}

void AgenConf::set_backward_pair(int negstep) {
  int Dstart = (N * deci) % 16;
  int os = (-deci * N) & 15;
  if (Dstart != rem(N * deci, D)) {
    Dstart = rem(N * deci, D);
    os = 0;
  }
  int Rsync;
  if (interp > 1) {
    Rsync = 0;
    Dstart = N;
  } else {
    Rsync = R - 1;
  }
  if (ModD != 16) os = negstep;
  BAreg.StepN = rem(negstep + ModD, ModD);
  BAreg.r_SDepD = D - 1;
  BAreg.r_SRecR = Rsync;
  BAreg.r_SOffset = 0;
  BAreg.w_WRecRL = 0;
  BAreg.w_SDepD = Dstart;
  BAreg.w_SRecR = Rsync;
  BAreg.w_SOffset = os;
}

// The third pair, and the read bypass of its RAM.
void AgenConf::set_be_pair(int negstep) {
  int step = -((deci * N) % 16);
  if (std::abs(step) + D > 16 && std::abs(step) == D)
    step = 0;
  else if (-step == D)
    step = D;
  if (Sym == 0) step = 0;
  int os = step & 15;
  if (Sym == 2) os = 0;
  if (Sym == 1 && D == 2) {
    os = 1;
    DstartEC = 0;
  }
  int RecW = 0;
  int Rsync;
  if (interp > 1) {
    Rsync = 0;
    RecW = 1;
    os = 0;
  } else {
    Rsync = R - 1;
  }
  // The one interpolating case whose Be write generator must not reload.
  if (std::strcmp(casename, "SRR12O12") == 0) RecW = 0;
  if (step > 0) negstep = step;
  if (ModD != 16 || (Sym == 2 && deci > 1 && D == 16)) {
    if (step == D) fail("filter setting not valid, Check this case", kLineBeStepInvalid);
    os = negstep;
  }
  for (int j = 0; j < 16; ++j) SetBeReadBypass(j, 0);
  if (Sym == 0)
    for (int j = 0; j < D; ++j) SetBeReadBypass(j, 1);
  BeAreg.StepN = rem(negstep + ModD, ModD);
  BeAreg.r_SDepD = D - 1;
  BeAreg.r_SRecR = Rsync;
  BeAreg.r_SOffset = 0;
  BeAreg.w_WRecRL = RecW;
  BeAreg.w_SDepD = DstartEC;
  BeAreg.w_SRecR = Rsync;
  BeAreg.w_SOffset = os;
}

void AgenConf::SetSyncCount() {
  int tswtog = rem(quot(D, SWCntN + 1), 2) + 1;
  SyncCount = D * R * ModD * tswtog - 1;
}

// ---------------------------------------------------------------------------
// Setters: a bad index or value gives up the planning and stores nothing.

namespace {
template <int Size>
void store(int (&table)[Size], int a, int c, int max_value, const char* text, int line) {
  if (a < 0 || a >= Size || c < 0 || c > max_value) fail(text, line);
  table[a] = c;
}
}  // namespace

void AgenConf::SetFWAsTable(int a, int c) {
  store(FWAs_Table, a, c, 1, "Trying to Write FWAs_Table outside of array boundaries!",
        kLineFwasWrite);
}

void AgenConf::SetBWAsTable(int a, int c) {
  store(BWAs_Table, a, c, 1, "Trying to Write BWAs_Table outside of array boundaries!",
        kLineBwasWrite);
}

void AgenConf::SetBWAesTable(int a, int c) {
  store(BWAes_Table, a, c, 1, "Trying to Write BWAes_Table outside of array boundaries!",
        kLineBwaesWrite);
}

void AgenConf::SetBBLKeTable(int a, int c) {
  store(BBLKe_Table, a, c, 1, "Trying to Write BBLKe_Table outside of array boundaries",
        kLineBblkeWrite);
}

void AgenConf::SetBRAeTable(int a, int c) {
  store(BRAe_Table, a, c, 16, "AgenConf: Trying to Write BRAe_Table outside of array boundaries!",
        kLineBraeWrite);
}

void AgenConf::SetBWAeTable(int a, int c) {
  store(BWAe_Table, a, c, 16, "(AgenConf): Trying to Write BWAe_Table outside of array boundaries!",
        kLineBwaeWrite);
}

void AgenConf::SetSWTable(int a, int c) {
  store(SW_Table, a, c, 16, "(AgenConf): Trying to Write SW_Table outside of array boundaries!",
        kLineSwWrite);
}

void AgenConf::SetBeReadBypass(int a, int c) {
  store(BeReadBypass, a, c, 1,
        "(AgenConf): Trying to Write BeReadBypass Table outside of array boundaries!",
        kLineBeReadBypassWrite);
}

// ---------------------------------------------------------------------------
// Getters. Callers stay within the tables; an index outside reads 0.

namespace {
template <int Size>
int entry(const int (&table)[Size], int aa) {
  return aa >= 0 && aa < Size ? table[aa] : 0;
}

template <int Size>
int packed_mask(const int (&table)[Size]) {
  int mask = 0;
  for (int i = 0; i < 16; ++i) mask |= table[i] << i;
  return mask;
}
}  // namespace

int AgenConf::GetFWAsTable(int aa) { return entry(FWAs_Table, aa); }
int AgenConf::GetBWAsTable(int aa) { return entry(BWAs_Table, aa); }
int AgenConf::GetBRAeTable(int aa) { return entry(BRAe_Table, aa); }
int AgenConf::GetBBLKeTable(int aa) { return entry(BBLKe_Table, aa); }
int AgenConf::GetSWTable(int aa) { return entry(SW_Table, aa); }

int AgenConf::GetSymEn() { return Sym != 0 ? 1 : 0; }

int AgenConf::GetFWAs() { return packed_mask(FWAs_Table); }
int AgenConf::GetBWAs() { return packed_mask(BWAs_Table); }
int AgenConf::GetBRBypass() { return packed_mask(BeReadBypass); }

int AgenConf::GetFirClkCnt() {
  int reg = quot(inrate, interp) - 1;
  if (reg > 255) fail("(AgenConf): GetFirClkCnt too large!!!", kLineFirClkCnt);
  return reg & 255;
}

int AgenConf::GetBERAM(int aa) {
  if (aa < 0 || aa > 15) {
    myerrfun("(AgenConf): Trying to Read BERAM outside of boundaries!", kModule,
             kLineBeramRead);
    return 0;
  }
  return BWAe_Table[aa] | (BWAe_Table[aa + 16] << 4) | (BWAes_Table[aa] << 8) |
         (BRAe_Table[aa] << 9) | (BBLKe_Table[aa] << 13) | (BBLKe_Table[aa + 16] << 14);
}

int AgenConf::GetDataType() { return data - 1; }
