// The PFIR plan of one channel: input rates, the planner's registers copied
// through setparam, the RAM tables and the coefficient layout.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "firconfig.h"
#include "records.h"
#include "test_util.h"

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

namespace {

void fill_coefs(CHAN& c, int ncoefs) {
  c.powerdown = 0;
  c.ncoefs = ncoefs;
  c.coefsym = 0;
  for (int i = 0; i < ncoefs; ++i) c.coefs[i] = i + 1;
}

// Channel A receiving real data (split-I/Q on) through a CIC of 4
// (ncic 3), with `ncoefs` coefficients 1, 2, 3, ...
CHAN& receive_channel(int ncoefs, int fir_dec) {
  init();
  declare_modes(2, 2);
  g.splitiqAB = 1;
  g.splitiqCD = 1;
  CHAN& c = chan[0];
  fill_coefs(c, ncoefs);
  c.ncic = 3;
  c.fir_dec = fir_dec;
  return c;
}

// Channel A transmitting real data with interpolation `fir_int`.
CHAN& transmit_channel(int ncoefs, int fir_int, int ncic) {
  init();
  declare_modes(1, 1);
  CHAN& c = chan[0];
  fill_coefs(c, ncoefs);
  c.ncic = ncic;
  c.fir_int = fir_int;
  c.tinf_cmplx = 0;
  return c;
}

// fir_config on channel A with the debug and analysis files open; standard
// output and error are captured so that the test log stays clean.
int plan(std::string* out = nullptr) {
  open_test_output(kOutDbg);
  open_test_output(kOutAnl);
  CaptureStdout();
  CaptureStderr();
  int result = fir_config(&chan[0], 0);
  GetCapturedStderr();
  std::string o = GetCapturedStdout();
  if (out) *out = o;
  return result;
}

std::vector<int> rates_of(const CHAN& c) {
  std::vector<int> v;
  for (int r : c.possible_inrate)
    if (r != -1) v.push_back(r);
  return v;
}

std::vector<int> ram_words(const CHAN& c, int from, int count) {
  return std::vector<int>(c.coefram + from, c.coefram + from + count);
}

bool all_zero(const int* a, int n) {
  for (int i = 0; i < n; ++i)
    if (a[i] != 0) return false;
  return true;
}

}  // namespace

