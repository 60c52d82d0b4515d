// The transmit sum tree and output formatter: sources, summing modes, the
// output-formatter word, the checks and the two debug lines, worked by hand.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "config.h"
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

bool has_all(const std::string& text, const std::vector<std::string>& parts) {
  for (const std::string& p : parts)
    if (text.find(p) == std::string::npos) return false;
  return true;
}

}  // namespace

// Each configuration with what it reports, the settings it gets and the
// parts of its debug lines: the sources (select = 1 + 2 x B source + 32 x A
// source, 16 more for a second summing level), the summing modes, the
// output-formatter word (its data, clock and bus outputs) and muxsel = 16 +
// sumsft + 64 + 512.
TEST(SumTree, ConfigurationsChecksAndSettings) {
  const std::string missed = "Error(config L587): toutf missed a case\n";
  const std::string paths = "Error(config L469): valid paths are 1, 2 or 4\n";
  const int kAny = -99;
  const struct {
    const char* what;
    int chanin, nsig, cmplx, rate;
    std::function<void()> extra;
    const char* anl;  // the whole analysis text, or null to look for parts
    std::vector<std::string> anl_parts;
    const char* values;
    std::vector<std::string> dbg_parts;
    int chanout = kAny;
  } cases[] = {
      // Sources (5, 6) with sumi2 3: 1 + 2x3 + 16 + 32x5; tofs1 = 0 + 1 + 64, muxsel = 8x2 + 1 + 512.
      {"four real channels into one full-rate output", 4, 1, 0, 1, [] {}, "", {},
       "sum_selI=183 sum_selQ=0 sum_ia=2 sum_qa=0 sum_ib=0 sum_qb=1 toutf_do=0 toutf_co=0 toutf_bo=0 "
       "toutf_quiet_CD=1 toutf_rnd_AB=1 toutf_rnd_CD=1",
       {"Debug(config L460): doxmit1x R1FN40N \n", "Debug(config L619):  0x8 0x41 0xb7  0x211 1 4 1 1\n\n"}, 1},
      // 1 + 2x3 + 32x5; 0x242F: data outputs 2, clock outputs 2, bus outputs 2.
      {"two complex outputs with split I/Q", 2, 2, 1, 1, [] { g.splitiq = 1; }, "", {},
       "sum_selI=167 sum_selQ=167 sum_ia=2 sum_qa=2 sum_ib=2 sum_qb=0 toutf_do=2 toutf_co=2 toutf_bo=2 "
       "toutf_quiet_CD=1", {}},
      // Sources (4, 1): 1 + 2x1 + 32x2.
      {"equal inputs and outputs pass straight through", 2, 2, 1, 1, [] { g.splitiq = 0; }, nullptr, {},
       "sum_selI=67 sum_selQ=67", {}},
      // Sources (6, 5): 1 + 2x5 + 32x3; 0x100C; sumsft 2 (two inputs per output).
      {"double-rate real output", 2, 1, 0, 2, [] {}, "", {},
       "sum_selI=107 sum_selQ=0 sum_ia=2 sum_qa=0 sum_ib=2 sum_qb=1 toutf_do=0 toutf_co=0 toutf_bo=1",
       {"doxmit1x R1TN20N \n", " 0x100c 0x41 0x6b  0x252 1 2 2 1\n"}},
      // Sources (4, 1), the B source dropped for one channel: 1 + 2x1.
      {"half-rate complex single channel", 1, 1, 1, 0, [] {}, "", {},
       "sum_selI=3 sum_selQ=3 sum_ib=0 sum_qb=1 toutf_halfcmplx_AB=1 toutf_halfcmplx_CD=1 toutf_bo=0", {}},
      // 1 + 2x3 + 32x5; 0x120E; sumsft 3 for one input per output.
      {"three signals are reported but still looked up", 4, 3, 0, 1, [] {},
       "Error(config L442): tout_nsig must be 1, 2 or 4\n", {}, "toutf_do=0 toutf_co=1 toutf_bo=1 sum_selI=167",
       {" 0x120e 0x41 0xa7  0x253 3 4 3 1\n"}, 3},
      // Sources (5, 0): select 7; no output signals: sumsft 0.
      {"a negative signal count fails the path and formatter checks", 2, -1, 0, 1, [] {}, nullptr,
       {paths + missed}, "toutf_do=0x1F toutf_co=7 toutf_bo=0xF", {" 0xffffffff 0x41 0x7  0x250 -1 2 0 1\n"}},
      {"zero signals never divide", 2, 0, 0, 1, [] {}, nullptr,
       {"Error(config L442): tout_nsig must be 1, 2 or 4\n", paths}, "", {" 0 2 0 1\n"}, 0},
      // Rate 3 reads the NUL that ends "HFT": the line stops there.
      {"a rate above double is rejected without sources", 2, 1, 1, 3, [] {}, nullptr,
       {"Error(config L443): tout_rate must be 0, 1 or 2 (half, full or double rate)\n",
        "Error(config L475): More than 4 output paths required to support your configuration\n", missed},
       "sum_selI=-1 sum_selQ=-1", {"Debug(config L460): doxmit1x C1\nError(config L475)"}},
      // A real output has no Q sources to choose; the rate letter lies beyond the text.
      {"rate 5", 2, 1, 0, 5, [] {}, nullptr, {}, "sum_selI=-1 sum_selQ=0", {"doxmit1x R1?N20N \n"}},
      {"three channels into the tree", 3, 1, 0, 1, [] {}, nullptr,
       {"Error(config L445): channels into sumtree must be 1, 2 or 4\n"}, "", {}},
      {"four double-rate channels", 4, 4, 0, 2, [] {}, nullptr,
       {"Error(config L462): can not generate 4 2x channels\n"}, "", {}},
      {"fewer channels than outputs", 1, 2, 0, 1, [] {}, nullptr,
       {"Error(config L463): Fewer channels being generated than output\n"}, "",
       {" 0x100c 0x41 0x7  0x250 2 1 0 1\n"}},  // sumsft 0
      {"half rate of real data", 2, 1, 0, 0, [] {}, nullptr,
       {"Error(config L465): 1/2 rate only for complex data\n", paths}, "", {}},
      {"sum input for several complex channels", 2, 2, 1, 1, [] { g.tout_sumin = 1; }, nullptr,
       {"Error(config L456): Can not use sumio for multiple complex channels\n"}, "", {}},
      // 16-bit sum input at normal resolution; the wide one takes 22 bits.
      {"sum input port", 2, 1, 0, 1, [] { g.tout_sumin = 1; }, "", {},
       "sum_ia=3 sum_qa=0 sum_ib=0 sum_in=2 toutf_sumin=1", {}},
      {"wide sum input", 2, 1, 0, 1, [] { g.tout_sumin = 1, g.tout_res = 1; }, nullptr, {},
       "sum_ia=1 sum_in=3", {}},
      {"illegal sum input combination", 2, 1, 0, 2, [] { g.tout_sumin = 1, g.tout_res = 1; }, nullptr,
       {"Error(config L549): Illegal sumin combination\n"}, "sum_in=-1", {}},
      {"sum input in transceive", 2, 1, 1, 1, [] { declare_modes(1, 2), g.tout_sumin = 1; }, nullptr,
       {"Error(config L483): Can not support sumio in transceive case\n"}, "", {}},
      {"two paths in transceive", 2, 2, 1, 1, [] { declare_modes(1, 2); }, nullptr,
       {"Error(config L482): Only 2 output paths available when in transceive\n"}, "", {}},
      // A powered-down receive pair does not make it transceive.
      {"powered-down receive pair", 2, 2, 1, 1,
       [] { declare_modes(1, 2), chan[2].powerdown = chan[3].powerdown = 1; }, "", {}, "", {}},
      {"sum input halves the paths", 2, 1, 1, 2, [] { g.tout_sumin = 1; }, nullptr,  // complex double rate: 4
       {"Error(config L478): Only 2 output paths available when sumio is active\n"}, "", {}},
      // Complementary outputs: normal resolution, differential; 0x800C.
      {"differential outputs", 2, 1, 0, 1, [] { g.tout_res = 2; }, "", {}, "toutf_bo=8 toutf_rnd_AB=1",
       {"doxmit1x R1FN20D \n"}},
      {"no such resolution", 2, 1, 0, 1, [] { g.tout_res = 3; },
       "Error(config L585): How did we get here, res/diff\nError(config L587): toutf missed a case\n", {}, "",
       {"doxmit1x R1F?20N \n"}},
      // The user's select is in the sum-tree word; tofs1 = 0 + 0 + 64.
      {"user values win and the CD rounding follows AB", 4, 1, 0, 1, [] { g.sum_selI = 5, g.toutf_rnd_AB = 0; },
       nullptr, {}, "sum_selI=5 toutf_rnd_CD=0", {" 0x8 0x40 0x5  0x211 1 4 1 0\n"}},
  };
  for (const auto& k : cases) {
    setup(k.chanin, k.nsig, k.cmplx, k.rate);
    k.extra();
    std::string anl = run();
    EXPECT_TRUE((!k.anl || anl == k.anl) && has_all(anl, k.anl_parts)) << k.what << anl;
    EXPECT_TRUE(holds(0, k.values)) << k.what;
    EXPECT_TRUE(has_all(output_text(kOutDbg), k.dbg_parts)) << k.what << output_text(kOutDbg);
    if (k.chanout != kAny) {
      EXPECT_EQ(g.chanout, k.chanout) << k.what;
    }
  }
}
