// The PFIR address-generator planner: case names and derived quantities, the
// rules and the tested-case lookup, the tables and registers of accepted
// cases, and the endings. Every expected value is worked by hand from the
// case's eight properties.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <tuple>
#include <vector>

#include "agenconf.h"
#include "diag.h"
#include "driver.h"
#include "test_util.h"

using std::make_tuple;
using std::tie;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

using Ints = std::vector<int>;

// N, R, D, RepC, ModC, OfsC, outrate, dataout, AcumCnt, AcumDly,
// forward_broadcast.
Ints derived() {
  const AgenConf& a = AC;
  return {a.N,       a.R,       a.D,       a.RepC,    a.ModC,           a.OfsC,
          a.outrate, a.dataout, a.AcumCnt, a.AcumDly, a.forward_broadcast};
}

// diff, data, coef, nchan, inrate, Sym, deci, interp.
Ints properties() { return {AC.diff, AC.data, AC.coef, AC.nchan, AC.inrate, AC.Sym, AC.deci, AC.interp}; }

// FWAs, BWAs, DstartEC, SWCntN, ModD, BRBypass, SyncCount, FirClkCnt.
Ints scalars() {
  return {AC.GetFWAs(), AC.GetBWAs(), AC.DstartEC, AC.SWCntN, AC.ModD, AC.GetBRBypass(), AC.SyncCount,
          AC.GetFirClkCnt()};
}

Ints pair_regs(const CAgenSReg& r) {
  return {r.StepN, r.r_SDepD, r.r_SRecR, r.r_SOffset, r.w_WRecRL, r.w_SDepD, r.w_SRecR, r.w_SOffset};
}

// The data generator (TogEn, ModD, DepD, RecR), the coefficient generator
// (RepC, ModC, OfsC), then the forward, backward and backward-even pairs.
void expect_registers(const Ints& agen, const Ints& coef, const Ints& fa, const Ints& ba, const Ints& bea) {
  EXPECT_EQ((Ints{AC.Areg.TogEn ? 1 : 0, AC.Areg.ModD, AC.Areg.DepD, AC.Areg.RecR}), agen);
  EXPECT_EQ((Ints{AC.CoefReg.RepC, AC.CoefReg.ModC, AC.CoefReg.OfsC}), coef);
  EXPECT_EQ(pair_regs(AC.FAreg), fa);
  EXPECT_EQ(pair_regs(AC.BAreg), ba);
  EXPECT_EQ(pair_regs(AC.BeAreg), bea);
}

template <int Size>
Ints entries(const int (&t)[Size], int from = 0, int count = Size) {
  return Ints(t + from, t + from + count);
}

Ints iota_from(int first, int count) {
  Ints v;
  for (int i = 0; i < count; ++i) v.push_back(first + i);
  return v;
}

Ints concat(Ints a, const Ints& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Resets the program and names a case as fir_config does.
void name_case(const char* name) {
  init();
  AC.Init();
  AC.Setdebug(1);
  AC.SetName(name);
}

// Names, validates (quietly as to standard error) and plans a case.
void plan(const char* name) {
  name_case(name);
  CaptureStderr();
  bool valid = AC.ValidCase();
  GetCapturedStderr();
  ASSERT_TRUE(valid) << name << ": " << AC.GetReason();
  AC.SetTables();
  AC.SetRegs();
}

// Opens the output file of `bit` on standard error, unbuffered, so that its
// located reports interleave with the short forms in call order.
void open_unbuffered_on_stderr(int bit) {
  // A duplicate descriptor shares standard error's file offset.
  std::FILE* f = fdopen(dup(2), "w");
  if (f) std::setvbuf(f, nullptr, _IONBF, 0);
  output_file(bit).reset(f);
  g.printout |= bit;
}

// An error as the open debug file (on standard error) and then standard
// error itself show it.
std::string error_both(int line, const std::string& text) {
  return strfmt("Error(agenconf L%d): %s\n", line, text.c_str()) + "Error: " + text + "\n";
}

// The refusal of a property out of range: the values (on both), then the
// label of the last field out of range.
std::string refusal(const Ints& v, const std::string& label) {
  std::string values = strfmt(" diff=%d data=%d coef=%d nchan=%d inrate=%d Sym=%d deci=%d interp=%d\n", v[0],
                              v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
  return values + values + error_both(118, "Invalid Filter name " + label + "!");
}

std::string filter_name_note(const char* name) {
  return strfmt("Debug(agenconf L133): Filter Name: %s\n", name);
}

}  // namespace

// ---------------------------------------------------------------------------
// Names

TEST(CaseName, LettersAndPropertiesBothWays) {
  struct Case {
    Ints props;
    const char* name;
  };
  const Case cases[] = {{{1, 2, 1, 16, 32, 2, 16, 1}, "DCRgwEg1"},
                        {{0, 1, 1, 4, 10, 1, 1, 2}, "SRR4aO12"},
                        {{1, 2, 1, 3, 12, 1, 1, 2}, "DCR3cO12"}};
  for (const Case& c : cases) {
    init();
    AC.Init();
    const Ints& p = c.props;
    AC.SetName(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]);
    EXPECT_STREQ(AC.Getcasename(), c.name);
    AC.Init();
    AC.SetName(c.name);
    EXPECT_EQ(properties(), p) << c.name;
  }
}

