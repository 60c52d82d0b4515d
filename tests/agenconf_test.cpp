// The PFIR address-generator planner: case names and derived quantities, the
// rules and the tested-case lookup, the tables and registers of accepted
// cases, and the endings. Every expected value is worked by hand from the
// case's eight properties.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "agenconf.h"
#include "diag.h"
#include "driver.h"
#include "test_util.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

using Ints = std::vector<int>;

// N, R, D, RepC, ModC, OfsC, outrate, dataout, AcumCnt, AcumDly,
// forward_broadcast.
Ints derived(const AgenConf& a) {
  return {a.N,       a.R,       a.D,       a.RepC,    a.ModC,
          a.OfsC,    a.outrate, a.dataout, a.AcumCnt, a.AcumDly,
          a.forward_broadcast};
}

Ints pair_regs(const CAgenSReg& r) {
  return {r.StepN, r.r_SDepD, r.r_SRecR, r.r_SOffset, r.w_WRecRL, r.w_SDepD, r.w_SRecR, r.w_SOffset};
}

Ints agen_regs(const CAgenReg& r) { return {r.TogEn ? 1 : 0, r.ModD, r.DepD, r.RecR}; }

Ints coef_regs(const CCoefReg& r) { return {r.RepC, r.ModC, r.OfsC}; }

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

}  // namespace

// ---------------------------------------------------------------------------
// Names

TEST(CaseName, LettersForEveryProperty) {
  init();
  AC.Init();
  AC.SetName(1, 2, 1, 16, 32, 2, 16, 1);
  EXPECT_STREQ(AC.Getcasename(), "DCRgwEg1");
  AC.SetName(0, 1, 1, 4, 10, 1, 1, 2);
  EXPECT_STREQ(AC.Getcasename(), "SRR4aO12");
  EXPECT_EQ(AC.Getcasename(), AC.casename);
}

TEST(CaseName, DecodesEachLetterByItsPosition) {
  name_case("DCR3cO12");
  EXPECT_EQ((Ints{AC.diff, AC.data, AC.coef, AC.nchan, AC.inrate, AC.Sym, AC.deci, AC.interp}),
            (Ints{1, 2, 1, 3, 12, 1, 1, 2}));
  EXPECT_STREQ(AC.Getcasename(), "DCR3cO12");
}

TEST(CaseName, NameCaseFollowsTheFields) {
  name_case("SRR11N11");
  AC.nchan = 4;
  AC.inrate = 16;
  AC.Sym = 2;
  EXPECT_STREQ(AC.NameCase(), "SRR4gE11");
  EXPECT_STREQ(AC.casename, "SRR4gE11");
}

TEST(CaseName, FilterNameDebugNote) {
  init();
  open_test_output(kOutDbg);
  AC.Init();
  AC.SetName(0, 1, 1, 4, 8, 0, 1, 1);
  EXPECT_EQ(output_text(kOutDbg), "Debug(agenconf L133): Filter Name: SRR48N11\n");
  close_outputs();
}

// ---------------------------------------------------------------------------
// Derived quantities and the verdict

TEST(DerivedQuantities, OneChannelPassThrough) {
  name_case("SRR11N11");
  EXPECT_EQ(derived(AC), (Ints{1, 1, 1, 1, 1, 0, 1, 1, 1, 1, 1}));
}

TEST(DerivedQuantities, FourChannelsAtRateEight) {
  name_case("SRR48N11");
  EXPECT_EQ(derived(AC), (Ints{4, 1, 8, 4, 2, 0, 8, 1, 2, 4, 0}));
}

TEST(DerivedQuantities, ComplexDataDecimatingByTwo) {
  name_case("SCR48N21");
  EXPECT_EQ(derived(AC), (Ints{8, 1, 16, 8, 2, 0, 16, 2, 2, 8, 0}));
}

TEST(DerivedQuantities, DifferentCoefficientsKeepRepCAndModCPerChannel) {
  name_case("DRR34O31");
  EXPECT_EQ(derived(AC), (Ints{3, 1, 12, 1, 12, 0, 12, 1, 4, 3, 0}));
  name_case("SRR34O31");
  EXPECT_EQ(derived(AC), (Ints{3, 1, 12, 3, 4, 0, 12, 1, 4, 3, 0}));
}

TEST(DerivedQuantities, InterpolationByTwo) {
  name_case("SRR12O12");
  EXPECT_EQ(derived(AC), (Ints{1, 2, 1, 1, 2, 0, 1, 1, 1, 1, 0}));
}