// SRR11N41: D 4, N 1, ModC 4, AcumCnt 4, no symmetry.
TEST(FirPlan, SixtyFourTapsDecimatingByFour) {
  CHAN& c = receive_channel(64, 4);
  ASSERT_EQ(plan(), 1);
  EXPECT_EQ(c.inrate, 1);
  // Multiples of one stream while r x 4 stays within 16, up to ncic + 1.
  EXPECT_EQ(rates_of(c), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(output_text(kOutDbg),
            "Debug(firconfig L27): fir_config()\n"
            "Debug(firconfig L81): inrate=Min inrate=1, Max inrate=4\n"
            "Debug(agenconf L133): Filter Name: SRR11N41\n"
            "Debug(agenconf L338): ValidCase():SRR11N41 Tested and Passes!\n"
            "fir_config(): name=SRR11N41, Mininrate=1, Maxinrate=4\n"
            "Debug(firconfig L253): ncoef=64 Sym=0 hnn=64 hxx=64\n");
  EXPECT_EQ(exit_status, 0);
  EXPECT_TRUE(holds(0, "fir_cmplx=0 fir_sym=0 coef_modc=3 coef_ofsc=0 coef_repc=0 coef_sym=0 coef_zerofr=0 "
                       "agen_depd=3 agen_recr=0 agen_modd=0 agen_togen=0 fragen_sdepd=3 fwagen_sdepd=0 "
                       "bewagen_sdepd=3 fwa_strobe=0x000F bwa_strobe=0 beagen_rbypass=0xffff fir_sync_cnt=127 "
                       "fir_clk_cnt=0 fir_clk_cnt_en=1 swap_ra_cnt=3 swap_wa_cnt=3 acc_dly=0 acc_cnt=3 "
                       "acc_dly0=1 acc_bypass=0 acc_enram=0"));
  // Final receive settings.
  EXPECT_TRUE(holds(0, "fir_half=0 fir_rnd20=1 fir_xeni=0 fir_xenq=0 swap_fb=0 fir_fb=0 swap_xmt=0 "
                       "fir_en_sync_cnt=1"));
  EXPECT_EQ((std::vector<int>(c.swapram, c.swapram + 5)), (std::vector<int>{3, 2, 1, 0, 4}));
  // Identity maps with block enables, plus both block bits for no symmetry.
  EXPECT_EQ(c.beram[0], 0x6000);
  EXPECT_EQ(c.beram[1], 0x6211);
  // Groups of four reversed per cell of 16 words.
  EXPECT_EQ(ram_words(c, 0, 16), (std::vector<int>{4, 3, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(ram_words(c, 16, 5), (std::vector<int>{8, 7, 6, 5, 0}));
  EXPECT_EQ(ram_words(c, 240, 5), (std::vector<int>{64, 63, 62, 61, 0}));
}

TEST(FirPlan, SixtySixTapsRoundUpToRateTwo) {
  CHAN& c = receive_channel(66, 4);
  ASSERT_EQ(plan(), 1);
  EXPECT_EQ(c.inrate, 2);
  EXPECT_TRUE(has_all(output_text(kOutDbg),
                      {"Debug(firconfig L76): Quens inrate error hit increasing xx by one\n",
                       "name=SRR12N41, Mininrate=2, Maxinrate=4\n"}));
  EXPECT_EQ(c.coef_modc, 7);
  // Eight coefficients per cell; the ninth cell holds the last two.
  EXPECT_EQ(ram_words(c, 0, 8), (std::vector<int>{8, 7, 6, 5, 4, 3, 2, 1}));
  EXPECT_EQ(ram_words(c, 128, 8), (std::vector<int>{0, 0, 0, 0, 0, 0, 66, 65}));
}

TEST(FirPlan, RealInputWithBypassedMixerIsOneStream) {
  receive_channel(64, 4).bypass_mix = 1;
  g.splitiqAB = 0;
  g.rin_cmplx = 0;
  ASSERT_EQ(plan(), 1);
  EXPECT_TRUE(holds(0, "fir_cmplx=0 swap_cmplx=0"));
}

TEST(FirPlan, ComplexReceiveDoublesTheRate) {
  CHAN& c = receive_channel(64, 4);
  g.splitiqAB = 0;
  c.ncic = 7;
  ASSERT_EQ(plan(), 1);
  EXPECT_EQ(c.inrate, 2);
  // Multiples of two streams with r x 4 <= 16.
  EXPECT_EQ(rates_of(c), (std::vector<int>{2, 4}));
  EXPECT_TRUE(contains(output_text(kOutDbg), "name=SCR12N41, Mininrate=2, Maxinrate=8\n"));
  // AcumDly 2 and AcumCnt 4 (output rate 8 over two streams).
  EXPECT_TRUE(holds(0, "fir_cmplx=1 swap_cmplx=1 acc_dly=1 acc_cnt=3 acc_dly0=0 acc_bypass=0 acc_enram=1 "
                       "fir_clk_cnt=1 fir_clk_cnt_en=1"));
}

TEST(FirPlan, UserValueWinsAndItsDependantsFollow) {
  CHAN& c = receive_channel(64, 4);
  g.splitiqAB = 0;
  c.ncic = 7;
  c.acc_cnt = 0;
  c.fragen_stepn = 9;
  ASSERT_EQ(plan(), 1);
  EXPECT_TRUE(holds(0, "acc_cnt=0 fragen_stepn=9 acc_bypass=1 acc_dly0=0 acc_enram=0"));
}

// Output rates 1..4 give input rates 2, 4, 6, 8 with 32, 64, 96, 128 taps;
// ModC 4 with two phases lays the reversed group t3 t2 t1 t0 out as
// t3 t1 t2 t0.
TEST(FirPlan, TransmitPicksTheSmallestRateHoldingAllTapsAndInterleavesThePhases) {
  CHAN& c = transmit_channel(40, 2, 3);
  std::string out;
  ASSERT_EQ(plan(&out), 1);
  EXPECT_EQ(rates_of(c), (std::vector<int>{2, 4, 6, 8}));
  EXPECT_EQ(c.inrate, 4);
  std::string dbg = output_text(kOutDbg);
  EXPECT_TRUE(contains(dbg, "Debug(firconfig L81): inrate=Min inrate=6, Max inrate=8\n"));
  EXPECT_TRUE(contains(dbg,
                       "Debug(firconfig L100): Possible setting inrate=2 ntaps allowed=32\n"
                       "Debug(firconfig L100): Possible setting inrate=4 ntaps allowed=64\n"
                       "Debug(firconfig L100): Possible setting inrate=6 ntaps allowed=96\n"
                       "Debug(firconfig L100): Possible setting inrate=8 ntaps allowed=128\n"
                       "Debug(firconfig L112): I set inrateT to 4\n"));
  EXPECT_TRUE(contains(dbg, "name=SRR14N12"));
  EXPECT_EQ(out, "\n");  // one empty line per interpolating plan
  EXPECT_EQ(exit_status, 0);
  EXPECT_EQ(ram_words(c, 0, 5), (std::vector<int>{4, 2, 3, 1, 0}));
  EXPECT_EQ(ram_words(c, 16, 5), (std::vector<int>{8, 6, 7, 5, 0}));
  EXPECT_EQ(ram_words(c, 144, 5), (std::vector<int>{40, 38, 39, 37, 0}));
  EXPECT_TRUE(all_zero(c.coefram + 160, 96));
}

// Input rate 4 over interpolation 2, minus 1, for the clock count; the
// user's data type wins over the input's.
TEST(FirPlan, TransmitFinalSettings) {
  CHAN& c = transmit_channel(40, 2, 3);
  c.tinf_cmplx = 1;
  c.fir_cmplx = 0;
  ASSERT_EQ(plan(), 1);
  EXPECT_TRUE(holds(0, "fir_rnd20=0 fir_xeni=1 fir_xenq=1 swap_xmt=1 fir_clk_cnt=1 agen_recr=1 agen_togen=1"));
}

TEST(FirPlan, TransmitSymmetricAccumulatorsHoldTwiceTheTaps) {
  CHAN& c = transmit_channel(63, 2, 3);
  c.coefsym = 1;  // odd symmetry kept by interpolation 2
  ASSERT_EQ(plan(), 1);
  EXPECT_EQ(c.fir_sym, 1);
  // 2 x 32 - 1 = 63 taps at output rate 1 already.
  EXPECT_TRUE(contains(output_text(kOutDbg), "Possible setting inrate=2 ntaps allowed=63\n"));
  EXPECT_EQ(c.inrate, 2);
}

// SRR11N11: D and R are 1, so the filter broadcasts forward.
TEST(FirPlan, WithoutCicTheClockCountIsFixed) {
  receive_channel(16, 1).ncic = 0;
  ASSERT_EQ(plan(), 1);
  EXPECT_TRUE(holds(0, "fir_clk_cnt=1 fir_clk_cnt_en=0 coef_zerofr=1 swap_fb=1 fir_fb=1"));
}

// 16 of the 31 coefficients fill time words 16..31, that is cells 8..15;
// the read bypass comes from the planner, with no block bits added.
TEST(FirLayout, OddSymmetricSetStoresItsFirstHalfRightAligned) {
  CHAN& c = receive_channel(31, 2);
  c.coefsym = 1;
  ASSERT_EQ(plan(), 1);
  EXPECT_EQ(c.fir_sym, 1);
  EXPECT_TRUE(contains(output_text(kOutDbg), "name=SRR11O21"));
  EXPECT_TRUE(contains(output_text(kOutDbg), "Debug(firconfig L253): ncoef=31 Sym=1 hnn=16 hxx=32\n"));
  EXPECT_TRUE(all_zero(c.coefram, 128));
  EXPECT_EQ(ram_words(c, 128, 3), (std::vector<int>{2, 1, 0}));
  EXPECT_EQ(ram_words(c, 240, 3), (std::vector<int>{16, 15, 0}));
  EXPECT_EQ(c.beagen_rbypass, 0);
  EXPECT_EQ(c.beram[0] & 0x4000, 0);
}

TEST(FirLayout, UserOffsetShiftsTheLayoutUpToTheLastWord) {
  CHAN& c = receive_channel(64, 4);
  c.coef_ofsc = 12;  // the last used word, 15 x 16 + 3, lands on 255
  ASSERT_EQ(plan(), 1);
  EXPECT_EQ(c.coef_ofsc, 12);
  EXPECT_TRUE(all_zero(c.coefram, 12));
  EXPECT_EQ(ram_words(c, 12, 4), (std::vector<int>{4, 3, 2, 1}));
  EXPECT_EQ(ram_words(c, 252, 4), (std::vector<int>{64, 63, 62, 61}));
}

TEST(FirLayoutDeathTest, OffsetPastTheLastWordEndsTheRun) {
  for (int offset : {13, -2}) {  // -1 would read as unset
    EXPECT_EXIT(
        as_whole_run([&] {
          receive_channel(64, 4).coef_ofsc = offset;
          fir_config(&chan[0], 0);
        }),
        testing::ExitedWithCode(255), "Error: coefram\\[\\] writing out of boundaries, check coef_ofsc\n");
  }
}

// Decimating a transmit filter by 2 at output rate 3 gives input rate 1:
// two coefficients per cell, 32 in all, for 40 taps. The registers are
// copied all the same.
TEST(FirLayout, MoreTapsThanTheCellsHold) {
  CHAN& c = transmit_channel(40, 1, 2);
  c.fir_dec = 2;
  ASSERT_EQ(plan(), -1);
  EXPECT_EQ(rates_of(c), (std::vector<int>{0, 1, 1}));
  EXPECT_EQ(c.inrate, 1);
  EXPECT_EQ(output_text(kOutAnl),
            "Error(firconfig L236): More taps defined than are computationally available.\n\n"
            " Sym=NONEMaximum taps = 32");
  EXPECT_EQ(c.coef_modc, 1);
  EXPECT_TRUE(all_zero(c.coefram, 256));
}

TEST(FirLayout, SeveralChannelsInOneFilterAreRefused) {
  CHAN& c = receive_channel(32, 1);
  c.fir_nchan = 2;
  ASSERT_EQ(plan(), -1);
  EXPECT_TRUE(contains(output_text(kOutAnl),
                       "Error(firconfig L225): Can not handle multiple channels in a single fir yet.\n"));
  EXPECT_EQ(c.acc_dly, 1);  // two channels share the accumulator
  EXPECT_TRUE(all_zero(c.coefram, 256));
}

// Decimation and interpolation together are refused.
TEST(FirPlan, RejectedCaseLeavesTheVariables) {
  CHAN& c = receive_channel(16, 1);
  c.fir_int = 2;
  c.fir_dec = 2;
  ASSERT_EQ(plan(), 0);
  EXPECT_TRUE(contains(output_text(kOutAnl),
                       "Error(agenconf L343): Untried filter configuration: SRR12N22!\n"));
  EXPECT_EQ(c.coef_modc, -1);
  EXPECT_EQ(c.inrate, 2);
  EXPECT_TRUE(all_zero(c.coefram, 256));
}

TEST(FirPlan, ZeroDivisorsOfALiveChannelAreReportedAndNotPlanned) {
  CHAN& c = receive_channel(64, 0);
  c.fir_nchan = 0;
  ASSERT_EQ(plan(), 0);
  EXPECT_EQ(output_text(kOutAnl),
            "Error(firconfig L70): fir_dec must not be 0; PFIR of channel 0 not planned\n"
            "Error(firconfig L70): fir_nchan must not be 0; PFIR of channel 0 not planned\n");
  EXPECT_EQ(c.inrate, -1);
  EXPECT_TRUE(rates_of(c).empty());
  EXPECT_EQ(c.coef_modc, -1);
  receive_channel(64, 4).fir_int = 0;
  ASSERT_EQ(plan(), 0);
  EXPECT_TRUE(contains(output_text(kOutAnl), "fir_int must not be 0"));
}

TEST(FirPlanDeathTest, LiveChannelsEndTheRunWhereThePlanCannotGoOn) {
  EXPECT_EXIT(
      as_whole_run([] {
        CHAN& c = transmit_channel(32, 2, 0);
        c.tinf_cmplx = 1;
        fir_config(&c, 0);
      }),
      testing::ExitedWithCode(255),
      "Error: Trouble setting up pfir\n"
      "Error: Maximum number of taps for this config 0\n"
      ".*Error: Invalid Filter name 4 \\(1-w\\) Input Rate!");
  // The accumulator case that a powered-down channel escapes.
  EXPECT_EXIT(
      as_whole_run([] {
        receive_channel(16, 1).fir_nchan = 2;
        fir_config(&chan[0], 0);
      }),
      testing::ExitedWithCode(255), "Error: Accumulator is not set properly: ACnt=0,Adly=2");
}

// No coefficients and no decimation, as a powered-down receive channel that
// the mandatory check let through: nothing is defaulted or planned.
TEST(FirPoweredDown, IncompleteChannelIsLeftSilently) {
  CHAN& c = receive_channel(0, -1);
  c.ncoefs = -1;
  c.powerdown = 1;
  ASSERT_EQ(plan(), 0);
  EXPECT_EQ(c.fir_cmplx, -1);
  EXPECT_EQ(c.fir_sym, -1);
  EXPECT_TRUE(all_zero(c.swapram, 16));
  EXPECT_TRUE(all_zero(c.beram, 16));
}

TEST(FirPoweredDown, EachFailingSettingIsCaught) {
  const struct {
    const char* what;
    std::function<void()> make;
  } cases[] = {
      {"no coefficients", [] { receive_channel(0, -1).ncoefs = -1; }},
      {"unset fir_dec", [] { receive_channel(64, -1); }},
      {"fir_dec 17", [] { receive_channel(64, 17); }},
      {"fir_int 0", [] { receive_channel(64, 4).fir_int = 0; }},
      {"fir_nchan 17", [] { receive_channel(64, 4).fir_nchan = 17; }},
      {"fir_diff 2", [] { receive_channel(64, 4).fir_diff = 2; }},
      {"data type 2", [] { receive_channel(64, 4).fir_cmplx = 2; }},
      {"symmetry 3", [] { receive_channel(64, 4).fir_sym = 3; }},
      {"no taps", [] { receive_channel(0, 4); }},
      {"input rate 64", [] { receive_channel(512, 1).fir_cmplx = 1; }},
      {"negative ncic", [] { receive_channel(64, 4).ncic = -2; }},
      {"accumulator", [] { receive_channel(16, 1).fir_nchan = 2; }},
      {"transmit without coefficients", [] { transmit_channel(0, -1, 0).ncoefs = -1; }},
      {"transmit without interpolation", [] { transmit_channel(32, -1, 0); }},
      // Live, this one ends the run.
      {"transmit without a qualifying rate", [] {
         CHAN& c = transmit_channel(32, 2, 0);
         c.tinf_cmplx = 1;
         c.fir_cmplx = 1;
       }},
  };
  for (const auto& k : cases) {
    k.make();
    CHAN& c = chan[0];
    c.powerdown = 1;
    c.possible_inrate[0] = 3;
    EXPECT_EQ(plan(), 0) << k.what;
    EXPECT_EQ(output_text(kOutDbg), "") << k.what;
    EXPECT_EQ(exit_status, 0) << k.what;
    EXPECT_EQ(c.inrate, -1) << k.what;
    EXPECT_TRUE(rates_of(c).empty()) << k.what;
    EXPECT_TRUE(all_zero(c.coefram, 256)) << k.what;
  }
}

TEST(FirPoweredDown, CompleteChannelIsPlannedAsUsual) {
  CHAN& c = receive_channel(64, 4);
  c.powerdown = 1;
  ASSERT_EQ(plan(), 1);
  EXPECT_EQ(c.inrate, 1);
  EXPECT_EQ(ram_words(c, 0, 4), (std::vector<int>{4, 3, 2, 1}));
}