// ---------------------------------------------------------------------------
// Derived quantities and the verdict

TEST(DerivedQuantities, WorkedCases) {
  struct Case {
    const char* name;
    Ints derived;
  };
  const Case cases[] = {
      {"SRR11N11", {1, 1, 1, 1, 1, 0, 1, 1, 1, 1, 1}},    // one channel passing through
      {"SRR48N11", {4, 1, 8, 4, 2, 0, 8, 1, 2, 4, 0}},    // four channels at rate 8
      {"SCR48N21", {8, 1, 16, 8, 2, 0, 16, 2, 2, 8, 0}},  // complex data decimating by 2
      // Different coefficients keep RepC and ModC per channel.
      {"DRR34O31", {3, 1, 12, 1, 12, 0, 12, 1, 4, 3, 0}},
      {"SRR34O31", {3, 1, 12, 3, 4, 0, 12, 1, 4, 3, 0}},
      {"SRR12O12", {1, 2, 1, 1, 2, 0, 1, 1, 1, 1, 0}},  // interpolating by 2
      {"SRR55N11", {5, 1, 5, 5, 1, 0, 5, 1, 1, 5, 0}},
      {"DRR48N41", {4, 1, 32, 1, 32, 0, 32, 1, 8, 4, 0}},  // D and ModC beyond 16
  };
  for (const Case& c : cases) {
    name_case(c.name);
    EXPECT_EQ(derived(), c.derived) << c.name;
  }
}

// A case is valid exactly when no rule objects; of several objections the
// last one's text stays.
TEST(ValidCase, RulesAndTheirReasons) {
  struct Rule {
    const char* name;
    const char* reason;
  };
  const Rule rules[] = {
      {"SRR22N22", "Current filter does not support, deci!=1&&interp!=1!"},
      {"SRR21N21", "input data rate too fast!"},
      {"DRR14N11", "different coefs and only one channel!"},
      {"SRR14E12", "Symmetry cannot be even with interpolation!"},
      {"SRR16O13", "Symmetry cannot be odd beyond interpolate by 2!"},
      // Decimating and interpolating, too fast, and even with interpolation.
      {"SRR21E42", "Symmetry cannot be even with interpolation!"},
      {"SRR13N12", "Calculation of D must have no remainder!"},  // 1*3 over 2
      {"SRR1wN11", "D too large"},                                // D = 32
      {"DRR48N41", "D too large"},                                // rather than ModC out of range
      {"SRR23N11", "D must be a multiple of N"},                  // D 3, N 2
      {"SRR99N11", "AcumDly too large"},                          // AcumDly 9
      {"SRC12N11", "Can't do complex coefs yet"},                 // coef 2: D = 1
      {"SCC12N21", "Can't do complex by complex yet"},
      {"SRR34O31", "extracase"},  // three channels at rate 4 with symmetry
      {"DRR34O31", ""},
      {"SRR11Ng1", ""},  // ModC 16 still fits
      {"SRR1gN11", ""},  // D 16 still fits
      {"SCR48N21", ""},
      {"SCR13N21", ""},  // complex data at an odd rate
      {"SRR11N11", ""},
      {"SRR23O41", ""},  // a failing catalogue entry
      {"SRR55N11", ""},  // untried
  };
  for (const Rule& r : rules) {
    name_case(r.name);
    CaptureStderr();
    bool valid = AC.ValidCase(1);
    GetCapturedStderr();
    EXPECT_STREQ(AC.GetReason(), r.reason) << r.name;
    EXPECT_EQ(valid, r.reason[0] == '\0') << r.name;
  }
}