TEST(ValidCase, TestedPassingCaseGivesTheDebugNote) {
  name_case("SRR11N11");
  open_test_output(kOutDbg);
  CaptureStderr();
  EXPECT_TRUE(AC.ValidCase());
  EXPECT_EQ(GetCapturedStderr(), "");
  EXPECT_STREQ(AC.GetReason(), "");
  EXPECT_EQ(AC.caseexist, 1);
  EXPECT_EQ(output_text(kOutDbg), "Debug(agenconf L338): ValidCase():SRR11N11 Tested and Passes!\n");
  EXPECT_EQ(exit_status, 0);
  close_outputs();
}

TEST(ValidCase, FailingCatalogueEntryIsReportedButStillValid) {
  init();
  open_test_output(kOutDbg);
  AC.Init();
  AC.SetName("SRR23O41");
  CaptureStderr();
  EXPECT_TRUE(AC.ValidCase());
  EXPECT_EQ(GetCapturedStderr(),
            "Error: Filter configuration SRR23O41 Tested with pcheck and Fails!\n");
  EXPECT_EQ(output_text(kOutDbg),
            "Debug(agenconf L133): Filter Name: SRR23O41\n"
            "Error(agenconf L551): Filter configuration SRR23O41 Tested with pcheck and Fails!\n"
            "Debug(agenconf L338): ValidCase():SRR23O41 Tested and Passes!\n");
  EXPECT_EQ(exit_status, 1);
  EXPECT_EQ(AC.caseexist, 1);
  close_outputs();
}

TEST(ValidCase, FailingEntryIsReportedEvenWhenQuiet) {
  name_case("DRR34O31");
  CaptureStderr();
  EXPECT_TRUE(AC.ValidCase(1));
  EXPECT_EQ(GetCapturedStderr(),
            "Error: Filter configuration DRR34O31 Tested with pcheck and Fails!\n");
}

TEST(ValidCase, UntriedCaseIsAnErrorButStillValid) {
  name_case("SRR55N11");
  EXPECT_EQ(derived(AC), (Ints{5, 1, 5, 5, 1, 0, 5, 1, 1, 5, 0}));
  CaptureStderr();
  EXPECT_TRUE(AC.ValidCase());
  EXPECT_EQ(GetCapturedStderr(), "Error: Untried filter configuration: SRR55N11!\n");
  EXPECT_EQ(AC.caseexist, 0);
  EXPECT_EQ(exit_status, 1);
}

TEST(ValidCase, QuietLookupSuppressesUntriedAndPassingReports) {
  name_case("SRR55N11");
  open_test_output(kOutDbg);
  CaptureStderr();
  EXPECT_TRUE(AC.ValidCase(1));
  EXPECT_EQ(GetCapturedStderr(), "");
  name_case("SRR11N11");
  open_test_output(kOutDbg);
  EXPECT_TRUE(AC.ValidCase(1));
  EXPECT_EQ(output_text(kOutDbg), "");
  EXPECT_EQ(exit_status, 0);
  close_outputs();
}

TEST(ValidCase, DecimationWithInterpolationIsRefusedAndUntried) {
  name_case("SRR22N22");
  CaptureStderr();
  EXPECT_FALSE(AC.ValidCase());
  EXPECT_EQ(GetCapturedStderr(), "Error: Untried filter configuration: SRR22N22!\n");
  EXPECT_STREQ(AC.GetReason(), "Current filter does not support, deci!=1&&interp!=1!");
}

TEST(ValidCase, ThreeChannelsAtRateFourWithSymmetryIsTheExtraCase) {
  name_case("SRR34O31");
  CaptureStderr();
  EXPECT_FALSE(AC.ValidCase());
  GetCapturedStderr();
  EXPECT_STREQ(AC.GetReason(), "extracase");
  name_case("DRR34O31");
  CaptureStderr();
  EXPECT_TRUE(AC.ValidCase());
  GetCapturedStderr();
  EXPECT_STREQ(AC.GetReason(), "");
}

TEST(ValidCase, DTooLargeReplacesModCOutOfRange) {
  name_case("DRR48N41");
  EXPECT_EQ(derived(AC), (Ints{4, 1, 32, 1, 32, 0, 32, 1, 8, 4, 0}));
  EXPECT_FALSE(AC.ValidCase(1));
  EXPECT_STREQ(AC.GetReason(), "D too large");
}

