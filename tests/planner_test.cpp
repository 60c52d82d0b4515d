// The PFIR planner: case names, derived quantities, the rules and the table
// of tested cases, and the tables and registers of accepted cases. Every
// expected value is worked by hand from the case's eight properties.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "pfir/agenconf.h"
#include "diag.h"
#include "driver/driver.h"
#include "pfir/fircases.h"
#include "test_util.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

using Ints = std::vector<int>;

void name_case(const char* name) {
  init();
  AC.Init();
  AC.SetName(name);
}

// Names, validates quietly and plans a case.
void plan(const char* name) {
  name_case(name);
  CaptureStderr();
  bool valid = AC.ValidCase(1);
  GetCapturedStderr();
  ASSERT_TRUE(valid) << name << ": " << AC.GetReason();
  AC.SetTables();
  AC.SetRegs();
}

template <int Size>
Ints all(const int (&t)[Size]) { return Ints(t, t + Size); }

Ints pair_regs(const CAgenSReg& r) {
  return {r.StepN, r.r_SDepD, r.r_SRecR, r.r_SOffset, r.w_WRecRL, r.w_SDepD, r.w_SRecR, r.w_SOffset};
}

Ints up_from(int start, int count) {
  Ints v;
  for (int i = 0; i < count; ++i) v.push_back(start + i);
  return v;
}

Ints operator+(Ints a, const Ints& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// X in an expected list, or an empty list, is not worked out and not checked.
const int X = -99;
testing::AssertionResult agrees(const Ints& actual, const Ints& expected) {
  if (expected.empty()) return testing::AssertionSuccess();
  bool same = actual.size() == expected.size();
  for (size_t i = 0; same && i < actual.size(); ++i) same = expected[i] == X || expected[i] == actual[i];
  if (same) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "have " << testing::PrintToString(actual) << "\n  want "
                                     << testing::PrintToString(expected);
}

}  // namespace

// Eight properties (diff, data, coef, nchan, inrate, Sym, deci, interp)
// name a case and back.
TEST(Planner, CaseNamesAndPropertiesBothWays) {
  const struct {
    Ints p;
    const char* name;
  } cases[] = {{{1, 2, 1, 16, 32, 2, 16, 1}, "DCRgwEg1"}, {{0, 1, 1, 4, 10, 1, 1, 2}, "SRR4aO12"}};
  for (const auto& c : cases) {
    name_case(c.name);
    EXPECT_EQ((Ints{AC.diff, AC.data, AC.coef, AC.nchan, AC.inrate, AC.Sym, AC.deci, AC.interp}), c.p);
    AC.Init();
    AC.SetName(c.p[0], c.p[1], c.p[2], c.p[3], c.p[4], c.p[5], c.p[6], c.p[7]);
    EXPECT_STREQ(AC.Getcasename(), c.name);
  }
}