TEST(ValidCase, TooFewCyclesForTheComputeLoad) {
  // Four channels interpolating by 2 at rate 4 need 8 cycles per sample.
  // SetName refuses such a case (no accumulator count), so the
  // interpolation is set directly.
  name_case("SRR44N11");
  AC.interp = 2;
  EXPECT_FALSE(AC.ValidCase(1));
  EXPECT_STREQ(AC.GetReason(), "compute load too large");
}

// The catalogue lookup: a failing entry is always reported; untried cases
// and the passing note only without opt 1.
TEST(ValidCase, CatalogueLookupReports) {
  const std::string fails = "Filter configuration %s Tested with pcheck and Fails!";
  const std::string untried = "Untried filter configuration: %s!";
  struct Lookup {
    const char* name;
    int opt;
    std::string err, dbg;
    int caseexist, status;
  };
  const Lookup lookups[] = {
      {"SRR11N11", 0, "", "Debug(agenconf L338): ValidCase():SRR11N11 Tested and Passes!\n", 1, 0},
      {"SRR11N11", 1, "", "", 1, 0},
      {"SRR23O41", 0, "Error: " + strfmt(fails.c_str(), "SRR23O41") + "\n",
       "Error(agenconf L551): " + strfmt(fails.c_str(), "SRR23O41") +
           "\nDebug(agenconf L338): ValidCase():SRR23O41 Tested and Passes!\n",
       1, 1},
      {"DRR34O31", 1, "Error: " + strfmt(fails.c_str(), "DRR34O31") + "\n", "-", 1, 1},
      {"SRR55N11", 0, "Error: " + strfmt(untried.c_str(), "SRR55N11") + "\n", "-", 0, 1},
      {"SRR22N22", 0, "Error: " + strfmt(untried.c_str(), "SRR22N22") + "\n", "-", 0, 1},
      {"SRR55N11", 1, "", "", 0, 0},
  };
  for (const Lookup& l : lookups) {
    name_case(l.name);
    open_test_output(kOutDbg);
    CaptureStderr();
    AC.ValidCase(l.opt);
    EXPECT_EQ(GetCapturedStderr(), l.err) << l.name << " " << l.opt;
    if (l.dbg != "-") {
      EXPECT_EQ(output_text(kOutDbg), l.dbg) << l.name << " " << l.opt;
    }
    EXPECT_EQ(tie(AC.caseexist, exit_status), make_tuple(l.caseexist, l.status)) << l.name << " " << l.opt;
    close_outputs();
  }
}

TEST(ValidCase, FirCaseCheckCountsMatchesAndReportsFailures) {
  name_case("SRR11N11");
  AC.caseexist = 0;
  CaptureStderr();
  AC.fircasechk("SRR11N12", 0);
  AC.fircasechk("SRR11N11", 1);
  EXPECT_EQ(GetCapturedStderr(), "");
  EXPECT_EQ(AC.caseexist, 1);
  CaptureStderr();
  AC.fircasechk("SRR11N11", 0);
  EXPECT_EQ(GetCapturedStderr(), "Error: Filter configuration SRR11N11 Tested with pcheck and Fails!\n");
  EXPECT_EQ(AC.caseexist, 2);
}

// ---------------------------------------------------------------------------
// Tables and registers

TEST(Plan, PassThroughCase) {
  plan("SRR11N11");
  EXPECT_EQ(scalars(), (Ints{0x0001, 0, 0, 0, 16, 0x0001, 31, 0}));
  expect_registers({0, 0, 0, 0}, {0, 0, 0}, Ints(8, 0), Ints(8, 0), Ints(8, 0));
  EXPECT_EQ(entries(AC.BBLKe_Table), concat(Ints(16, 1), Ints(16, 0)));
  EXPECT_EQ(entries(AC.BRAe_Table), iota_from(0, 16));
  EXPECT_EQ(entries(AC.BWAe_Table), concat(iota_from(0, 16), iota_from(0, 16)));
  EXPECT_EQ(entries(AC.SW_Table), iota_from(0, 16));
  EXPECT_EQ(make_tuple(AC.LTogEn, AC.GetBERAM(0), AC.GetBERAM(3)), make_tuple(false, 0x2000, 0x2633));
  EXPECT_EQ(make_tuple(AC.GetSymEn(), AC.GetDataType()), make_tuple(0, 0));
}

