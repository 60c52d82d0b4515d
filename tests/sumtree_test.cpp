// The transmit sum tree and output formatter: sources, summing modes, the
// output-formatter word, the checks and the two debug lines, worked by hand.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "config/sumtree.h"
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

}  // namespace

// Each configuration with what it reports in the analysis file ("clean":
// nothing), the settings it gets and a part of its debug lines: the sources
// (select = 1 + 2 x B source + 32 x A source, 16 more for a second summing
// level), the summing modes, the output-formatter word (its data, clock and
// bus outputs) and muxsel = 16 + sumsft + 64 + 512.
TEST(SumTree, ConfigurationsChecksAndSettings) {
  const struct {
    const char* what;
    int chanin, nsig, cmplx, rate;
    std::function<void()> extra;
    const char* anl;
    const char* values;
    const char* dbg;
  } cases[] = {
      // Sources (5, 6) with sumi2 3: 1 + 2x3 + 16 + 32x5; tofs1 = 0 + 1 + 64, muxsel = 8x2 + 1 + 512.
      {"four real channels into one full-rate output", 4, 1, 0, 1, [] {}, "clean",
       "sum_selI=183 sum_selQ=0 sum_ia=2 sum_qa=0 sum_ib=0 sum_qb=1 toutf_do=0 toutf_co=0 toutf_bo=0 "
       "toutf_quiet_CD=1 toutf_rnd_AB=1 toutf_rnd_CD=1",
       "Debug(config L460): doxmit1x R1FN40N \nDebug(config L619):  0x8 0x41 0xb7  0x211 1 4 1 1\n\n"},
      // 1 + 2x3 + 32x5; 0x242F: data outputs 2, clock outputs 2, bus outputs 2.
      {"two complex outputs with split I/Q", 2, 2, 1, 1, [] { g.splitiq = 1; }, "clean",
       "sum_selI=167 sum_selQ=167 sum_ia=2 sum_qa=2 sum_ib=2 sum_qb=0 toutf_do=2 toutf_co=2 toutf_bo=2", ""},
      // Sources (4, 1): 1 + 2x1 + 32x2.
      {"equal inputs and outputs pass straight through", 2, 2, 1, 1, [] {}, "clean", "sum_selI=67 sum_selQ=67", ""},
      // Sources (6, 5): 1 + 2x5 + 32x3; 0x100C; sumsft 2 (two inputs per output).
      {"double-rate real output", 2, 1, 0, 2, [] {}, "clean",
       "sum_selI=107 sum_selQ=0 sum_ia=2 sum_ib=2 sum_qb=1 toutf_bo=1",
       "R1TN20N \nDebug(config L619):  0x100c 0x41 0x6b  0x252 1 2 2 1\n"},
      // Sources (4, 1), the B source dropped for one channel: 1 + 2x1.
      {"half-rate complex single channel", 1, 1, 1, 0, [] {}, "clean",
       "sum_selI=3 sum_selQ=3 sum_ib=0 sum_qb=1 toutf_halfcmplx_AB=1 toutf_halfcmplx_CD=1 toutf_bo=0", ""},
      // 1 + 2x3 + 32x5; 0x120E; sumsft 3 for one input per output.
      {"three signals are reported but still looked up", 4, 3, 0, 1, [] {}, "tout_nsig must be 1, 2 or 4",
       "toutf_do=0 toutf_co=1 toutf_bo=1 sum_selI=167", " 0x120e 0x41 0xa7  0x253 3 4 3 1\n"},
      // Sources (5, 0): select 7; no output signals: sumsft 0.
      {"a negative signal count", 2, -1, 0, 1, [] {}, "valid paths are 1, 2 or 4\nError(config L587): toutf missed",
       "toutf_do=0x1F toutf_co=7 toutf_bo=0xF", " 0xffffffff 0x41 0x7  0x250 -1 2 0 1\n"},
      {"zero signals never divide", 2, 0, 0, 1, [] {}, "valid paths are 1, 2 or 4", "", " 0 2 0 1\n"},
      // Rate 3 reads the NUL that ends "HFT": the line stops there.
      {"a rate above double", 2, 1, 1, 3, [] {}, "More than 4 output paths required", "sum_selI=-1 sum_selQ=-1",
       "Debug(config L460): doxmit1x C1\nError(config L475)"},
      {"three channels into the tree", 3, 1, 0, 1, [] {}, "channels into sumtree must be 1, 2 or 4", "", ""},
      {"four double-rate channels", 4, 4, 0, 2, [] {}, "can not generate 4 2x channels", "", ""},
      {"fewer channels than outputs", 1, 2, 0, 1, [] {}, "Fewer channels being generated than output", "",
       " 0x100c 0x41 0x7  0x250 2 1 0 1\n"},  // sumsft 0
      {"half rate of real data", 2, 1, 0, 0, [] {}, "1/2 rate only for complex data", "", ""},
      {"sum input, complex", 2, 2, 1, 1, [] { g.tout_sumin = 1; }, "Can not use sumio for multiple complex", "", ""},
      // 16-bit sum input at normal resolution; the wide one takes 22 bits.
      {"sum input port", 2, 1, 0, 1, [] { g.tout_sumin = 1; }, "clean", "sum_ia=3 sum_ib=0 sum_in=2 toutf_sumin=1",
       ""},
      {"wide sum input", 2, 1, 0, 1, [] { g.tout_sumin = 1, g.tout_res = 1; }, "clean", "sum_ia=1 sum_in=3", ""},
      {"illegal sum input", 2, 1, 0, 2, [] { g.tout_sumin = 1, g.tout_res = 1; }, "Illegal sumin", "sum_in=-1", ""},
      {"sum input in transceive", 2, 1, 1, 1, [] { declare_modes(1, 2), g.tout_sumin = 1; },
       "Can not support sumio in transceive case", "", ""},
      {"two paths in transceive", 2, 2, 1, 1, [] { declare_modes(1, 2); },
       "Only 2 output paths available when in transceive", "", ""},
      {"sum input halves the paths", 2, 1, 1, 2, [] { g.tout_sumin = 1; },
       "Only 2 output paths available when sumio is active", "", ""},
      // Complementary outputs: normal resolution, differential; 0x800C.
      {"differential outputs", 2, 1, 0, 1, [] { g.tout_res = 2; }, "clean", "toutf_bo=8", "R1FN20D \n"},
      {"no such resolution", 2, 1, 0, 1, [] { g.tout_res = 3; }, "How did we get here, res/diff", "", "R1F?20N \n"},
      // The user's select is in the sum-tree word; tofs1 = 0 + 0 + 64.
      {"user values win, CD rounding follows AB", 4, 1, 0, 1, [] { g.sum_selI = 5, g.toutf_rnd_AB = 0; }, "clean",
       "sum_selI=5 toutf_rnd_CD=0", " 0x8 0x40 0x5  0x211 1 4 1 0\n"},
  };
  for (const auto& k : cases) {
    setup(k.chanin, k.nsig, k.cmplx, k.rate);
    k.extra();
    std::string anl = run();
    EXPECT_TRUE(std::string(k.anl) == "clean" ? anl.empty() : anl.find(k.anl) != std::string::npos) << k.what << anl;
    EXPECT_TRUE(holds(0, k.values)) << k.what;
    EXPECT_NE(output_text(kOutDbg).find(k.dbg), std::string::npos) << k.what << output_text(kOutDbg);
  }
}