TEST(Planner, DerivedQuantities) {
  struct {
    const char* name;
    Ints derived;  // N, R, D, RepC, ModC, outrate, dataout, AcumCnt, AcumDly, forward_broadcast
  } cases[] = {
      {"SRR11N11", {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},    // one channel passing through
      {"SRR48N11", {4, 1, 8, 4, 2, 8, 1, 2, 4, 0}},    // four channels at rate 8
      {"SCR48N21", {8, 1, 16, 8, 2, 16, 2, 2, 8, 0}},  // complex data decimating by 2
      {"DRR34O31", {3, 1, 12, 1, 12, 12, 1, 4, 3, 0}},  // own coefficients per channel
      {"SRR34O31", {3, 1, 12, 3, 4, 12, 1, 4, 3, 0}},
      {"SRR12O12", {1, 2, 1, 1, 2, 1, 1, 1, 1, 0}},  // interpolating by 2
      {"SRR55N11", {5, 1, 5, 5, 1, 5, 1, 1, 5, 0}},
      {"DRR48N41", {4, 1, 32, 1, 32, 32, 1, 8, 4, 0}},  // D and ModC beyond 16
  };
  for (const auto& c : cases) {
    name_case(c.name);
    const AgenConf& a = AC;
    EXPECT_EQ((Ints{a.N, a.R, a.D, a.RepC, a.ModC, a.outrate, a.dataout, a.AcumCnt, a.AcumDly,
                    a.forward_broadcast}),
              c.derived)
        << c.name;
    EXPECT_EQ(a.OfsC, 0);
  }
}

// A case is valid exactly when no rule objects; of several objections the
// last one's text stays.
TEST(Planner, RulesAndTheirReasons) {
  const struct {
    const char* name;
    const char* reason;
  } rules[] = {
      {"SRR22N22", "Current filter does not support, deci!=1&&interp!=1!"},
      {"SRR21N21", "input data rate too fast!"},
      {"DRR14N11", "different coefs and only one channel!"},
      {"SRR14E12", "Symmetry cannot be even with interpolation!"},
      {"SRR16O13", "Symmetry cannot be odd beyond interpolate by 2!"},
      {"SRR21E42", "Symmetry cannot be even with interpolation!"},  // also too fast, two rates
      {"SRR13N12", "Calculation of D must have no remainder!"},     // 1 x 3 over 2
      {"SRR1wN11", "D too large"},                                  // D = 32
      {"DRR48N41", "D too large"},                                  // rather than ModC out of range
      {"SRR23N11", "D must be a multiple of N"},                    // D 3, N 2
      {"SRR99N11", "AcumDly too large"},                            // AcumDly 9
      {"SRC12N11", "Can't do complex coefs yet"},
      {"SCC12N21", "Can't do complex by complex yet"},
      {"SRR34O31", "extracase"},  // three channels at rate 4 with symmetry
      {"DRR34O31", ""},           // a failing catalogue entry is valid
      {"SRR11Ng1", ""},           // ModC 16 still fits
      {"SRR1gN11", ""},           // D 16 still fits
      {"SCR13N21", ""},           // complex data at an odd rate
      {"SRR55N11", ""},           // untried
  };
  for (const auto& r : rules) {
    name_case(r.name);
    CaptureStderr();
    bool valid = AC.ValidCase(1);
    GetCapturedStderr();
    EXPECT_STREQ(AC.GetReason(), r.reason) << r.name;
    EXPECT_EQ(valid, r.reason[0] == '\0') << r.name;
  }
  // Four channels interpolating by 2 at rate 4 need 8 cycles a sample.
  name_case("SRR44N11");
  AC.interp = 2;
  EXPECT_FALSE(AC.ValidCase(1));
  EXPECT_STREQ(AC.GetReason(), "compute load too large");
}

// The lookup reports a failing entry always, an untried case only without
// opt 1; caseexist counts the matches.
TEST(Planner, CatalogueLookup) {
  const struct {
    const char* name;
    int opt;
    const char* err;
    int caseexist, status;
  } lookups[] = {
      {"SRR11N11", 0, "", 1, 0},
      {"SRR23O41", 1, "Error: Filter configuration SRR23O41 Tested with pcheck and Fails!\n", 1, 1},
      {"SRR55N11", 0, "Error: Untried filter configuration: SRR55N11!\n", 0, 1},
      {"SRR55N11", 1, "", 0, 0},
  };
  for (const auto& l : lookups) {
    name_case(l.name);
    CaptureStderr();
    AC.ValidCase(l.opt);
    EXPECT_EQ(GetCapturedStderr(), l.err) << l.name;
    EXPECT_EQ(AC.caseexist, l.caseexist) << l.name;
    EXPECT_EQ(exit_status, l.status) << l.name;
  }
}

// Tables and registers of accepted cases. Scalars: FWAs, BWAs, DstartEC,
// SWCntN, ModD, BRBypass, SyncCount, FirClkCnt; data generator TogEn, ModD,
// DepD, RecR; coefficient generator RepC, ModC, OfsC; then the forward,
// backward and backward-even pairs.
TEST(Planner, TablesAndRegistersOfAcceptedCases) {
  const Ints zero8(8, 0), id16 = up_from(0, 16);
  const Ints swapped = Ints{6, 7, 4, 5, 2, 3, 0, 1} + up_from(8, 8);
  const struct {
    const char* name;
    Ints scalars, agen, coef, fa, ba, bea, bra, bwae, sw, bblke;
  } cases[] = {
      {"SRR11N11", {1, 0, 0, 0, 16, 1, 31, 0}, {0, 0, 0, 0}, {0, 0, 0}, zero8, zero8, zero8, id16, id16 + id16,
       id16, Ints(16, 1) + Ints(16, 0)},
      {"SRR48N11", {0xF0, 0, 7, 3, 16, 0xFF, 127, 7}, {0, 0, 7, 0}, {3, 1, 0}, {4, 7, 0, 0, 0, 4, 0, 0},
       {12, 7, 0, 0, 0, 4, 0, 12}, {12, 7, 0, 0, 0, 7, 0, 0}, id16, id16 + id16, id16,
       Ints(16, 1) + Ints(16, 0)},
      {"SCR48N21", {0xFFFF, 0, 15, 15, 16, 0xFFFF, 511, 7}, {0, 0, 15, 0}, {7, 1, 0}, {0, 15, 0, 0, 0, 0, 0, 0},
       {0, 15, 0, 0, 0, 0, 0, 0}, {0, 15, 0, 0, 0, 15, 0, 0}, id16, id16 + id16, up_from(8, 8) + up_from(0, 8),
       Ints(16, 1) + Ints(16, 0)},
      {"SRR24E21", {0xF0, 0xF, 0, 3, 16, 0, 127, 3}, {0, 0, 7, 0}, {1, 3, 0}, {4, 7, 0, 0, 0, 4, 0, 0},
       {12, 7, 0, 0, 0, 4, 0, 12}, {12, 7, 0, 0, 0, 0, 0, 0}, Ints{2, 3, 0, 1} + up_from(4, 12),
       swapped + Ints{2, 3, 0, 1} + up_from(4, 12), Ints{2, 3, 0, 1} + up_from(4, 12), Ints(32, 0)},
      {"SRR23O41", {0xFF0, 0xFF, 10, 7, 12, 0, 287, 2}, {0, 12, 11, 0}, {1, 5, 0}, {8, 11, 0, 0, 0, 4, 0, 0},
       {4, 11, 0, 0, 0, 8, 0, 4}, {4, 11, 0, 0, 0, 10, 0, 4}, Ints{7, 8, 5, 6, 3, 4, 1, 2} + up_from(8, 8),
       swapped + Ints{7, 8, 5, 6, 3, 4, 1, 2} + up_from(8, 8), swapped, Ints(2, 1) + Ints(30, 0)},
      // Odd decimation by 9: the late override of the read addresses.
      {"SRR11O91", {0x1FF, 0x1FF, 0, 8, 16, X, 287, X}, {1, 0, 8, 0}, {0, 8, 0}, {0, 8, 0, 0, 0, 0, 0, 0},
       {0, 8, 0, 0, 0, 0, 0, 0}, {0, 8, 0, 0, 0, 0, 0, 0}, Ints{0, 8, 7, 6, 5, 4, 3, 2, 1} + up_from(9, 7),
       Ints{0, 8, 7, 6, 5, 4, 3, 2, 1} + up_from(9, 7) + id16, Ints{8, 7, 6, 5, 4, 3, 2, 1, 0} + up_from(9, 7),
       Ints{1} + Ints(15, 0) + Ints{1} + Ints(15, 0)},
      {"SRR12O12", {1, 1, X, X, X, X, 63, 0}, {1, 0, 0, 1}, {0, 1, 0}, {0, 0, 1, 0, 1, 0, 1, 0},
       {0, 0, 0, 0, 0, 1, 0, 0}, {1, 0, 0, 0, 0, 0, 0, 0}, {}, Ints(32, 0), {}, Ints(16, 0) + Ints{1} + Ints(15, 0)},
  };
  for (const auto& c : cases) {
    plan(c.name);
    EXPECT_TRUE(agrees({AC.GetFWAs(), AC.GetBWAs(), AC.DstartEC, AC.SWCntN, AC.ModD, AC.GetBRBypass(), AC.SyncCount,
                        AC.GetFirClkCnt()},
                       c.scalars))
        << c.name;
    EXPECT_TRUE(agrees({AC.Areg.TogEn ? 1 : 0, AC.Areg.ModD, AC.Areg.DepD, AC.Areg.RecR}, c.agen)) << c.name;
    EXPECT_TRUE(agrees({AC.CoefReg.RepC, AC.CoefReg.ModC, AC.CoefReg.OfsC}, c.coef)) << c.name;
    EXPECT_TRUE(agrees(pair_regs(AC.FAreg), c.fa)) << c.name;
    EXPECT_TRUE(agrees(pair_regs(AC.BAreg), c.ba)) << c.name;
    EXPECT_TRUE(agrees(pair_regs(AC.BeAreg), c.bea)) << c.name;
    EXPECT_TRUE(agrees(all(AC.BRAe_Table), c.bra)) << c.name;
    EXPECT_TRUE(agrees(all(AC.BWAe_Table), c.bwae)) << c.name;
    EXPECT_TRUE(agrees(all(AC.SW_Table), c.sw)) << c.name;
    EXPECT_TRUE(agrees(all(AC.BBLKe_Table), c.bblke)) << c.name;
  }
  // The back-end RAM words: pass-through, four channels, even symmetry, odd.
  plan("SRR11N11");
  EXPECT_EQ((Ints{AC.GetBERAM(0), AC.GetBERAM(3)}), (Ints{0x2000, 0x2633}));
  plan("SRR24E21");
  EXPECT_EQ((Ints{AC.GetBERAM(0), AC.GetBERAM(4), AC.GetSymEn()}), (Ints{0x0526, 0x0842, 1}));
  plan("SRR23O41");
  EXPECT_EQ((Ints{AC.GetBERAM(0), AC.GetBERAM(1)}), (Ints{0x2F76, 0x3187}));
  plan("SRR11O91");
  EXPECT_EQ((Ints{AC.GetBERAM(0), AC.GetBERAM(1)}), (Ints{0x6100, 0x1118}));
}

// A property out of range ends the run (255) naming the last field at
// fault by its number.
TEST(PlannerDeathTest, PropertyOutOfRangeNamesTheLastOffendingField) {
  const struct {
    Ints v;
    const char* field;
  } bad[] = {{{2, 1, 1, 1, 1, 0, 1, 0}, "7"},  // diff and interp out of range: the last one
             {{0, 3, 1, 1, 1, 0, 1, 1}, "1"}, {{0, 1, 1, 17, 1, 0, 1, 1}, "3"},
             {{0, 1, 1, 1, 33, 0, 1, 1}, "4"}, {{0, 1, 1, 1, 1, 3, 1, 1}, "5"}, {{0, 1, 1, 1, 1, 0, 0, 1}, "6"}};
  for (const auto& b : bad) {
    const Ints& v = b.v;
    EXPECT_EXIT(as_whole_run([&] {
                  init();
                  AC.Init();
                  AC.SetName(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
                }),
        testing::ExitedWithCode(255), std::string("Error: Invalid Filter name ") + b.field + " ")
        << b.field;
  }
}

// The table of tested cases (the planner's walk, which the generator check
// regenerates): flag 0 on exactly the 59 cases whose test failed, and every
// entry accepted and found once.
TEST(Planner, TestedCases) {
  const std::set<std::string> failing = {
      "SRR23O41", "SRR2wO12", "SRR35O31", "SRR3uO12", "SRR46O21", "SCR13O41", "SCR1wO12", "SCR26O21", "SCR3oO12",
      "SRR13E51", "SRR14E41", "SRR15E31", "SRR18E21", "SRR23E21", "SRR23E41", "SRR24E21", "SRR25E21", "SRR26E21",
      "SRR27E21", "SRR28E21", "SRR35E31", "SRR3fE11", "SRR46E21", "SCR13E21", "SCR13E41", "SCR14E21", "SCR15E21",
      "SCR16E21", "SCR17E21", "SCR18E21", "SCR26E21", "SCR3cE11", "DRR23O41", "DRR34O31", "DRR35O31", "DRR46O21",
      "DCR24O11", "DCR26O21", "DCR28O11", "DCR2cO11", "DCR2gO11", "DCR36O11", "DCR3cO11", "DCR3oO12", "DCR48O11",
      "DCR4gO11", "DRR23E21", "DRR23E41", "DRR24E21", "DRR25E21", "DRR26E21", "DRR27E21", "DRR28E21", "DRR34E31",
      "DRR35E31", "DRR3fE11", "DRR46E21", "DCR26E21", "DCR3cE11"};
  ASSERT_EQ(failing.size(), 59u);
  ASSERT_EQ(nfircases, 831);
  init();
  for (int i = 0; i < nfircases; ++i) {
    EXPECT_EQ(fircases[i].pass, failing.count(fircases[i].name) ? 0 : 1) << fircases[i].name;
    AC.Init();  // the catalogue is not needed again for each entry
    AC.SetName(fircases[i].name);
    CaptureStderr();
    EXPECT_TRUE(AC.ValidCase(1)) << fircases[i].name << ": " << AC.GetReason();
    GetCapturedStderr();
    EXPECT_EQ(AC.caseexist, 1) << fircases[i].name;
  }
  init();
}