TEST(Plan, FourChannelsAtRateEight) {
  plan("SRR48N11");
  EXPECT_EQ(scalars(), (Ints{0x00F0, 0, 7, 3, 16, 0x00FF, 127, 7}));
  expect_registers({0, 0, 7, 0}, {3, 1, 0}, {4, 7, 0, 0, 0, 4, 0, 0}, {12, 7, 0, 0, 0, 4, 0, 12},
                   {12, 7, 0, 0, 0, 7, 0, 0});
  EXPECT_EQ(entries(AC.BBLKe_Table), concat(Ints(16, 1), Ints(16, 0)));
  EXPECT_EQ(entries(AC.BWAes_Table), Ints(32, 0));
  EXPECT_EQ(entries(AC.BRAe_Table), iota_from(0, 16));
  EXPECT_EQ(entries(AC.BWAe_Table), concat(iota_from(0, 16), iota_from(0, 16)));
  EXPECT_EQ(entries(AC.SW_Table), iota_from(0, 16));
  EXPECT_EQ(entries(AC.BeReadBypass), concat(Ints(8, 1), Ints(8, 0)));
  EXPECT_EQ(make_tuple(AC.GetBERAM(0), AC.GetBERAM(1), AC.GetSymEn()), make_tuple(0x2000, 0x2211, 0));
}

TEST(Plan, ComplexDataFillsTheWholeSwapOrder) {
  plan("SCR48N21");
  EXPECT_EQ(scalars(), (Ints{0xFFFF, 0, 15, 15, 16, 0xFFFF, 511, 7}));
  expect_registers({0, 0, 15, 0}, {7, 1, 0}, {0, 15, 0, 0, 0, 0, 0, 0}, {0, 15, 0, 0, 0, 0, 0, 0},
                   {0, 15, 0, 0, 0, 15, 0, 0});
  EXPECT_EQ(entries(AC.BRAe_Table), iota_from(0, 16));
  EXPECT_EQ(entries(AC.BWAe_Table), concat(iota_from(0, 16), iota_from(0, 16)));
  EXPECT_EQ(entries(AC.SW_Table), concat(iota_from(8, 8), iota_from(0, 8)));
  EXPECT_EQ(make_tuple(AC.GetBERAM(0), AC.GetBERAM(5), AC.GetDataType()), make_tuple(0x2000, 0x2A55, 1));
}

TEST(Plan, EvenSymmetryDecimatingByTwo) {
  plan("SRR24E21");
  EXPECT_EQ(scalars(), (Ints{0x00F0, 0x000F, 0, 3, 16, 0, 127, 3}));
  expect_registers({0, 0, 7, 0}, {1, 3, 0}, {4, 7, 0, 0, 0, 4, 0, 0}, {12, 7, 0, 0, 0, 4, 0, 12},
                   {12, 7, 0, 0, 0, 0, 0, 0});
  Ints bra = concat({2, 3, 0, 1}, iota_from(4, 12));
  EXPECT_EQ(entries(AC.BRAe_Table), bra);
  EXPECT_EQ(entries(AC.BWAe_Table), concat(concat({6, 7, 4, 5, 2, 3, 0, 1}, iota_from(8, 8)), bra));
  Ints half = concat(Ints(4, 1), Ints(12, 0));
  EXPECT_EQ(entries(AC.BWAes_Table), concat(half, half));
  EXPECT_EQ(entries(AC.BBLKe_Table), Ints(32, 0));
  EXPECT_EQ(entries(AC.SW_Table), bra);
  EXPECT_EQ(make_tuple(AC.LTogEn, AC.GetBERAM(0), AC.GetBERAM(4), AC.GetSymEn()),
            make_tuple(false, 0x0526, 0x0842, 1));
}

