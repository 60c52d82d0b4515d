// The transmit sum tree and output formatter: checks, sources, summing
// modes, the output-formatter word table and the two debug lines.
#include <gtest/gtest.h>

#include "config.h"
#include "records.h"
#include "test_util.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

// Both pairs transmitting; `chanin` signals into the tree and the requested
// output (signals, complex flag, rate).
void setup(int chanin, int nsig, int cmplx, int rate) {
  init();
  declare_modes(1, 1);
  for (CHAN& c : chan) c.powerdown = 0;
  g.chanin = chanin;
  g.tout_nsig = nsig;
  g.tout_cmplx = cmplx;
  g.tout_rate = rate;
}

// Runs the sum tree with the analysis and debug files open; returns what
// the analysis file received (errors and warnings).
std::string run() {
  open_test_output(kOutAnl);
  open_test_output(kOutDbg);
  CaptureStderr();
  sumtree_config();
  GetCapturedStderr();
  return output_text(kOutAnl);
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST(SumTree, FourRealChannelsIntoOneFullRateOutput) {
  setup(4, 1, 0, 1);
  std::string anl = run();
  EXPECT_EQ(anl, "");
  EXPECT_EQ(exit_status, 0);
  // Sources (5, 6) with sumi2 3: 1 + 2x3 + 16 + 32x5.
  EXPECT_EQ(g.sum_selI, 183);
  EXPECT_EQ(g.sum_selQ, 0);
  EXPECT_EQ(g.sum_ia, 2);
  EXPECT_EQ(g.sum_qa, 0);
  EXPECT_EQ(g.sum_ib, 0);
  EXPECT_EQ(g.sum_qb, 1);
  EXPECT_EQ(g.sum_in, 0);
  EXPECT_EQ(g.toutf_do, 0);
  EXPECT_EQ(g.toutf_co, 0);
  EXPECT_EQ(g.toutf_bo, 0);
  EXPECT_EQ(g.toutf_quiet_CD, 1);
  EXPECT_EQ(g.toutf_xmt_AB, 1);
  EXPECT_EQ(g.toutf_xmt_CD, 1);
  EXPECT_EQ(g.toutf_sumin, 0);
  EXPECT_EQ(g.toutf_halfcmplx_AB, 0);
  EXPECT_EQ(g.toutf_halfcmplx_CD, 0);
  EXPECT_EQ(g.toutf_rnd_AB, 1);
  EXPECT_EQ(g.toutf_rnd_CD, 1);
  EXPECT_EQ(g.chanin, 4);
  EXPECT_EQ(g.chanout, 1);
  // tofs1 = 0 + 1 + 64; muxsel = 8x2 + sumsft 1 + 512x1.
  EXPECT_EQ(output_text(kOutDbg),
            "Debug(config L460): doxmit1x R1FN40N \n"
            "Debug(config L619):  0x8 0x41 0xb7  0x211 1 4 1 1\n\n");
}

TEST(SumTree, NothingFeedsTheTree) {
  setup(0, 3, 0, 7);
  g.chanout = 9;
  std::string anl = run();
  EXPECT_EQ(anl, "");
  EXPECT_EQ(output_text(kOutDbg), "");
  EXPECT_EQ(g.chanout, 9);
  EXPECT_EQ(g.sum_selI, -1);
  EXPECT_EQ(g.toutf_do, -1);
}

TEST(SumTree, TwoComplexOutputsWithSplitIq) {
  setup(2, 2, 1, 1);
  g.splitiq = 1;
  EXPECT_EQ(run(), "");
  EXPECT_EQ(g.sum_selI, 1 + 2 * 3 + 32 * 5);
  EXPECT_EQ(g.sum_selQ, 1 + 2 * 3 + 32 * 5);
  EXPECT_EQ(g.sum_ia, 2);
  EXPECT_EQ(g.sum_qa, 2);
  EXPECT_EQ(g.sum_ib, 2);
  EXPECT_EQ(g.sum_qb, 0);
  // 0x242F: data outputs 2, clock outputs 2, bus outputs 2.
  EXPECT_EQ(g.toutf_do, 2);
  EXPECT_EQ(g.toutf_co, 2);
  EXPECT_EQ(g.toutf_bo, 2);
  EXPECT_EQ(g.toutf_quiet_CD, 1);
}

TEST(SumTree, EqualInputsAndOutputsPassStraightThrough) {
  setup(2, 2, 1, 1);
  g.splitiq = 0;
  run();
  // Sources (4, 1): 1 + 2x1 + 32x2.
  EXPECT_EQ(g.sum_selI, 67);
  EXPECT_EQ(g.sum_selQ, 67);
}

TEST(SumTree, DoubleRateRealOutput) {
  setup(2, 1, 0, 2);
  EXPECT_EQ(run(), "");
  // Sources (6, 5): 1 + 2x5 + 32x3.
  EXPECT_EQ(g.sum_selI, 107);
  EXPECT_EQ(g.sum_selQ, 0);
  EXPECT_EQ(g.sum_ia, 2);
  EXPECT_EQ(g.sum_qa, 0);
  EXPECT_EQ(g.sum_ib, 2);
  EXPECT_EQ(g.sum_qb, 1);
  // 0x100C
  EXPECT_EQ(g.toutf_do, 0);
  EXPECT_EQ(g.toutf_co, 0);
  EXPECT_EQ(g.toutf_bo, 1);
  EXPECT_TRUE(has(output_text(kOutDbg), "doxmit1x R1TN20N \n"));
  // sumsft 2 (two inputs per output): muxsel = 16 + 2 + 64 + 512.
  EXPECT_TRUE(has(output_text(kOutDbg), " 0x100c 0x41 0x6b  0x252 1 2 2 1\n"));
}

TEST(SumTree, HalfRateComplexSingleChannel) {
  setup(1, 1, 1, 0);
  EXPECT_EQ(run(), "");
  // Sources (4, 1), the B source dropped for one channel: 1 + 2x1.
  EXPECT_EQ(g.sum_selI, 3);
  EXPECT_EQ(g.sum_selQ, 3);
  EXPECT_EQ(g.sum_ib, 0);
  EXPECT_EQ(g.sum_qb, 1);
  EXPECT_EQ(g.toutf_halfcmplx_AB, 1);
  EXPECT_EQ(g.toutf_halfcmplx_CD, 1);
  EXPECT_EQ(g.toutf_bo, 0);
}

TEST(SumTree, ThreeSignalsAreReportedButStillLookedUp) {
  setup(4, 3, 0, 1);
  std::string anl = run();
  EXPECT_EQ(anl, "Error(config L442): tout_nsig must be 1, 2 or 4\n");
  // 0x120E
  EXPECT_EQ(g.toutf_do, 0);
  EXPECT_EQ(g.toutf_co, 1);
  EXPECT_EQ(g.toutf_bo, 1);
  EXPECT_EQ(g.sum_selI, 1 + 2 * 3 + 32 * 5);
  EXPECT_EQ(g.chanout, 3);
  // sumsft 3 for one input per output: muxsel = 16 + 3 + 64 + 512.
  EXPECT_TRUE(has(output_text(kOutDbg), " 0x120e 0x41 0xa7  0x253 3 4 3 1\n"));
}

TEST(SumTree, NegativeSignalCountFailsThePathAndFormatterChecks) {
  setup(2, -1, 0, 1);
  std::string anl = run();
  EXPECT_EQ(anl,
            "Error(config L469): valid paths are 1, 2 or 4\n"
            "Error(config L587): toutf missed a case\n");
  EXPECT_EQ(g.toutf_do, 0x1F);
  EXPECT_EQ(g.toutf_co, 7);
  EXPECT_EQ(g.toutf_bo, 0xF);
  // Sources (5, 0): select 7. No output signals: sumsft 0, so
  // muxsel = 16 + 0 + 64 + 512.
  EXPECT_TRUE(has(output_text(kOutDbg), " 0xffffffff 0x41 0x7  0x250 -1 2 0 1\n"));
}

TEST(SumTree, ZeroSignalsNeverDivide) {
  setup(2, 0, 0, 1);
  std::string anl = run();
  EXPECT_TRUE(has(anl, "Error(config L442): tout_nsig must be 1, 2 or 4\n"));
  EXPECT_TRUE(has(anl, "Error(config L469): valid paths are 1, 2 or 4\n"));
  EXPECT_EQ(g.chanout, 0);
  EXPECT_TRUE(has(output_text(kOutDbg), " 0 2 0 1\n"));
}

TEST(SumTree, RateAboveDoubleIsRejectedWithoutSources) {
  setup(2, 1, 1, 3);
  std::string anl = run();
  EXPECT_TRUE(has(anl, "Error(config L443): tout_rate must be 0, 1 or 2 (half, full or double rate)\n"));
  EXPECT_TRUE(has(anl, "Error(config L475): More than 4 output paths required to support your configuration\n"));
  EXPECT_TRUE(has(anl, "Error(config L587): toutf missed a case\n"));
  EXPECT_EQ(g.sum_selI, -1);
  EXPECT_EQ(g.sum_selQ, -1);
  // Rate 3 reads the NUL that ends "HFT": the line stops there.
  EXPECT_TRUE(has(output_text(kOutDbg), "Debug(config L460): doxmit1x C1\nError(config L475)"));

  setup(2, 1, 0, 5);
  run();
  EXPECT_EQ(g.sum_selI, -1);
  EXPECT_EQ(g.sum_selQ, 0);  // a real output has no Q sources to choose
  EXPECT_TRUE(has(output_text(kOutDbg), "doxmit1x R1?N20N \n"));  // beyond the text
}

TEST(SumTree, ShapeChecks) {
  setup(3, 1, 0, 1);
  EXPECT_TRUE(has(run(), "Error(config L445): channels into sumtree must be 1, 2 or 4\n"));
  setup(4, 4, 0, 2);
  EXPECT_TRUE(has(run(), "Error(config L462): can not generate 4 2x channels\n"));
  setup(1, 2, 0, 1);
  std::string anl = run();
  EXPECT_TRUE(has(anl, "Error(config L463): Fewer channels being generated than output\n"));
  EXPECT_TRUE(has(output_text(kOutDbg), " 0x100c 0x41 0x7  0x250 2 1 0 1\n"));  // sumsft 0
  setup(2, 1, 0, 0);
  anl = run();
  EXPECT_TRUE(has(anl, "Error(config L465): 1/2 rate only for complex data\n"));
  EXPECT_TRUE(has(anl, "Error(config L469): valid paths are 1, 2 or 4\n"));
  setup(2, 2, 1, 1);
  g.tout_sumin = 1;
  EXPECT_TRUE(has(run(), "Error(config L456): Can not use sumio for multiple complex channels\n"));
}

TEST(SumTree, SumInputPortDrivesTheSummingModes) {
  setup(2, 1, 0, 1);
  g.tout_sumin = 1;
  EXPECT_EQ(run(), "");
  EXPECT_EQ(g.sum_ia, 3);  // 16-bit sum input (normal resolution)
  EXPECT_EQ(g.sum_qa, 0);
  EXPECT_EQ(g.sum_ib, 0);
  EXPECT_EQ(g.sum_in, 2);
  EXPECT_EQ(g.toutf_sumin, 1);

  setup(2, 1, 0, 1);
  g.tout_sumin = 1;
  g.tout_res = 1;  // wide: the 22-bit sum input
  run();
  EXPECT_EQ(g.sum_ia, 1);
  EXPECT_EQ(g.sum_in, 3);
}

TEST(SumTree, IllegalSumInputCombination) {
  setup(2, 1, 0, 2);
  g.tout_sumin = 1;
  g.tout_res = 1;
  std::string anl = run();
  EXPECT_TRUE(has(anl, "Error(config L549): Illegal sumin combination\n"));
  EXPECT_EQ(g.sum_in, -1);
}

TEST(SumTree, TransceiveLimitsThePaths) {
  setup(2, 1, 1, 1);
  declare_modes(1, 2);
  g.chanin = 2;
  g.tout_nsig = 1;
  g.tout_sumin = 1;
  EXPECT_TRUE(has(run(), "Error(config L483): Can not support sumio in transceive case\n"));

  setup(2, 2, 1, 1);
  declare_modes(1, 2);
  g.chanin = 2;
  g.tout_nsig = 2;
  EXPECT_TRUE(has(run(), "Error(config L482): Only 2 output paths available when in transceive\n"));

  // A powered-down receive channel does not make it transceive.
  setup(2, 2, 1, 1);
  declare_modes(1, 2);
  chan[2].powerdown = chan[3].powerdown = 1;
  g.chanin = 2;
  g.tout_nsig = 2;
  EXPECT_EQ(run(), "");
}

TEST(SumTree, SumInputHalvesThePathsWithoutTransceive) {
  setup(2, 1, 1, 2);  // complex double rate: 4 paths
  g.tout_sumin = 1;
  EXPECT_TRUE(has(run(), "Error(config L478): Only 2 output paths available when sumio is active\n"));
}

TEST(SumTree, ResolutionAndDifferentialSignalling) {
  setup(2, 1, 0, 1);
  g.tout_res = 2;  // complementary outputs: normal resolution, differential
  EXPECT_EQ(run(), "");
  // 0x800C
  EXPECT_EQ(g.toutf_bo, 8);
  EXPECT_EQ(g.toutf_rnd_AB, 1);
  EXPECT_TRUE(has(output_text(kOutDbg), "doxmit1x R1FN20D \n"));

  setup(2, 1, 0, 1);
  g.tout_res = 3;
  std::string anl = run();
  EXPECT_EQ(anl,
            "Error(config L585): How did we get here, res/diff\n"
            "Error(config L587): toutf missed a case\n");
  EXPECT_TRUE(has(output_text(kOutDbg), "doxmit1x R1F?20N \n"));
}

TEST(SumTree, UserValuesWinAndTheCdRoundingFollowsAb) {
  setup(4, 1, 0, 1);
  g.sum_selI = 5;
  g.toutf_rnd_AB = 0;
  run();
  EXPECT_EQ(g.sum_selI, 5);
  EXPECT_EQ(g.toutf_rnd_CD, 0);
  // tofs1 = 0 + 0 + 64; the user's select is in the sum-tree word.
  EXPECT_TRUE(has(output_text(kOutDbg), " 0x8 0x40 0x5  0x211 1 4 1 0\n"));
}