TEST(ValidCase, ShapeRulesLastOneWins) {
  struct Shape {
    const char* name;
    const char* reason;
  };
  const Shape shapes[] = {
      {"SRR21N21", "input data rate too fast!"},
      {"DRR14N11", "different coefs and only one channel!"},
      {"SRR14E12", "Symmetry cannot be even with interpolation!"},
      {"SRR16O13", "Symmetry cannot be odd beyond interpolate by 2!"},
      // Decimating and interpolating, too fast, and even with interpolation:
      // the last rule's text stays.
      {"SRR21E42", "Symmetry cannot be even with interpolation!"},
  };
  for (const Shape& s : shapes) {
    name_case(s.name);
    EXPECT_FALSE(AC.ValidCase(1)) << s.name;
    EXPECT_STREQ(AC.GetReason(), s.reason) << s.name;
  }
}

TEST(ValidCase, ArithmeticAndCapacityRules) {
  struct Rule {
    const char* name;
    const char* reason;
  };
  const Rule rules[] = {
      {"SRR13N12", "Calculation of D must have no remainder!"},  // 1*3 over 2
      {"SRR1wN11", "D too large"},                                // D = 32
      {"SRR23N11", "D must be a multiple of N"},                  // D 3, N 2
      {"SRR11Ng1", ""},                                            // ModC 16 still fits
      {"SRR1gN11", ""},                                            // D 16 still fits
      {"SCR48N21", ""},
      {"SCR13N21", ""},  // complex data at an odd rate
  };
  for (const Rule& r : rules) {
    name_case(r.name);
    AC.ValidCase(1);
    EXPECT_STREQ(AC.GetReason(), r.reason) << r.name;
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

TEST(ValidCase, AccumulatorDelayAndComplexCoefficients) {
  name_case("SRR99N11");  // AcumDly 9
  AC.ValidCase(1);
  EXPECT_STREQ(AC.GetReason(), "AcumDly too large");
  name_case("SRC12N11");  // coef 2: D = 1
  AC.ValidCase(1);
  EXPECT_STREQ(AC.GetReason(), "Can't do complex coefs yet");
  name_case("SCC12N21");
  AC.ValidCase(1);
  EXPECT_STREQ(AC.GetReason(), "Can't do complex by complex yet");
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
  EXPECT_EQ(GetCapturedStderr(),
            "Error: Filter configuration SRR11N11 Tested with pcheck and Fails!\n");
  EXPECT_EQ(AC.caseexist, 2);
}

// ---------------------------------------------------------------------------
// Tables and registers

TEST(Plan, PassThroughCase) {
  plan("SRR11N11");
  EXPECT_EQ(AC.GetFWAs(), 0x0001);
  EXPECT_EQ(AC.GetBWAs(), 0);
  EXPECT_FALSE(AC.LTogEn);
  EXPECT_EQ(AC.DstartEC, 0);
  EXPECT_EQ(entries(AC.BBLKe_Table), concat(Ints(16, 1), Ints(16, 0)));
  EXPECT_EQ(entries(AC.BRAe_Table), iota_from(0, 16));
  EXPECT_EQ(entries(AC.BWAe_Table), concat(iota_from(0, 16), iota_from(0, 16)));
  EXPECT_EQ(entries(AC.SW_Table), iota_from(0, 16));
  EXPECT_EQ(AC.SWCntN, 0);
  EXPECT_EQ(AC.ModD, 16);
  EXPECT_EQ(agen_regs(AC.Areg), (Ints{0, 0, 0, 0}));
  EXPECT_EQ(coef_regs(AC.CoefReg), (Ints{0, 0, 0}));
  EXPECT_EQ(pair_regs(AC.FAreg), Ints(8, 0));
  EXPECT_EQ(pair_regs(AC.BAreg), Ints(8, 0));
  EXPECT_EQ(pair_regs(AC.BeAreg), Ints(8, 0));
  EXPECT_EQ(AC.GetBRBypass(), 0x0001);
  EXPECT_EQ(AC.SyncCount, 31);
  EXPECT_EQ(AC.GetFirClkCnt(), 0);
  EXPECT_EQ(AC.GetBERAM(0), 0x2000);
  EXPECT_EQ(AC.GetBERAM(3), 0x2633);
  EXPECT_EQ(AC.GetSymEn(), 0);
  EXPECT_EQ(AC.GetDataType(), 0);
}

TEST(Plan, FourChannelsAtRateEight) {
  plan("SRR48N11");
  EXPECT_EQ(AC.GetFWAs(), 0x00F0);
  EXPECT_EQ(AC.GetBWAs(), 0);
  EXPECT_EQ(AC.DstartEC, 7);
  EXPECT_EQ(entries(AC.BBLKe_Table), concat(Ints(16, 1), Ints(16, 0)));
  EXPECT_EQ(entries(AC.BWAes_Table), Ints(32, 0));
  EXPECT_EQ(entries(AC.BRAe_Table), iota_from(0, 16));
  EXPECT_EQ(entries(AC.BWAe_Table), concat(iota_from(0, 16), iota_from(0, 16)));
  EXPECT_EQ(entries(AC.SW_Table), iota_from(0, 16));
  EXPECT_EQ(AC.SWCntN, 3);
  EXPECT_EQ(AC.ModD, 16);
  EXPECT_EQ(agen_regs(AC.Areg), (Ints{0, 0, 7, 0}));
  EXPECT_EQ(coef_regs(AC.CoefReg), (Ints{3, 1, 0}));
  EXPECT_EQ(pair_regs(AC.FAreg), (Ints{4, 7, 0, 0, 0, 4, 0, 0}));
  EXPECT_EQ(pair_regs(AC.BAreg), (Ints{12, 7, 0, 0, 0, 4, 0, 12}));
  EXPECT_EQ(pair_regs(AC.BeAreg), (Ints{12, 7, 0, 0, 0, 7, 0, 0}));
  EXPECT_EQ(entries(AC.BeReadBypass), concat(Ints(8, 1), Ints(8, 0)));
  EXPECT_EQ(AC.GetBRBypass(), 0x00FF);
  EXPECT_EQ(AC.SyncCount, 127);
  EXPECT_EQ(AC.GetFirClkCnt(), 7);
  EXPECT_EQ(AC.GetBERAM(0), 0x2000);
  EXPECT_EQ(AC.GetBERAM(1), 0x2211);
  EXPECT_EQ(AC.GetSymEn(), 0);
}

TEST(Plan, ComplexDataFillsTheWholeSwapOrder) {
  plan("SCR48N21");
  EXPECT_EQ(AC.GetFWAs(), 0xFFFF);
  EXPECT_EQ(AC.GetBWAs(), 0);
  EXPECT_EQ(AC.DstartEC, 15);
  EXPECT_EQ(entries(AC.BRAe_Table), iota_from(0, 16));
  EXPECT_EQ(entries(AC.BWAe_Table), concat(iota_from(0, 16), iota_from(0, 16)));
  EXPECT_EQ(entries(AC.SW_Table), concat(iota_from(8, 8), iota_from(0, 8)));
  EXPECT_EQ(AC.SWCntN, 15);
  EXPECT_EQ(AC.ModD, 16);
  EXPECT_EQ(agen_regs(AC.Areg), (Ints{0, 0, 15, 0}));
  EXPECT_EQ(coef_regs(AC.CoefReg), (Ints{7, 1, 0}));
  EXPECT_EQ(pair_regs(AC.FAreg), (Ints{0, 15, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(pair_regs(AC.BAreg), (Ints{0, 15, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(pair_regs(AC.BeAreg), (Ints{0, 15, 0, 0, 0, 15, 0, 0}));
  EXPECT_EQ(AC.GetBRBypass(), 0xFFFF);
  EXPECT_EQ(AC.SyncCount, 511);
  EXPECT_EQ(AC.GetFirClkCnt(), 7);
  EXPECT_EQ(AC.GetBERAM(0), 0x2000);
  EXPECT_EQ(AC.GetBERAM(5), 0x2A55);
  EXPECT_EQ(AC.GetDataType(), 1);
}

TEST(Plan, EvenSymmetryDecimatingByTwo) {
  plan("SRR24E21");
  EXPECT_EQ(AC.GetFWAs(), 0x00F0);
  EXPECT_EQ(AC.GetBWAs(), 0x000F);
  Ints bra = concat({2, 3, 0, 1}, iota_from(4, 12));
  EXPECT_EQ(entries(AC.BRAe_Table), bra);
  EXPECT_EQ(entries(AC.BWAe_Table), concat(concat({6, 7, 4, 5, 2, 3, 0, 1}, iota_from(8, 8)), bra));
  EXPECT_EQ(entries(AC.BWAes_Table), concat(concat(Ints(4, 1), Ints(12, 0)), concat(Ints(4, 1), Ints(12, 0))));
  EXPECT_EQ(entries(AC.BBLKe_Table), Ints(32, 0));
  EXPECT_EQ(entries(AC.SW_Table), bra);
  EXPECT_EQ(AC.SWCntN, 3);
  EXPECT_FALSE(AC.LTogEn);
  EXPECT_EQ(AC.DstartEC, 0);
  EXPECT_EQ(AC.ModD, 16);
  EXPECT_EQ(agen_regs(AC.Areg), (Ints{0, 0, 7, 0}));
  EXPECT_EQ(coef_regs(AC.CoefReg), (Ints{1, 3, 0}));
  EXPECT_EQ(pair_regs(AC.FAreg), (Ints{4, 7, 0, 0, 0, 4, 0, 0}));
  EXPECT_EQ(pair_regs(AC.BAreg), (Ints{12, 7, 0, 0, 0, 4, 0, 12}));
  EXPECT_EQ(pair_regs(AC.BeAreg), (Ints{12, 7, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(AC.GetBRBypass(), 0);
  EXPECT_EQ(AC.SyncCount, 127);
  EXPECT_EQ(AC.GetFirClkCnt(), 3);
  EXPECT_EQ(AC.GetBERAM(0), 0x0526);
  EXPECT_EQ(AC.GetBERAM(4), 0x0842);
  EXPECT_EQ(AC.GetSymEn(), 1);
}

TEST(Plan, OddSymmetryWithAShortenedDataModulus) {
  plan("SRR23O41");
  EXPECT_EQ(AC.GetFWAs(), 0x0FF0);
  EXPECT_EQ(AC.GetBWAs(), 0x00FF);
  EXPECT_EQ(AC.DstartEC, 10);
  EXPECT_EQ(entries(AC.BBLKe_Table), concat(Ints(2, 1), Ints(30, 0)));
  Ints bra = concat({7, 8, 5, 6, 3, 4, 1, 2}, iota_from(8, 8));
  EXPECT_EQ(entries(AC.BRAe_Table), bra);
  EXPECT_EQ(entries(AC.BWAe_Table), concat(concat({6, 7, 4, 5, 2, 3, 0, 1}, iota_from(8, 8)), bra));
  EXPECT_EQ(entries(AC.SW_Table), concat({6, 7, 4, 5, 2, 3, 0, 1}, iota_from(8, 8)));
  EXPECT_EQ(AC.SWCntN, 7);
  EXPECT_EQ(AC.ModD, 12);
  EXPECT_EQ(agen_regs(AC.Areg), (Ints{0, 12, 11, 0}));
  EXPECT_EQ(coef_regs(AC.CoefReg), (Ints{1, 5, 0}));
  EXPECT_EQ(pair_regs(AC.FAreg), (Ints{8, 11, 0, 0, 0, 4, 0, 0}));
  EXPECT_EQ(pair_regs(AC.BAreg), (Ints{4, 11, 0, 0, 0, 8, 0, 4}));
  EXPECT_EQ(pair_regs(AC.BeAreg), (Ints{4, 11, 0, 0, 0, 10, 0, 4}));
  EXPECT_EQ(AC.GetBRBypass(), 0);
  EXPECT_EQ(AC.SyncCount, 287);
  EXPECT_EQ(AC.GetFirClkCnt(), 2);
  EXPECT_EQ(AC.GetBERAM(0), 0x2F76);
  EXPECT_EQ(AC.GetBERAM(1), 0x3187);
}

TEST(Plan, DifferentCoefficientsThreeChannels) {
  plan("DRR34O31");
  EXPECT_EQ(AC.ModD, 12);
  EXPECT_EQ(coef_regs(AC.CoefReg), (Ints{0, 11, 0}));
  EXPECT_EQ(AC.BAreg.StepN, 3);
  EXPECT_EQ(AC.SWCntN, 8);
  EXPECT_EQ(AC.SyncCount, 287);
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
  EXPECT_TRUE(AC.LTogEn);
  EXPECT_EQ(AC.DstartEC, 0);
  EXPECT_EQ(entries(AC.SW_Table), concat({8, 7, 6, 5, 4, 3, 2, 1, 0}, iota_from(9, 7)));
  EXPECT_EQ(AC.SWCntN, 8);
  EXPECT_EQ(AC.GetFWAs(), 0x01FF);
  EXPECT_EQ(AC.GetBWAs(), 0x01FF);
  EXPECT_EQ(AC.ModD, 16);
  EXPECT_EQ(agen_regs(AC.Areg), (Ints{1, 0, 8, 0}));
  EXPECT_EQ(coef_regs(AC.CoefReg), (Ints{0, 8, 0}));
  EXPECT_EQ(pair_regs(AC.FAreg), (Ints{0, 8, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(pair_regs(AC.BAreg), (Ints{0, 8, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(pair_regs(AC.BeAreg), (Ints{0, 8, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(AC.SyncCount, 287);
  EXPECT_EQ(AC.GetBERAM(0), 0x6100);
  EXPECT_EQ(AC.GetBERAM(1), 0x1118);
}

TEST(Plan, OddSymmetryInterpolatingByTwoAtRateTwo) {
  plan("SRR12O12");
  EXPECT_EQ(AC.GetFWAs(), 0x0001);
  EXPECT_EQ(AC.GetBWAs(), 0x0001);
  EXPECT_EQ(entries(AC.BWAe_Table), Ints(32, 0));
  Ints bblke(32, 0);
  bblke[16] = 1;
  EXPECT_EQ(entries(AC.BBLKe_Table), bblke);
  EXPECT_EQ(agen_regs(AC.Areg), (Ints{1, 0, 0, 1}));
  EXPECT_EQ(coef_regs(AC.CoefReg), (Ints{0, 1, 0}));
  EXPECT_EQ(pair_regs(AC.FAreg), (Ints{0, 0, 1, 0, 1, 0, 1, 0}));
  EXPECT_EQ(pair_regs(AC.BAreg), (Ints{0, 0, 0, 0, 0, 1, 0, 0}));
  EXPECT_EQ(pair_regs(AC.BeAreg), (Ints{1, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(AC.SyncCount, 63);
  EXPECT_EQ(AC.GetFirClkCnt(), 0);
}

TEST(Plan, OtherInterpolatingCasesReloadTheBeWriteGenerator) {
  plan("SRR12N12");
  EXPECT_EQ(AC.BeAreg.w_WRecRL, 1);
  EXPECT_EQ(AC.BeAreg.StepN, 0);
  plan("SRR14O12");  // odd symmetry too, but D = 2
  EXPECT_EQ(AC.BeAreg.w_WRecRL, 1);
  EXPECT_EQ(AC.BeAreg.w_SOffset, 0);
  EXPECT_EQ(AC.DstartEC, 0);
}

TEST(Plan, WithoutSymmetryTheReadBypassCoversD) {
  plan("SRR1cN11");  // D = 12
  EXPECT_EQ(AC.GetBRBypass(), 0x0FFF);
}

TEST(Plan, FirClockCountAtTheHighestRate) {
  name_case("SRR1wN11");
  EXPECT_EQ(AC.GetFirClkCnt(), 31);
  name_case("SRR1wN12");
  EXPECT_EQ(AC.GetFirClkCnt(), 15);
}

TEST(Plan, BeramReadOutsideTheTableIsReportedAndReadsZero) {
  plan("SRR48N11");
  open_test_output(kOutDbg);
  CaptureStderr();
  EXPECT_EQ(AC.GetBERAM(16), 0);
  EXPECT_EQ(AC.GetBERAM(-1), 0);
  EXPECT_EQ(GetCapturedStderr(),
            "Error: (AgenConf): Trying to Read BERAM outside of boundaries!\n"
            "Error: (AgenConf): Trying to Read BERAM outside of boundaries!\n");
  EXPECT_EQ(output_text(kOutDbg),
            "Error(agenconf L1227): (AgenConf): Trying to Read BERAM outside of boundaries!\n"
            "Error(agenconf L1227): (AgenConf): Trying to Read BERAM outside of boundaries!\n");
  EXPECT_EQ(exit_status, 1);
  close_outputs();
}

TEST(Plan, TableGettersReadZeroOutsideTheirTables) {
  plan("SRR48N11");
  EXPECT_EQ(AC.GetSWTable(16), 0);
  EXPECT_EQ(AC.GetBWAeTable(31), 15);
  EXPECT_EQ(AC.GetBWAeTable(32), 0);
  EXPECT_EQ(AC.GetFWAsTable(-1), 0);
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
  EXPECT_EQ(derived(AC), Ints(11, 0));
}

TEST(Plan, UnsetInstanceCompletesTheTables) {
  init();
  AC.Init();
  AC.SetTables();  // all parameters 0: must neither trap nor end
  EXPECT_EQ(AC.SWCntN, -1);
  EXPECT_EQ(entries(AC.SW_Table), iota_from(0, 16));
}

// ---------------------------------------------------------------------------
// Endings (exit code -1 reaches the shell as 255)

using testing::Eq;
using testing::ExitedWithCode;

// The message line, then the label of the last field out of range.
TEST(AgenConfDeathTest, BadValuesNameTheLastOffendingField) {
  struct Bad {
    int v[8];
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
    std::string err = strfmt(" diff=%d data=%d coef=%d nchan=%d inrate=%d Sym=%d deci=%d interp=%d\n",
                             b.v[0], b.v[1], b.v[2], b.v[3], b.v[4], b.v[5], b.v[6], b.v[7]) +
                      "Error: Invalid Filter name " + b.label + "!\n";
    EXPECT_EXIT(
        {
          init();
          AC.Init();
          AC.SetName(b.v[0], b.v[1], b.v[2], b.v[3], b.v[4], b.v[5], b.v[6], b.v[7]);
        },
        ExitedWithCode(255), Eq(err))
        << b.label;
  }
}

TEST(AgenConfDeathTest, BadValueReportsTheValuesThenTheLabelAtItsLine) {
  const std::string values = " diff=0 data=1 coef=1 nchan=1 inrate=1 Sym=0 deci=1 interp=17\n";
  EXPECT_EXIT(
      {
        init();
        open_unbuffered_on_stderr(kOutDbg);
        AC.Init();
        AC.SetName(0, 1, 1, 1, 1, 0, 1, 17);
      },
      ExitedWithCode(255),
      Eq(values + values + error_both(118, "Invalid Filter name 7 (1-g) interpolation!")));
}

TEST(AgenConfDeathTest, BadNameLengthAtItsLine) {
  EXPECT_EXIT(
      {
        init();
        open_unbuffered_on_stderr(kOutDbg);
        AC.SetName("SRR11N1");
      },
      ExitedWithCode(255), Eq(error_both(60, "Invalid String Name!")));
}

TEST(AgenConfDeathTest, BadNames) {
  struct Bad {
    const char* name;
    const char* err;
  };
  const Bad bad[] = {
      {"SRR11N1", "Error: Invalid String Name!\n"},
      {"SRR11N111", "Error: Invalid String Name!\n"},
      // X is no coefficient letter: it decodes to 3.
      {"SRX11N11",
       " diff=0 data=1 coef=3 nchan=1 inrate=1 Sym=0 deci=1 interp=1\n"
       "Error: Invalid Filter name 2 Real/Complex coefs!\n"},
      // A blank data letter decodes to 0.
      {"S R11N11",
       " diff=0 data=0 coef=1 nchan=1 inrate=1 Sym=0 deci=1 interp=1\n"
       "Error: Invalid Filter name 1 Real/Complex data!\n"},
      // Count letters are lower case only.
      {"SRR1AN11",
       " diff=0 data=1 coef=1 nchan=1 inrate=33 Sym=0 deci=1 interp=1\n"
       "Error: Invalid Filter name 4 (1-w) Input Rate!\n"},
  };
  for (const Bad& b : bad) {
    EXPECT_EXIT(
        {
          init();
          AC.SetName(b.name);
        },
        ExitedWithCode(255), Eq(b.err))
        << b.name;
  }
}

TEST(AgenConfDeathTest, AccumulatorNotSet) {
  EXPECT_EXIT(
      {
        init();
        AC.Init();
        AC.SetName(0, 1, 1, 2, 1, 0, 1, 1);
      },
      ExitedWithCode(255), Eq("Error: Accumulator is not set properly: ACnt=0,Adly=2\n"));
}

TEST(AgenConfDeathTest, AccumulatorErrorReachesTheOpenFilesWithItsLine) {
  EXPECT_EXIT(
      {
        init();
        open_unbuffered_on_stderr(kOutDbg);
        AC.Init();
        AC.SetName(0, 1, 1, 2, 1, 0, 1, 1);
      },
      ExitedWithCode(255),
      Eq("Debug(agenconf L133): Filter Name: SRR21N11\n"
         "Error(agenconf L164): Accumulator is not set properly: ACnt=0,Adly=2\n"
         "Error: Accumulator is not set properly: ACnt=0,Adly=2\n"));
}

TEST(AgenConfDeathTest, RegistersBeforeAnyCase) {
  EXPECT_EXIT(
      {
        init();
        open_unbuffered_on_stderr(kOutDbg);
        AC.Init();
        AC.SetTables();
        AC.SetRegs();
      },
      ExitedWithCode(255), Eq(error_both(900, "Must SetName() before SetControl()")));
}

TEST(AgenConfDeathTest, FilterStepBeyondSixteen) {
  // Four channels decimating by 5: step 20.
  EXPECT_EXIT(
      {
        init();
        AC.Init();
        AC.SetName("SRR44N51");
        open_unbuffered_on_stderr(kOutDbg);
        AC.SetRegs();
      },
      ExitedWithCode(255), Eq(error_both(873, "Filter step out of range!")));
}

TEST(AgenConfDeathTest, NegativeBackwardStep) {
  // Five channels at rate 2 decimating by 3: step 15, D = ModD = 6, so
  // (6 - 15) mod 6 = -3.
  EXPECT_EXIT(
      {
        init();
        AC.Init();
        AC.SetName("SRR52N31");
        open_unbuffered_on_stderr(kOutDbg);
        AC.SetRegs();
      },
      ExitedWithCode(255), Eq(error_both(881, "negstep out of range!")));
}

TEST(AgenConfDeathTest, TablesOfARefusedCaseOverrunTheStrobes) {
  // SRR44N51: D = 20, so the forward strobes would reach address 19.
  EXPECT_EXIT(
      {
        init();
        AC.Init();
        AC.SetName("SRR44N51");
        AC.SetTables();
      },
      ExitedWithCode(255), Eq("Error: Trying to Write FWAs_Table outside of array boundaries!\n"));
}

TEST(AgenConfDeathTest, FirClockCountBeyondEightBits) {
  EXPECT_EXIT(
      {
        init();
        AC.Init();
        AC.SetName("SRR11N11");
        AC.inrate = 300;
        open_unbuffered_on_stderr(kOutDbg);
        AC.GetFirClkCnt();
      },
      ExitedWithCode(255), Eq(error_both(1216, "(AgenConf): GetFirClkCnt too large!!!")));
}

TEST(AgenConfDeathTest, SettersCheckIndexAndValue) {
  struct Setter {
    void (AgenConf::*set)(int, int);
    int a, c;
    int line;
    const char* text;
  };
  const Setter setters[] = {
      {&AgenConf::SetFWAsTable, 16, 0, 1129,
       "Trying to Write FWAs_Table outside of array boundaries!"},
      {&AgenConf::SetBWAsTable, 0, 2, 1136,
       "Trying to Write BWAs_Table outside of array boundaries!"},
      {&AgenConf::SetBWAesTable, 32, 1, 1144,
       "Trying to Write BWAes_Table outside of array boundaries!"},
      {&AgenConf::SetBBLKeTable, -1, 1, 1152,
       "Trying to Write BBLKe_Table outside of array boundaries"},
      {&AgenConf::SetBRAeTable, 3, 17, 1159,
       "AgenConf: Trying to Write BRAe_Table outside of array boundaries!"},
      {&AgenConf::SetBWAeTable, 31, -1, 1166,
       "(AgenConf): Trying to Write BWAe_Table outside of array boundaries!"},
      {&AgenConf::SetSWTable, 16, 16, 1173,
       "(AgenConf): Trying to Write SW_Table outside of array boundaries!"},
      {&AgenConf::SetBeReadBypass, 15, 2, 1180,
       "(AgenConf): Trying to Write BeReadBypass Table outside of array boundaries!"},
  };
  for (const Setter& s : setters) {
    EXPECT_EXIT(
        {
          init();
          open_unbuffered_on_stderr(kOutDbg);
          (AC.*s.set)(s.a, s.c);
        },
        ExitedWithCode(255), Eq(error_both(s.line, s.text)))
        << s.text;
  }
}

TEST(Setters, StoreInRangeValuesAtBothEnds) {
  init();
  AC.SetBWAeTable(31, 16);
  AC.SetBRAeTable(15, 16);
  AC.SetBBLKeTable(31, 1);
  AC.SetBeReadBypass(0, 1);
  EXPECT_EQ(AC.GetBWAeTable(31), 16);
  EXPECT_EQ(AC.GetBRAeTable(15), 16);
  EXPECT_EQ(AC.GetBBLKeTable(31), 1);
  EXPECT_EQ(AC.GetBeReadBypass(0), 1);
  AC.SetLTogEn(true);
  EXPECT_TRUE(AC.LTogEn);
}