TEST(Plan, OddSymmetryWithAShortenedDataModulus) {
  plan("SRR23O41");
  EXPECT_EQ(scalars(), (Ints{0x0FF0, 0x00FF, 10, 7, 12, 0, 287, 2}));
  expect_registers({0, 12, 11, 0}, {1, 5, 0}, {8, 11, 0, 0, 0, 4, 0, 0}, {4, 11, 0, 0, 0, 8, 0, 4},
                   {4, 11, 0, 0, 0, 10, 0, 4});
  EXPECT_EQ(entries(AC.BBLKe_Table), concat(Ints(2, 1), Ints(30, 0)));
  Ints swapped = concat({6, 7, 4, 5, 2, 3, 0, 1}, iota_from(8, 8));
  Ints bra = concat({7, 8, 5, 6, 3, 4, 1, 2}, iota_from(8, 8));
  EXPECT_EQ(entries(AC.BRAe_Table), bra);
  EXPECT_EQ(entries(AC.BWAe_Table), concat(swapped, bra));
  EXPECT_EQ(entries(AC.SW_Table), swapped);
  EXPECT_EQ(make_tuple(AC.GetBERAM(0), AC.GetBERAM(1)), make_tuple(0x2F76, 0x3187));
}

TEST(Plan, DifferentCoefficientsThreeChannels) {
  plan("DRR34O31");
  EXPECT_EQ(tie(AC.ModD, AC.BAreg.StepN, AC.SWCntN, AC.SyncCount), make_tuple(12, 3, 8, 287));
  EXPECT_EQ((Ints{AC.CoefReg.RepC, AC.CoefReg.ModC, AC.CoefReg.OfsC}), (Ints{0, 11, 0}));
  EXPECT_EQ(entries(AC.BBLKe_Table), concat(Ints(3, 1), Ints(29, 0)));
}

TEST(Plan, LongOddDecimationTakesTheLateOverride) {
  plan("SRR11O91");
  Ints bra = concat({0, 8, 7, 6, 5, 4, 3, 2, 1}, iota_from(9, 7));
  EXPECT_EQ(entries(AC.BRAe_Table), bra);
  EXPECT_EQ(entries(AC.BWAe_Table), concat(bra, iota_from(0, 16)));
  Ints bblke(32, 0);
  bblke[0] = bblke[16] = 1;
  EXPECT_EQ(entries(AC.BBLKe_Table), bblke);
  EXPECT_EQ(entries(AC.SW_Table), concat({8, 7, 6, 5, 4, 3, 2, 1, 0}, iota_from(9, 7)));
  EXPECT_EQ(tie(AC.LTogEn, AC.DstartEC, AC.SWCntN, AC.ModD, AC.SyncCount), make_tuple(true, 0, 8, 16, 287));
  EXPECT_EQ(make_tuple(AC.GetFWAs(), AC.GetBWAs(), AC.GetBERAM(0), AC.GetBERAM(1)),
            make_tuple(0x01FF, 0x01FF, 0x6100, 0x1118));
  Ints step_zero = {0, 8, 0, 0, 0, 0, 0, 0};
  expect_registers({1, 0, 8, 0}, {0, 8, 0}, step_zero, step_zero, step_zero);
}

TEST(Plan, OddSymmetryInterpolatingByTwoAtRateTwo) {
  plan("SRR12O12");
  EXPECT_EQ(make_tuple(AC.GetFWAs(), AC.GetBWAs(), AC.SyncCount, AC.GetFirClkCnt()),
            make_tuple(0x0001, 0x0001, 63, 0));
  EXPECT_EQ(entries(AC.BWAe_Table), Ints(32, 0));
  Ints bblke(32, 0);
  bblke[16] = 1;
  EXPECT_EQ(entries(AC.BBLKe_Table), bblke);
  expect_registers({1, 0, 0, 1}, {0, 1, 0}, {0, 0, 1, 0, 1, 0, 1, 0}, {0, 0, 0, 0, 0, 1, 0, 0},
                   {1, 0, 0, 0, 0, 0, 0, 0});
}

TEST(Plan, OtherInterpolatingCasesReloadTheBeWriteGenerator) {
  plan("SRR12N12");
  EXPECT_EQ(tie(AC.BeAreg.w_WRecRL, AC.BeAreg.StepN), make_tuple(1, 0));
  plan("SRR14O12");  // odd symmetry too, but D = 2
  EXPECT_EQ(tie(AC.BeAreg.w_WRecRL, AC.BeAreg.w_SOffset, AC.DstartEC), make_tuple(1, 0, 0));
}

TEST(Plan, ReadBypassAndClockCountAtTheLargestD) {
  plan("SRR1cN11");  // without symmetry the bypass covers D = 12
  EXPECT_EQ(AC.GetBRBypass(), 0x0FFF);
  name_case("SRR1wN11");
  EXPECT_EQ(AC.GetFirClkCnt(), 31);
  name_case("SRR1wN12");
  EXPECT_EQ(AC.GetFirClkCnt(), 15);
}

