// Receive set-ups through the real binary, from the control file to the
// table, board-loader and debug outputs, with every expected value worked
// out by hand: the frequency words and the double-rate phase, the CIC count
// and shift, the filter case with its address-generator registers and RAM
// images, the interface selects, the gain words and the AGC settings.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "diag.h"
#include "e2e.h"

namespace {

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

bool ends_with(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

int occurrences(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// The table line of `name`, without its line end ("" when absent).
std::string table_line(const std::string& tbl, const std::string& name) {
  std::string head = name + " ";
  size_t at = tbl.compare(0, head.size(), head) == 0 ? 0 : tbl.find("\n" + head);
  if (at == std::string::npos) return "";
  if (at != 0) ++at;
  return tbl.substr(at, tbl.find('\n', at) - at);
}

std::string per_channel(const std::string& name, int a, int b, int c, int d) {
  return strfmt("%-20s %5d %5d %5d %5d", name.c_str(), a, b, c, d);
}

std::string per_channel_double(const std::string& name, double a, double b, double c, double d) {
  return strfmt("%-20s %lf %lf %lf %lf", name.c_str(), a, b, c, d);
}

std::string chip_wide(const std::string& name, int v) { return strfmt("%-20s %d", name.c_str(), v); }

std::string lines(std::initializer_list<int> values) {
  std::string text;
  for (int v : values) text += std::to_string(v) + "\n";
  return text;
}

const std::string kBanner = "cmd7420 - revWorking, Feb 14 2005\n";
const std::string kFrozenAgcWarning =
    "Warning: agc_freeze is high, so assuming AGC is not used. Trying to set fir_shift so that gain\n"
    "    in FIR block does not exceed 2.0 (note that fir_shift can not go lower than 0).\n";
// ncic of an unset powered-down pair: cic_dec (or cic_int) -1 gives
// -1 / 1 - 1 = -2, which no 12-bit field holds.
const std::string kPoweredDownNcic =
    "Value out of range register 2583 value -2\nPage a0 Address 17\n"
    "Value out of range register 2591 value -2\nPage a0 Address 1f\n";

// 31-tap odd-symmetric lowpass: sum 19970, largest tap 5200.
const std::string kLowpass31 =
    lines({-20, -35, -30, 0, 60, 120, 120, 0, -250, -500, -480, 0, 1100, 2800, 4500, 5200, 4500,
           2800, 1100, 0, -480, -500, -250, 0, 120, 120, 60, 0, -30, -35, -20});

// 24 taps, not symmetric: sum 28455, largest tap 5900.
const std::string kMinimumPhase24 =
    lines({100, 400, 1200, 2600, 4300, 5600, 5900, 5000, 3300, 1500, 200, -500, -700, -550, -250, 0,
           120, 150, 110, 50, 0, -30, -30, -15});

// 32 taps, even-symmetric: sum 2 x 2907 = 5814.
const std::string kHalfband32 =
    lines({12, -18, -40, -22, 35, 90, 80, -30, -190, -260, -90, 300, 700, 760, 180, 1400, 1400, 180,
           760, 700, 300, -90, -260, -190, -30, 80, 90, 35, -22, -40, -18, 12});

const char* const kRealReceive =
    "# Pair A/B receives real samples, pair C/D is powered down.\n"
    "mode ab receive\nmode cd receive\npwr_dwn_cic_CD 1\nfck 100\n"
    "channel 0\nfir_coef lp31.coef\ncic_dec 8\nfir_dec 2\nfreq 10\nmix_rcv_sel 0\n"
    "pins 16\nbits 16\nagc_freeze 0\nagc_tc 500\nagc_cf 12\nagc_mode 1\n"
    "channel 1\ncopy_channel 0\nfreq -25\nagc_freeze 1\noverall_gain 1.5\n"
    "channel 2\npins 16\nbits 16\nchannel 3\npins 16\nbits 16\n"
    "print table\nprint kx330\nprint debug\n";

const std::string kComplexRestriction =
    "Warning: Gain settings violate gain restriction:\n"
    "zpad_gain x mix_gain x cic_gain x rshift_gain <= .70711 with complex in and nonsymmetric filter";

const char* const kDoubleRateReceive =
    "; Four receive channels, complex input at double rate: A/B and C/D each\n"
    "; carry one signal split over the pair.\n"
    "mode ab receive\nmode cd receive\nfck 120\nrin_cmplx 1\nrin_rate 2\nsync_mode 7\n"
    "channel 0\nfir_coef mp24.coef\ncic_dec 8\nfir_dec 2\nfreq 15\npins 8\nbits 16\n"
    "channel 1\ncopy_channel 0\n"
    "channel 2\nfir_coef mp24.coef\ncic_dec 4\nfir_dec 4\nfreq -30\npins 8\nbits 16\nagc_freeze 0\n"
    "channel 3\ncopy_channel 2\nagc_freeze 1\ngain 0.75\n"
    "print table\nprint kx330\nprint debug\n";

const char* const kSplitReceive =
    "# Split-I/Q receive on A/B (I through A, Q through B); C/D would transmit\n"
    "# but is powered down.\n"
    "mode ab receive\nmode cd transmit\npwr_dwn_cic_CD 1\nsplitiq 1\nrin_cmplx 1\nrinf_zpad 1\n"
    "fck 80\n"
    "channel 0\nfir_coef hb32.coef\ncic_dec 10\nfir_dec 2\nfreq 5\nmix_rcv_sel 0\npins 16\nbits 8\n"
    "agc_freeze 0\nagc_tc 50\nagc_cf 0\nagc_mode 1\n"
    "channel 1\ncopy_channel 0\nmix_rcv_sel 1\nagc_freeze 1\n"
    "channel 2\npins 16\nbits 16\nchannel 3\npins 16\nbits 16\n"
    "print table\nprint kx330\nprint debug\nprint analysis\n"
    "override\nchannel 1\ngain_lsb 5000\n";

}  // namespace

// A/B real input, CIC 8, a 31-tap odd-symmetric filter decimating by 2:
// complex data after the mixer gives case SCR12O21 (D 4, N 2, ModC 2).
TEST(ReceiveTrace, RealInputWithPoweredDownPair) {
  ScratchDir dir;
  dir.write("lp31.coef", kLowpass31);
  dir.write("rx.txt", kRealReceive);
  RunResult r = run_cmd7420(dir, {"rx.txt"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "2\n2\n-1\n-1\n");
  // C and D: nc = 1 x -1 has no logarithm, so their shift is held to 39.
  EXPECT_EQ(r.err, kBanner +
                       "Warning: CIC shift was calculated to be over 39; setting to 39 as MAX value\n"
                       "Warning: CIC shift was calculated to be over 39; setting to 39 as MAX value\n" +
                       kFrozenAgcWarning + kPoweredDownNcic);

  const std::string dbg = dir.read("rx.dbg");
  EXPECT_EQ(occurrences(dbg, "fir_config(): name=SCR12O21, Mininrate=2, Maxinrate=8\n"), 2);
  EXPECT_EQ(occurrences(dbg, "Debug(firconfig L253): ncoef=31 Sym=1 hnn=16 hxx=32\n"), 2);

  const std::string tbl = dir.read("rx.tbl");
  // 10 / 100 of a turn: 6553.6; -25 wraps to 49152 (0xC000).
  EXPECT_EQ(table_line(tbl, "freq_msb"), per_channel("freq_msb", 6553, 49152, -1, -1));
  EXPECT_EQ(table_line(tbl, "freq_mid"), per_channel("freq_mid", 39321, 0, 0, 0));
  EXPECT_EQ(table_line(tbl, "freq_lsb"), per_channel("freq_lsb", 39321, 0, 0, 0));
  EXPECT_EQ(table_line(tbl, "ncic"), per_channel("ncic", 7, 7, -2, -2));
  // floor(39 - (5 log2 8 - 1)) = 25, one less for a symmetric filter.
  EXPECT_EQ(table_line(tbl, "cic_shift"), per_channel("cic_shift", 24, 24, 39, 39));
  EXPECT_EQ(table_line(tbl, "cic_rcv_full"), per_channel("cic_rcv_full", 0, 0, 0, 0));
  EXPECT_EQ(table_line(tbl, "fir_cmplx"), per_channel("fir_cmplx", 1, 1, -1, -1));
  EXPECT_EQ(table_line(tbl, "coef_modc"), per_channel("coef_modc", 1, 1, -1, -1));
  EXPECT_EQ(table_line(tbl, "coef_repc"), per_channel("coef_repc", 1, 1, -1, -1));
  EXPECT_EQ(table_line(tbl, "agen_depd"), per_channel("agen_depd", 3, 3, -1, -1));
  EXPECT_EQ(table_line(tbl, "fragen_stepn"), per_channel("fragen_stepn", 0, 0, -1, -1));
  EXPECT_EQ(table_line(tbl, "beragen_stepn"), per_channel("beragen_stepn", 4, 4, -1, -1));
  EXPECT_EQ(table_line(tbl, "bewagen_soff"), per_channel("bewagen_soff", 4, 4, -1, -1));
  EXPECT_EQ(table_line(tbl, "bewagen_sdepd"), per_channel("bewagen_sdepd", 2, 2, -1, -1));
  EXPECT_EQ(table_line(tbl, "fwa_strobe"), per_channel("fwa_strobe", 15, 15, -1, -1));
  EXPECT_EQ(table_line(tbl, "bwa_strobe"), per_channel("bwa_strobe", 15, 15, -1, -1));
  EXPECT_EQ(table_line(tbl, "beagen_rbypass"), per_channel("beagen_rbypass", 0, 0, -1, -1));
  EXPECT_EQ(table_line(tbl, "fir_sync_cnt"), per_channel("fir_sync_cnt", 127, 127, -1, -1));
  EXPECT_EQ(table_line(tbl, "fir_clk_cnt"), per_channel("fir_clk_cnt", 1, 1, -1, -1));
  EXPECT_EQ(table_line(tbl, "swap_wa_cnt"), per_channel("swap_wa_cnt", 3, 3, -1, -1));
  EXPECT_EQ(table_line(tbl, "acc_enram"), per_channel("acc_enram", 1, 1, -1, -1));
  // FIR shift 21 - 13 = 8 held to 7; gain 4096 x 2 / (19970 / 2^14 x 0.5).
  EXPECT_EQ(table_line(tbl, "fir_shift"), per_channel("fir_shift", 7, 7, -1, -1));
  EXPECT_EQ(table_line(tbl, "gain_lsb"), per_channel("gain_lsb", 13442, 10081, -1, -1));
  EXPECT_EQ(table_line(tbl, "gain_msb"), per_channel("gain_msb", 0, 0, -1, -1));
  EXPECT_EQ(table_line(tbl, "overall_gain"), per_channel_double("overall_gain", 2.0, 1.5, -1.0, -1.0));
  // AGC of A: 500 us x 100 MHz / 16 = 3125 samples, D = 10 (narrowband).
  EXPECT_EQ(table_line(tbl, "agc_Dblw"), per_channel("agc_Dblw", 10, 0, -1, -1));
  EXPECT_EQ(table_line(tbl, "agc_Dabv"), per_channel("agc_Dabv", 10, 0, -1, -1));
  EXPECT_EQ(table_line(tbl, "agc_Dzro"), per_channel("agc_Dzro", 6, 0, -1, -1));
  EXPECT_EQ(table_line(tbl, "agc_min"), per_channel("agc_min", 1678, 0, -1, -1));
  EXPECT_EQ(table_line(tbl, "agc_max"), per_channel("agc_max", 63600, 0, -1, -1));
  EXPECT_EQ(table_line(tbl, "agc_thresh"), per_channel("agc_thresh", 64, 0, -1, -1));
  EXPECT_EQ(table_line(tbl, "gain_sync"), per_channel("gain_sync", 0, 7, 7, 7));
  EXPECT_EQ(table_line(tbl, "routf_bits"), per_channel("routf_bits", 8, 8, 8, 8));
  EXPECT_EQ(table_line(tbl, "routf_iqmux"), per_channel("routf_iqmux", 1, 1, -1, -1));
  EXPECT_EQ(table_line(tbl, "routf_pwrdown"), per_channel("routf_pwrdown", 0, 0, 1, 1));
  EXPECT_EQ(table_line(tbl, "fso_sel"), per_channel("fso_sel", 2, 2, 0, 0));
  EXPECT_EQ(table_line(tbl, "mix_qsin"), per_channel("mix_qsin", 0, 0, 0, 0));
  EXPECT_EQ(table_line(tbl, "mix_isin"), per_channel("mix_isin", 1, 1, 1, 1));
  EXPECT_EQ(table_line(tbl, "rinf_sel_A"), chip_wide("rinf_sel_A", 4));
  EXPECT_EQ(table_line(tbl, "rinf_sel_C"), chip_wide("rinf_sel_C", -1));
  EXPECT_EQ(table_line(tbl, "splitiqAB"), chip_wide("splitiqAB", 0));
  EXPECT_EQ(table_line(tbl, "tout_nsig"), chip_wide("tout_nsig", 0));
  EXPECT_EQ(table_line(tbl, "soB_sync"), chip_wide("soB_sync", 4));

  const std::string kx = dir.read("rx.kx330");
  // Channel A's address generators (page 0x12) and gain/AGC block (0x13).
  EXPECT_TRUE(contains(kx,
                       "dwr16 2 12\ndwr16 10 1110\ndwr16 11 30\ndwr16 12 300\ndwr16 13 0\n"
                       "dwr16 14 300\ndwr16 15 0\ndwr16 16 4300\ndwr16 17 204\ndwr16 18 f\n"
                       "dwr16 19 f\ndwr16 1a 0\n"));
  EXPECT_TRUE(contains(kx,
                       "dwr16 2 13\ndwr16 10 2200\ndwr16 11 1000\ndwr16 12 0\ndwr16 13 3482\n"
                       "dwr16 14 f040\ndwr16 15 68e\ndwr16 16 f870\ndwr16 17 4066\ndwr16 18 66aa\n"));
  // CIC/NCO registers of A and B; C's ncic of -2 fills its register.
  EXPECT_TRUE(contains(kx,
                       "dwr16 2 80\ndwr16 10 258\ndwr16 11 0\ndwr16 12 9999\ndwr16 13 9999\n"
                       "dwr16 14 1999\ndwr16 16 4bf\ndwr16 17 2007\ndwr16 18 258\n"));
  EXPECT_TRUE(contains(kx, "dwr16 16 4bf\ndwr16 17 fffe\n"));
  // Swap order 2 3 0 1, back-end RAM, and the reversed pairs of taps in
  // coefficient page 8 (taps 1 and 0: -35 and -20).
  EXPECT_TRUE(contains(kx, "dwr16 2 10\ndwr16 10 2\ndwr16 11 3\ndwr16 12 0\ndwr16 13 1\ndwr16 14 4\n"));
  EXPECT_TRUE(contains(kx,
                       "dwr16 2 11\ndwr16 10 2732\ndwr16 11 2103\ndwr16 12 310\ndwr16 13 521\n"
                       "dwr16 14 844\ndwr16 15 a55\n"));
  EXPECT_TRUE(contains(kx, "dwr16 2 8\ndwr16 10 ffdd\ndwr16 11 ffec\ndwr16 12 0\n"));
  EXPECT_TRUE(contains(kx, "dwr16 2 f\ndwr16 10 1450\ndwr16 11 1194\ndwr16 12 0\n"));
  EXPECT_TRUE(ends_with(kx,
                        "dwr16 2 80\ndwr16 15 4810\ndwr16 1d 4810\ndwr16 2 a0\ndwr16 15 4810\n"
                        "dwr16 1d 4810\ndwr16 0 4100\ndwr16 3 1ff\n"));
}

// Complex input at double rate forces split-I/Q: real data in each filter
// (cases SRR11N21 and SRR11N41), the odd channels take the even channels'
// words with half a step of phase, and every channel crosses its CIC input.
TEST(ReceiveTrace, DoubleRateComplexOnAllFourChannels) {
  ScratchDir dir;
  dir.write("mp24.coef", kMinimumPhase24);
  dir.write("rx2.txt", kDoubleRateReceive);
  RunResult r = run_cmd7420(dir, {"rx2.txt"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "2\n2\n4\n4\n");
  EXPECT_EQ(r.err,
            kBanner +
                "Warning: agc_freeze is 0 (i.e., agc is on), but agc_tc (target agc time constant in\n"
                "microseconds) not set. Defaulting to 1000 microseconds.\n"
                "Warning: agc_freeze is 0 (i.e., agc is on), but agc_cf (target agc crest factor in\n"
                "dB) not set. Defaulting to 10dB.\n"
                "Warning: agc_freeze is 0 (i.e., agc is on), but agc_mode (0 for CDMA, 1 for narrowband\n"
                "and 2 for mixed signals) not set or set wrong. Defaulting to 2 (mixed).\n" +
                // The cross-checks: with complex input and a non-symmetric
                // filter P = zpad x cic x rshift x mix = 1 > .70711 on the even
                // channels (the odd channel of a double-rate pair is not
                // checked); the continuation has no line end of its own.
                kComplexRestriction + kComplexRestriction);

  const std::string dbg = dir.read("rx2.dbg");
  EXPECT_EQ(occurrences(dbg, "fir_config(): name=SRR11N21, Mininrate=1, Maxinrate=4\n"), 2);
  EXPECT_EQ(occurrences(dbg, "fir_config(): name=SRR11N41, Mininrate=1, Maxinrate=2\n"), 2);
  EXPECT_FALSE(contains(dbg, "splitiq must be 1"));

  const std::string tbl = dir.read("rx2.tbl");
  EXPECT_EQ(table_line(tbl, "splitiqAB"), chip_wide("splitiqAB", 1));
  EXPECT_EQ(table_line(tbl, "splitiq"), chip_wide("splitiq", 1));
  EXPECT_EQ(table_line(tbl, "mix_rcv_sel"), per_channel("mix_rcv_sel", 0, 2, 0, 2));
  // 15 / 120 = 1/8 turn; -30 / 120 wraps to 3/4. B and D: phase + msb / 2.
  EXPECT_EQ(table_line(tbl, "freq_msb"), per_channel("freq_msb", 8192, 8192, 49152, 49152));
  EXPECT_EQ(table_line(tbl, "phase"), per_channel("phase", 0, 4096, 0, 57344));
  EXPECT_EQ(table_line(tbl, "cic_2x"), per_channel("cic_2x", 1, 1, 1, 1));
  EXPECT_EQ(table_line(tbl, "ncic"), per_channel("ncic", 3, 3, 1, 1));
  EXPECT_EQ(table_line(tbl, "cic_shift"), per_channel("cic_shift", 25, 25, 30, 30));
  EXPECT_EQ(table_line(tbl, "cic_rcv_cross"), per_channel("cic_rcv_cross", 1, 1, 1, 1));
  EXPECT_EQ(table_line(tbl, "cic_rcv_full"), per_channel("cic_rcv_full", 1, 1, 1, 1));
  EXPECT_EQ(table_line(tbl, "mix_rcv_cmplx"), per_channel("mix_rcv_cmplx", 1, 1, 1, 1));
  EXPECT_EQ(table_line(tbl, "mix_qcos"), per_channel("mix_qcos", 1, 1, 1, 1));
  EXPECT_EQ(table_line(tbl, "fir_cmplx"), per_channel("fir_cmplx", 0, 0, 0, 0));
  EXPECT_EQ(table_line(tbl, "coef_modc"), per_channel("coef_modc", 1, 1, 3, 3));
  EXPECT_EQ(table_line(tbl, "coef_repc"), per_channel("coef_repc", 0, 0, 0, 0));
  EXPECT_EQ(table_line(tbl, "agen_depd"), per_channel("agen_depd", 1, 1, 3, 3));
  EXPECT_EQ(table_line(tbl, "bewagen_sdepd"), per_channel("bewagen_sdepd", 1, 1, 3, 3));
  EXPECT_EQ(table_line(tbl, "fwa_strobe"), per_channel("fwa_strobe", 3, 3, 15, 15));
  EXPECT_EQ(table_line(tbl, "beagen_rbypass"), per_channel("beagen_rbypass", 65535, 65535, 65535, 65535));
  EXPECT_EQ(table_line(tbl, "fir_sync_cnt"), per_channel("fir_sync_cnt", 63, 63, 127, 127));
  EXPECT_EQ(table_line(tbl, "fir_clk_cnt"), per_channel("fir_clk_cnt", 0, 0, 0, 0));
  EXPECT_EQ(table_line(tbl, "swap_wa_cnt"), per_channel("swap_wa_cnt", 1, 1, 3, 3));
  EXPECT_EQ(table_line(tbl, "acc_cnt"), per_channel("acc_cnt", 1, 1, 3, 3));
  EXPECT_EQ(table_line(tbl, "acc_dly0"), per_channel("acc_dly0", 1, 1, 1, 1));
  EXPECT_EQ(table_line(tbl, "acc_enram"), per_channel("acc_enram", 0, 0, 0, 0));
  // g_cic 2 in both pairs: 4096 x 2 / (28455 / 2^14 x 2 x 0.5); D from gain 0.75.
  EXPECT_EQ(table_line(tbl, "fir_shift"), per_channel("fir_shift", 7, 7, 7, 7));
  EXPECT_EQ(table_line(tbl, "gain_lsb"), per_channel("gain_lsb", 4717, 4717, 4717, 3072));
  EXPECT_EQ(table_line(tbl, "gain"), per_channel_double("gain", -1.0, -1.0, -1.0, 0.75));
  // AGC of C: 1000 us x 120 MHz / 16 = 7500 samples, D = 11, mixed mode.
  EXPECT_EQ(table_line(tbl, "agc_Dblw"), per_channel("agc_Dblw", 0, 0, 11, 0));
  EXPECT_EQ(table_line(tbl, "agc_Dabv"), per_channel("agc_Dabv", 0, 0, 9, 0));
  EXPECT_EQ(table_line(tbl, "agc_Dsat"), per_channel("agc_Dsat", 0, 0, 7, 0));
  EXPECT_EQ(table_line(tbl, "agc_min"), per_channel("agc_min", 0, 0, 587, 0));
  EXPECT_EQ(table_line(tbl, "agc_max"), per_channel("agc_max", 0, 0, 64819, 0));
  EXPECT_EQ(table_line(tbl, "agc_thresh"), per_channel("agc_thresh", 0, 0, 103, 0));
  EXPECT_EQ(table_line(tbl, "agc_mode"), per_channel("agc_mode", -1, -1, 2, -1));
  EXPECT_EQ(table_line(tbl, "agc_tc"), per_channel("agc_tc", -1, -1, 1000, -1));
  EXPECT_EQ(table_line(tbl, "routf_pins"), per_channel("routf_pins", 2, 2, 2, 2));
  EXPECT_EQ(table_line(tbl, "routf_iqmux"), per_channel("routf_iqmux", 0, 0, 0, 0));
  EXPECT_EQ(table_line(tbl, "rinf_sel_B"), chip_wide("rinf_sel_B", 1));
  EXPECT_EQ(table_line(tbl, "rinf_sel_C"), chip_wide("rinf_sel_C", 4));
  // sync_mode 7 selects sync 3.
  EXPECT_EQ(table_line(tbl, "nco_sync"), per_channel("nco_sync", 3, 3, 3, 3));
  EXPECT_EQ(table_line(tbl, "cic_sync"), per_channel("cic_sync", 3, 3, 3, 3));
  EXPECT_EQ(table_line(tbl, "soB_sync"), chip_wide("soB_sync", 4));
  EXPECT_EQ(table_line(tbl, "one_shot"), chip_wide("one_shot", 1));

  const std::string kx = dir.read("rx2.kx330");
  EXPECT_TRUE(contains(kx,
                       "dwr16 2 80\ndwr16 10 3659\ndwr16 11 0\ndwr16 12 0\ndwr16 13 0\n"
                       "dwr16 14 2000\ndwr16 16 6ff\ndwr16 17 3003\ndwr16 18 3659\ndwr16 19 1000\n"));
  EXPECT_TRUE(contains(kx,
                       "dwr16 2 a0\ndwr16 10 365e\ndwr16 11 0\ndwr16 12 0\ndwr16 13 0\n"
                       "dwr16 14 c000\ndwr16 16 6ff\ndwr16 17 3001\ndwr16 18 365e\ndwr16 19 e000\n"));
  EXPECT_TRUE(contains(kx, "dwr16 2 a1\ndwr16 10 1414\n"));
  EXPECT_TRUE(contains(kx, "dwr16 2 10\ndwr16 10 1\ndwr16 11 0\ndwr16 12 2\n"));
  EXPECT_TRUE(contains(kx, "dwr16 2 11\ndwr16 10 6000\ndwr16 11 6211\ndwr16 12 6422\n"));
  EXPECT_TRUE(contains(kx, "dwr16 2 50\ndwr16 10 3\ndwr16 11 2\ndwr16 12 1\ndwr16 13 0\ndwr16 14 4\n"));
  EXPECT_TRUE(contains(kx, "dwr16 2 0\ndwr16 10 190\ndwr16 11 64\ndwr16 12 0\n"));
  EXPECT_TRUE(contains(kx, "dwr16 2 40\ndwr16 10 a28\ndwr16 11 4b0\ndwr16 12 190\ndwr16 13 64\ndwr16 14 0\n"));
  EXPECT_TRUE(ends_with(kx,
                        "dwr16 2 80\ndwr16 15 4934\ndwr16 1d 4936\ndwr16 2 a0\ndwr16 15 4934\n"
                        "dwr16 1d 4936\ndwr16 0 100\ndwr16 3 1ff\ndwr16 1 4\ndwr16 1 c\n"));
}

// Split-I/Q receive with zero padding (case SRR11E21), a powered-down
// transmit pair whose split mixers still get their defaults, and an
// override of channel B's gain word after the computation.
TEST(ReceiveTrace, SplitIqWithZeroPadAndOverride) {
  ScratchDir dir;
  dir.write("hb32.coef", kHalfband32);
  dir.write("rx3.txt", kSplitReceive);
  RunResult r = run_cmd7420(dir, {"rx3.txt"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "2\n2\n1\n1\n");
  // The threshold continuation has no line end of its own.
  EXPECT_EQ(r.err, kBanner +
                       "Warning: agc_thresh calculated to be higher than 255. Setting to 255.\n"
                       "    check that agc_cf is not too low and that agc_mode is correct." +
                       kFrozenAgcWarning + kPoweredDownNcic);
  EXPECT_EQ(occurrences(dir.read("rx3.dbg"), "fir_config(): name=SRR11E21, Mininrate=1, Maxinrate=10\n"), 2);
  // (0.55 x 1/10 x 2 + 0.75) x 80 x 1.8 = 123.84 mW.
  EXPECT_TRUE(ends_with(dir.read("rx3.anl"), "Estimate power is   124mW at  80.0 MHz and 1.8V\n"));

  const std::string tbl = dir.read("rx3.tbl");
  EXPECT_EQ(table_line(tbl, "splitiqCD"), chip_wide("splitiqCD", 1));
  EXPECT_EQ(table_line(tbl, "freq_msb"), per_channel("freq_msb", 4096, 4096, -1, -1));
  EXPECT_EQ(table_line(tbl, "fir_dec"), per_channel("fir_dec", 2, 2, 1, 1));
  EXPECT_EQ(table_line(tbl, "ncic"), per_channel("ncic", 9, 9, -2, -2));
  // floor(39 - (5 log2 10 - 2)) = 24, one less for the symmetric filter.
  EXPECT_EQ(table_line(tbl, "cic_shift"), per_channel("cic_shift", 23, 23, -1, -1));
  EXPECT_EQ(table_line(tbl, "cic_rcv"), per_channel("cic_rcv", 1, 1, 2, 2));
  EXPECT_EQ(table_line(tbl, "cic_rcv_cross"), per_channel("cic_rcv_cross", 0, 1, 0, 0));
  EXPECT_EQ(table_line(tbl, "fir_cmplx"), per_channel("fir_cmplx", 0, 0, -1, -1));
  EXPECT_EQ(table_line(tbl, "fir_sym"), per_channel("fir_sym", 2, 2, -1, -1));
  EXPECT_EQ(table_line(tbl, "coef_sym"), per_channel("coef_sym", 1, 1, -1, -1));
  EXPECT_EQ(table_line(tbl, "bwa_strobe"), per_channel("bwa_strobe", 3, 3, -1, -1));
  EXPECT_EQ(table_line(tbl, "beragen_stepn"), per_channel("beragen_stepn", 2, 2, -1, -1));
  EXPECT_EQ(table_line(tbl, "bewagen_sdepd"), per_channel("bewagen_sdepd", 0, 0, -1, -1));
  EXPECT_EQ(table_line(tbl, "fir_sync_cnt"), per_channel("fir_sync_cnt", 63, 63, -1, -1));
  EXPECT_EQ(table_line(tbl, "mix_rcv_sel"), per_channel("mix_rcv_sel", 0, 1, 0, 0));
  EXPECT_EQ(table_line(tbl, "mix_rcv_cmplx"), per_channel("mix_rcv_cmplx", 1, 1, 0, 0));
  // C transmits complex data in split-I/Q: the first-channel selects; D silent.
  EXPECT_EQ(table_line(tbl, "mix_icos"), per_channel("mix_icos", 1, 1, 3, 0));
  EXPECT_EQ(table_line(tbl, "mix_qsin"), per_channel("mix_qsin", 1, 1, 2, 0));
  EXPECT_EQ(table_line(tbl, "mix_inv_qsin"), per_channel("mix_inv_qsin", 1, 1, 1, 0));
  EXPECT_EQ(table_line(tbl, "tinf_pins"), per_channel("tinf_pins", 0, 0, 4, 4));
  EXPECT_EQ(table_line(tbl, "routf_bits"), per_channel("routf_bits", 2, 2, 0, 0));
  EXPECT_EQ(table_line(tbl, "routf_iqmux"), per_channel("routf_iqmux", 0, 0, -1, -1));
  EXPECT_EQ(table_line(tbl, "gain_rnd"), per_channel("gain_rnd", 12, 12, -1, -1));
  // Gain 2 / (5814 / 2^14 x 10^5 / 2^16 x 0.5 x 0.5) x 4096 = 60516.6; B overridden.
  EXPECT_EQ(table_line(tbl, "fir_shift"), per_channel("fir_shift", 7, 7, -1, -1));
  EXPECT_EQ(table_line(tbl, "gain_lsb"), per_channel("gain_lsb", 60517, 5000, -1, -1));
  // AGC of A: 50 us x 80 MHz / 20 = 200 samples, D = 6; crest factor 0 dB.
  EXPECT_EQ(table_line(tbl, "agc_Dblw"), per_channel("agc_Dblw", 6, 0, 0, 0));
  EXPECT_EQ(table_line(tbl, "agc_Dzro"), per_channel("agc_Dzro", 2, 0, 0, 0));
  EXPECT_EQ(table_line(tbl, "agc_min"), per_channel("agc_min", 7562, 0, 0, 0));
  EXPECT_EQ(table_line(tbl, "agc_max"), per_channel("agc_max", 54116, 0, 0, 0));
  EXPECT_EQ(table_line(tbl, "agc_thresh"), per_channel("agc_thresh", 255, 0, 0, 0));
  EXPECT_EQ(table_line(tbl, "rinf_sel_B"), chip_wide("rinf_sel_B", 1));
  EXPECT_EQ(table_line(tbl, "rinf_zpad_sync"), chip_wide("rinf_zpad_sync", 2));
  EXPECT_EQ(table_line(tbl, "tout_nsig"), chip_wide("tout_nsig", 0));

  const std::string kx = dir.read("rx3.kx330");
  EXPECT_TRUE(contains(kx, "dwr16 2 33\ndwr16 10 2200\ndwr16 11 1000\ndwr16 12 0\ndwr16 13 1388\n"));
  EXPECT_TRUE(contains(kx, "dwr16 2 11\ndwr16 10 311\ndwr16 11 100\ndwr16 12 422\ndwr16 13 633\n"));
  EXPECT_TRUE(contains(kx, "dwr16 2 8\ndwr16 10 ffee\ndwr16 11 c\n"));
  EXPECT_TRUE(contains(kx, "dwr16 2 a1\ndwr16 10 14\ndwr16 11 0\ndwr16 12 5f81\n"));
  EXPECT_TRUE(ends_with(kx,
                        "dwr16 2 80\ndwr16 15 4934\ndwr16 1d 4935\ndwr16 2 a0\ndwr16 15 da50\n"
                        "dwr16 1d 0\ndwr16 0 4100\ndwr16 3 1ff\n"));
}