TEST(Plan, ReadsOutsideTheTablesGiveZero) {
  plan("SRR48N11");
  open_test_output(kOutDbg);
  CaptureStderr();
  EXPECT_EQ(make_tuple(AC.GetBERAM(16), AC.GetBERAM(-1)), make_tuple(0, 0));
  const std::string outside = "(AgenConf): Trying to Read BERAM outside of boundaries!\n";
  EXPECT_EQ(GetCapturedStderr(), "Error: " + outside + "Error: " + outside);
  EXPECT_EQ(output_text(kOutDbg), "Error(agenconf L1227): " + outside + "Error(agenconf L1227): " + outside);
  EXPECT_EQ(exit_status, 1);
  close_outputs();
  // The table getters do so quietly.
  EXPECT_EQ(make_tuple(AC.GetSWTable(16), AC.GetBWAeTable(31), AC.GetBWAeTable(32), AC.GetFWAsTable(-1)),
            make_tuple(0, 15, 0, 0));
}

TEST(Plan, InitKeepsSwapOrderIdentityAndWalkPairs) {
  init();
  AC.Init();
  EXPECT_EQ(entries(AC.SW_Table), iota_from(0, 16));
  EXPECT_EQ(entries(AC.decid, 0, 16), iota_from(1, 16));
  EXPECT_EQ(entries(AC.interpid, 0, 16), Ints(16, 1));
  EXPECT_EQ(entries(AC.decid, 16, 16), Ints(16, 1));
  EXPECT_EQ(entries(AC.interpid, 16, 16), iota_from(2, 16));
  EXPECT_EQ(AC.id, 0);
  EXPECT_EQ(derived(), Ints(11, 0));
  AC.SetTables();  // all parameters 0: must neither trap nor end
  EXPECT_EQ(AC.SWCntN, -1);
  EXPECT_EQ(entries(AC.SW_Table), iota_from(0, 16));
}

TEST(Setters, StoreInRangeValuesAtBothEnds) {
  init();
  AC.SetBWAeTable(31, 16);
  AC.SetBRAeTable(15, 16);
  AC.SetBBLKeTable(31, 1);
  AC.SetBeReadBypass(0, 1);
  AC.SetLTogEn(true);
  EXPECT_EQ(make_tuple(AC.GetBWAeTable(31), AC.GetBRAeTable(15), AC.GetBBLKeTable(31), AC.GetBeReadBypass(0),
                       AC.LTogEn),
            make_tuple(16, 16, 1, 1, true));
}

// ---------------------------------------------------------------------------
// Endings (exit code -1 reaches the shell as 255), with the debug file open
// on standard error.

using testing::Eq;
using testing::ExitedWithCode;

TEST(AgenConfDeathTest, PropertyOutOfRangeNamesTheLastOffendingField) {
  struct Bad {
    Ints v;
    const char* label;
  };
  const Bad bad[] = {
      {{0, 1, 1, 1, 1, 0, 1, 17}, "7 (1-g) interpolation"},
      {{2, 1, 1, 1, 1, 0, 1, 0}, "7 (1-g) interpolation"},  // diff is out of range too
      {{0, 2, 1, 1, -1, 0, 1, 2}, "4 (1-w) Input Rate"},    // a failed rate search
      {{-1, 1, 1, 1, 1, 0, 1, 1}, "0 Same/Diff coefs"},
      {{0, 3, 1, 1, 1, 0, 1, 1}, "1 Real/Complex data"},
      {{0, 1, 0, 1, 1, 0, 1, 1}, "2 Real/Complex coefs"},
      {{0, 1, 1, 17, 1, 0, 1, 1}, "3 Number of channels"},
      {{0, 1, 1, 1, 33, 0, 1, 1}, "4 (1-w) Input Rate"},
      {{0, 1, 1, 1, 1, 3, 1, 1}, "5 None/Odd/Even Symmetry"},
      {{0, 1, 1, 1, 1, 0, 0, 1}, "6 (1-g) decimation"},
  };
  for (const Bad& b : bad) {
    const Ints& v = b.v;
    EXPECT_EXIT(
        as_whole_run([&] {
          init();
          open_unbuffered_on_stderr(kOutDbg);
          AC.Init();
          AC.SetName(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
        }),
        ExitedWithCode(255), Eq(refusal(v, b.label)))
        << b.label;
  }
}

TEST(AgenConfDeathTest, EndingsAtTheirLines) {
  struct Ending {
    const char* what;
    void (*run)();
    std::string out;
  };
  const std::string accumulator = "Accumulator is not set properly: ACnt=0,Adly=2";
  const Ending endings[] = {
      {"seven letters", [] { AC.SetName("SRR11N1"); }, error_both(60, "Invalid String Name!")},
      {"nine letters", [] { AC.SetName("SRR11N111"); }, error_both(60, "Invalid String Name!")},
      // X is no coefficient letter: it decodes to 3.
      {"SRX11N11", [] { AC.SetName("SRX11N11"); }, refusal({0, 1, 3, 1, 1, 0, 1, 1}, "2 Real/Complex coefs")},
      // A blank data letter decodes to 0.
      {"S R11N11", [] { AC.SetName("S R11N11"); }, refusal({0, 0, 1, 1, 1, 0, 1, 1}, "1 Real/Complex data")},
      // Count letters are lower case only.
      {"SRR1AN11", [] { AC.SetName("SRR1AN11"); }, refusal({0, 1, 1, 1, 33, 0, 1, 1}, "4 (1-w) Input Rate")},
      {"accumulator", [] { AC.SetName(0, 1, 1, 2, 1, 0, 1, 1); },
       filter_name_note("SRR21N11") + error_both(164, accumulator)},
      {"registers before any case", [] { AC.SetTables(); AC.SetRegs(); },
       error_both(900, "Must SetName() before SetControl()")},
      // Four channels decimating by 5: step 20.
      {"step beyond 16", [] { AC.SetName("SRR44N51"); AC.SetRegs(); },
       filter_name_note("SRR44N51") + error_both(873, "Filter step out of range!")},
      // Five channels at rate 2 decimating by 3: step 15, D = ModD = 6, so
      // (6 - 15) mod 6 = -3.
      {"negative backward step", [] { AC.SetName("SRR52N31"); AC.SetRegs(); },
       filter_name_note("SRR52N31") + error_both(881, "negstep out of range!")},
      // SRR44N51 refused: D = 20, so the forward strobes would reach address 19.
      {"strobes of a refused case", [] { AC.SetName("SRR44N51"); AC.SetTables(); },
       filter_name_note("SRR44N51") +
           error_both(1129, "Trying to Write FWAs_Table outside of array boundaries!")},
      {"FIR clock count beyond 8 bits", [] { AC.SetName("SRR11N11"); AC.inrate = 300; AC.GetFirClkCnt(); },
       filter_name_note("SRR11N11") + error_both(1216, "(AgenConf): GetFirClkCnt too large!!!")},
      // The setters check index and value.
      {"FWAs", [] { AC.SetFWAsTable(16, 0); },
       error_both(1129, "Trying to Write FWAs_Table outside of array boundaries!")},
      {"BWAs", [] { AC.SetBWAsTable(0, 2); },
       error_both(1136, "Trying to Write BWAs_Table outside of array boundaries!")},
      {"BWAes", [] { AC.SetBWAesTable(32, 1); },
       error_both(1144, "Trying to Write BWAes_Table outside of array boundaries!")},
      {"BBLKe", [] { AC.SetBBLKeTable(-1, 1); },
       error_both(1152, "Trying to Write BBLKe_Table outside of array boundaries")},
      {"BRAe", [] { AC.SetBRAeTable(3, 17); },
       error_both(1159, "AgenConf: Trying to Write BRAe_Table outside of array boundaries!")},
      {"BWAe", [] { AC.SetBWAeTable(31, -1); },
       error_both(1166, "(AgenConf): Trying to Write BWAe_Table outside of array boundaries!")},
      {"SW", [] { AC.SetSWTable(16, 16); },
       error_both(1173, "(AgenConf): Trying to Write SW_Table outside of array boundaries!")},
      {"BeReadBypass", [] { AC.SetBeReadBypass(15, 2); },
       error_both(1180, "(AgenConf): Trying to Write BeReadBypass Table outside of array boundaries!")},
  };
  for (const Ending& e : endings) {
    EXPECT_EXIT(
        as_whole_run([&] {
          init();
          open_unbuffered_on_stderr(kOutDbg);
          AC.Init();
          e.run();
        }),
        ExitedWithCode(255), Eq(e.out))
        << e.what;
  }
}
