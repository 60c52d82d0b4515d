// Whole transmit and transceive runs through the real binary. Each control
// file is one a user would write; every expected value below was worked out
// by hand from the control file (rates, frequency words, filter case and its
// registers, CIC, sum tree, output formatter, mixer selects, interface load
// points and frame-strobe delay, gain words and shifts), so the test checks
// how the passes hand their results to one another.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "e2e.h"

namespace {

using Values = std::vector<std::string>;

// The table output as name -> printed values.
std::map<std::string, Values> table_values(const std::string& tbl) {
  std::map<std::string, Values> table;
  std::istringstream in(tbl);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string name, v;
    words >> name;
    Values values;
    while (words >> v) values.push_back(v);
    table[name] = values;
  }
  return table;
}

Values all4(const std::string& v) { return {v, v, v, v}; }

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

bool ends_with(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// A 15-tap odd-symmetric half-band filter for interpolation by 2: phase 0
// sums to 25920 in magnitude, phase 1 is the centre tap 16384; the sum is
// 32224 and the largest tap 16384.
const char* const kHalfBand15 = "-120\n0\n640\n0\n-2400\n0\n9800\n16384\n9800\n0\n-2400\n0\n640\n0\n-120\n";

// A 24-tap even-symmetric decimating filter: sum 35980, largest tap 10000.
const char* const kDecimate24 =
    "30\n-80\n-150\n120\n520\n260\n-1080\n-1370\n1740\n5100\n2900\n10000\n"
    "10000\n2900\n5100\n1740\n-1370\n-1080\n260\n520\n120\n-150\n-80\n30\n";

// A 48-tap windowed-sinc filter for interpolation by 4 (symmetric, but an
// interpolation by 4 does not use the symmetry): the largest phase sums to
// 14658 in magnitude, the sum is 31926.
const char* const kInterp48 =
    "-13\n-35\n-42\n-22\n29\n91\n118\n63\n-80\n-243\n-302\n-154\n188\n553\n670\n336\n"
    "-409\n-1212\n-1508\n-796\n1059\n3668\n6216\n7788\n7788\n6216\n3668\n1059\n-796\n-1508\n"
    "-1212\n-409\n336\n670\n553\n188\n-154\n-302\n-243\n-80\n63\n118\n91\n29\n-22\n-42\n-35\n-13\n";

}  // namespace

// Four complex transmit channels (CIC 8, half-band interpolation by 2)
// summed into one complex full-rate output.
TEST(TransmitTrace, FourComplexChannelsIntoOneOutput) {
  ScratchDir dir;
  dir.write("hb15.coef", kHalfBand15);
  dir.write("tx4.txt",
            "mode ab transmit\nmode cd transmit\nfck 100\ntout_nsig 1\ntout_cmplx 1\n"
            "channel 0\nfir_coef hb15.coef\ncic_int 8\nfir_int 2\ntinf_cmplx 1\npins 4\nbits 16\n"
            "freq 10\n"
            "channel 1\ncopy_channel 0\nfreq 20\n"
            "channel 2\ncopy_channel 0\nfreq -15\n"
            "channel 3\ncopy_channel 0\nfreq 30\n"
            "print table\nprint kx330\nprint debug\nprint analysis\n");
  RunResult r = run_cmd7420(dir, {"tx4.txt"});
  EXPECT_EQ(r.status, 0);
  // fir_dec of each channel, then the empty line of its interpolating plan.
  EXPECT_EQ(r.out, "1\n\n1\n\n1\n\n1\n\n");
  EXPECT_EQ(r.err, "cmd7420 - revWorking, Feb 14 2005\n");

  auto t = table_values(dir.read("tx4.tbl"));
  // Frequency words against fck.
  EXPECT_EQ(t["freq_msb"], (Values{"6553", "13107", "55705", "19660"}));
  EXPECT_EQ(t["freq_mid"], (Values{"39321", "13107", "39321", "52428"}));
  EXPECT_EQ(t["freq_lsb"], (Values{"39321", "13107", "39321", "52428"}));
  // CIC: 8 x 1 - 1; six stages; the shift is 41 - log2(8^5).
  EXPECT_EQ(t["ncic"], all4("7"));
  EXPECT_EQ(t["cic_xmt_5stg"], all4("0"));
  EXPECT_EQ(t["cic_xmt_d6stg"], all4("0"));
  EXPECT_EQ(t["cic_rcv"], all4("2"));
  EXPECT_EQ(t["cic_bypass"], all4("0"));
  EXPECT_EQ(t["cic_shift"], all4("26"));
  // Filter case SCR14O12 (complex, input rate 4, odd symmetry, interp 2).
  EXPECT_EQ(t["fir_sym"], all4("1"));
  EXPECT_EQ(t["fir_cmplx"], all4("1"));
  EXPECT_EQ(t["coef_modc"], all4("1"));
  EXPECT_EQ(t["coef_repc"], all4("1"));
  EXPECT_EQ(t["agen_recr"], all4("1"));
  EXPECT_EQ(t["agen_togen"], all4("1"));
  EXPECT_EQ(t["bwagen_sdepd"], all4("2"));
  EXPECT_EQ(t["beragen_stepn"], all4("2"));
  EXPECT_EQ(t["bewagen_wrecrl"], all4("1"));
  EXPECT_EQ(t["fwa_strobe"], all4("3"));
  EXPECT_EQ(t["bwa_strobe"], all4("3"));
  EXPECT_EQ(t["beagen_rbypass"], all4("0"));
  EXPECT_EQ(t["fir_sync_cnt"], all4("127"));
  EXPECT_EQ(t["fir_clk_cnt"], all4("1"));
  EXPECT_EQ(t["swap_wa_cnt"], all4("1"));
  EXPECT_EQ(t["acc_dly"], all4("1"));
  EXPECT_EQ(t["acc_bypass"], all4("1"));
  EXPECT_EQ(t["acc_enram"], all4("0"));
  // Sum tree: four inputs into one complex output.
  EXPECT_EQ(t["sum_selI"], Values{"183"});
  EXPECT_EQ(t["sum_selQ"], Values{"183"});
  EXPECT_EQ(t["sum_ia"], Values{"2"});
  EXPECT_EQ(t["sum_qa"], Values{"2"});
  EXPECT_EQ(t["sum_ib"], Values{"0"});
  EXPECT_EQ(t["sum_qb"], Values{"1"});
  EXPECT_EQ(t["sum_in"], Values{"0"});
  EXPECT_EQ(t["sum_shift"], Values{"5"});
  // Output formatter word 0x200C.
  EXPECT_EQ(t["toutf_do"], Values{"0"});
  EXPECT_EQ(t["toutf_co"], Values{"0"});
  EXPECT_EQ(t["toutf_bo"], Values{"2"});
  EXPECT_EQ(t["toutf_quiet_CD"], Values{"1"});
  EXPECT_EQ(t["toutf_xmt_AB"], Values{"1"});
  EXPECT_EQ(t["toutf_xmt_CD"], Values{"1"});
  // Complex transmit mixers at full rate.
  for (const char* sel : {"mix_icos", "mix_isin", "mix_qcos", "mix_qsin"})
    EXPECT_EQ(t[sel], all4("3")) << sel;
  EXPECT_EQ(t["mix_inv_qsin"], all4("1"));
  // Interface: 4 pins, 16 bits, I/Q multiplexed; 16 clocks per cycle.
  EXPECT_EQ(t["tinf_pins"], all4("1"));
  EXPECT_EQ(t["tinf_bits"], all4("4"));
  EXPECT_EQ(t["tinf_iqmux"], all4("1"));
  EXPECT_EQ(t["tinf_fs_cnt"], all4("15"));
  EXPECT_EQ(t["tinf_nfs"], all4("0"));
  EXPECT_EQ(t["tinf_first"], all4("4"));
  EXPECT_EQ(t["tinf_second"], all4("8"));
  EXPECT_EQ(t["tinf_fso_dly"], all4("1"));
  EXPECT_EQ(t["gain_half"], all4("1"));
  // Gain: 4096 / (0.98339844 x 4) = 1041 with FIR shift 7.
  EXPECT_EQ(t["gain_lsb"], all4("1041"));
  EXPECT_EQ(t["gain_msb"], all4("0"));
  EXPECT_EQ(t["fir_shift"], all4("7"));
  EXPECT_EQ(t["gain"], all4("0.254150"));
  EXPECT_EQ(t["overall_gain"], all4("1.000000"));

  std::string dbg = dir.read("tx4.dbg");
  EXPECT_TRUE(contains(dbg, "fir_config(): name=SCR14O12, Mininrate=4, Maxinrate=16\n"));
  EXPECT_TRUE(contains(dbg,
                       "Debug(config L460): doxmit1x C1FN40N \n"
                       "Debug(config L619):  0x200c 0x41 0xb7b7  0x311 1 4 1 1\n\n"
                       "Debug(config L1219): Dbg: nchan 1 tdm 0 minrq 0 delay 3 xa 4 xb 4 ya 8 yb "
                       "8 div 1 iqmux 1 cmplx 1 pins 4 bits 16 fscnt 16 min 8 nfs 1 ndivcks 16\n\n"));
  EXPECT_TRUE(ends_with(dir.read("tx4.anl"), "Estimate power is   369mW at 100.0 MHz and 1.8V\n"));

  std::string kx = dir.read("tx4.kx330");
  EXPECT_TRUE(contains(kx, "dwr16 2 13\ndwr16 10 1a4c\ndwr16 11 1084\ndwr16 12 f\ndwr16 13 411\n"
                           "dwr16 14 f228\n"));
  EXPECT_TRUE(contains(kx, "dwr16 2 80\ndwr16 10 29a\ndwr16 11 0\ndwr16 12 9999\ndwr16 13 9999\n"
                           "dwr16 14 1999\n"));
  EXPECT_TRUE(contains(kx, "dwr16 2 81\ndwr16 10 b7b7\ndwr16 11 315\n"));
  EXPECT_TRUE(contains(kx, "dwr16 2 a1\ndwr16 10 0\ndwr16 11 0\ndwr16 12 ff80\ndwr16 13 2007\n"
                           "dwr16 14 5501\n"));
  EXPECT_TRUE(contains(kx, "dwr16 2 11\ndwr16 10 4100\ndwr16 11 4311\ndwr16 12 400\ndwr16 13 611\n"));
  EXPECT_TRUE(contains(kx, "dwr16 2 c\ndwr16 10 0\ndwr16 11 ff88\n"));
  EXPECT_TRUE(contains(kx, "dwr16 2 f\ndwr16 10 4000\ndwr16 11 2648\n"));
  EXPECT_TRUE(ends_with(kx, "dwr16 2 80\ndwr16 15 db70\ndwr16 1d db70\ndwr16 2 a0\ndwr16 15 db70\n"
                            "dwr16 1d db70\ndwr16 0 100\ndwr16 3 1ff\n"));
}

// Transceive: A/B transmit complex input into two real outputs (different
// overall gains), C/D receive complex input at full rate with the AGC on.
TEST(TransmitTrace, TransceiveWithAgcOnTheReceivePair) {
  ScratchDir dir;
  dir.write("hb15.coef", kHalfBand15);
  dir.write("rx24.coef", kDecimate24);
  dir.write("trx.txt",
            "mode ab transmit\nmode cd receive\nfck 92.16\ntout_nsig 2\ntout_cmplx 0\nrin_cmplx 1\n"
            "channel 0\nfir_coef hb15.coef\ncic_int 4\nfir_int 2\ntinf_cmplx 1\npins 8\nbits 16\n"
            "freq 5\noverall_gain 0.5\n"
            "channel 1\ncopy_channel 0\nfreq 12.5\noverall_gain 0.8\n"
            "channel 2\nfir_coef rx24.coef\ncic_dec 4\nfir_dec 2\nfreq 15\nmix_rcv_sel 2\npins 16\n"
            "bits 16\nagc_freeze 0\nagc_tc 500\n"
            "channel 3\ncopy_channel 2\nfreq -7.5\nmix_rcv_sel 3\ngain 1.5\n"
            "print table\nprint kx330\nprint debug\nprint analysis\n");
  RunResult r = run_cmd7420(dir, {"trx.txt"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "1\n\n1\n\n2\n2\n");
  const std::string agc_warnings =
      "Warning: agc_freeze is 0 (i.e., agc is on), but agc_cf (target agc crest factor in\n"
      "dB) not set. Defaulting to 10dB.\n"
      "Warning: agc_freeze is 0 (i.e., agc is on), but agc_mode (0 for CDMA, 1 for narrowband\n"
      "and 2 for mixed signals) not set or set wrong. Defaulting to 2 (mixed).\n";
  EXPECT_EQ(r.err, "cmd7420 - revWorking, Feb 14 2005\n" + agc_warnings + agc_warnings);

  auto t = table_values(dir.read("trx.tbl"));
  EXPECT_EQ(t["freq_msb"], (Values{"3555", "8888", "10666", "60202"}));
  EXPECT_EQ(t["freq_mid"], (Values{"36408", "58254", "43690", "43690"}));
  EXPECT_EQ(t["freq_lsb"], (Values{"58254", "14563", "43690", "43690"}));
  EXPECT_EQ(t["ncic"], all4("3"));
  // Transmit: 41 - log2(4^5); receive: 39 - 9, one less for the symmetry.
  EXPECT_EQ(t["cic_shift"], (Values{"31", "31", "29", "29"}));
  EXPECT_EQ(t["cic_rcv"], (Values{"2", "2", "1", "1"}));
  EXPECT_EQ(t["cic_rcv_full"], all4("0"));
  // Receive case SCR12E21 (even symmetry, decimation 2, input rate 2).
  EXPECT_EQ(t["fir_sym"], (Values{"1", "1", "2", "2"}));
  EXPECT_EQ(t["agen_depd"], (Values{"1", "1", "3", "3"}));
  EXPECT_EQ(t["beragen_stepn"], (Values{"2", "2", "4", "4"}));
  EXPECT_EQ(t["fwa_strobe"], (Values{"3", "3", "15", "15"}));
  EXPECT_EQ(t["bwa_strobe"], (Values{"3", "3", "15", "15"}));
  EXPECT_EQ(t["swap_wa_cnt"], (Values{"1", "1", "3", "3"}));
  EXPECT_EQ(t["acc_cnt"], (Values{"0", "0", "1", "1"}));
  EXPECT_EQ(t["acc_enram"], (Values{"0", "0", "1", "1"}));
  EXPECT_EQ(t["fir_rnd20"], (Values{"0", "0", "1", "1"}));
  // Two real signals, no sum input, in transceive.
  EXPECT_EQ(t["sum_selI"], Values{"67"});
  EXPECT_EQ(t["sum_selQ"], Values{"0"});
  EXPECT_EQ(t["sum_ia"], Values{"2"});
  EXPECT_EQ(t["sum_ib"], Values{"2"});
  EXPECT_EQ(t["sum_qa"], Values{"0"});
  EXPECT_EQ(t["sum_qb"], Values{"1"});
  EXPECT_EQ(t["sum_shift"], Values{"5"});
  EXPECT_EQ(t["toutf_bo"], Values{"1"});
  EXPECT_EQ(t["toutf_xmt_AB"], Values{"1"});
  EXPECT_EQ(t["toutf_xmt_CD"], Values{"0"});
  EXPECT_EQ(t["toutf_quiet_CD"], Values{"1"});
  // Mixers: complex input to a real output on A/B; complex receive on C/D.
  EXPECT_EQ(t["mix_icos"], (Values{"3", "3", "1", "1"}));
  EXPECT_EQ(t["mix_isin"], (Values{"0", "0", "1", "1"}));
  EXPECT_EQ(t["mix_qcos"], (Values{"0", "0", "1", "1"}));
  EXPECT_EQ(t["mix_qsin"], (Values{"3", "3", "1", "1"}));
  EXPECT_EQ(t["mix_rcv_cmplx"], (Values{"0", "0", "1", "1"}));
  EXPECT_EQ(t["rinf_sel_A"], Values{"0"});
  EXPECT_EQ(t["rinf_sel_B"], Values{"0"});
  EXPECT_EQ(t["rinf_sel_C"], Values{"4"});
  EXPECT_EQ(t["rinf_sel_D"], Values{"1"});
  // Interfaces: 8 pins, 16 bits (two clocks a word) on A/B.
  EXPECT_EQ(t["tinf_pins"], (Values{"2", "2", "0", "0"}));
  EXPECT_EQ(t["tinf_first"], (Values{"2", "2", "0", "0"}));
  EXPECT_EQ(t["tinf_second"], (Values{"6", "6", "0", "0"}));
  EXPECT_EQ(t["tinf_fs_cnt"], (Values{"7", "7", "0", "0"}));
  EXPECT_EQ(t["tinf_fso_dly"], (Values{"4", "4", "1", "1"}));
  EXPECT_EQ(t["fso_sel"], (Values{"1", "1", "2", "2"}));
  EXPECT_EQ(t["routf_pins"], (Values{"0", "0", "4", "4"}));
  EXPECT_EQ(t["routf_bits"], (Values{"0", "0", "8", "8"}));
  EXPECT_EQ(t["routf_iqmux"], (Values{"-1", "-1", "1", "1"}));
  EXPECT_EQ(t["routf_pwrdown"], (Values{"1", "1", "0", "0"}));
  EXPECT_EQ(t["gain_rnd"], (Values{"2", "2", "4", "4"}));
  // Gains: the sum shift follows the larger overall gain (0.8) of the pair.
  EXPECT_EQ(t["gain_lsb"], (Values{"1040", "1666", "7461", "6144"}));
  EXPECT_EQ(t["gain_msb"], all4("0"));
  EXPECT_EQ(t["fir_shift"], (Values{"6", "6", "7", "7"}));
  EXPECT_EQ(t["gain"], (Values{"0.253906", "0.406738", "-1.000000", "1.500000"}));
  EXPECT_EQ(t["overall_gain"], (Values{"0.500000", "0.800000", "2.000000", "2.000000"}));
  EXPECT_EQ(t["gain_sync"], (Values{"7", "7", "0", "0"}));
  // AGC of C/D: 500 us x 92.16 MHz / 8 = 5760 samples, D = 11.
  EXPECT_EQ(t["agc_tc"], (Values{"1000", "1000", "500", "500"}));
  EXPECT_EQ(t["agc_Dblw"], (Values{"0", "0", "11", "11"}));
  EXPECT_EQ(t["agc_Dabv"], (Values{"0", "0", "9", "9"}));
  EXPECT_EQ(t["agc_Dzro"], (Values{"0", "0", "7", "7"}));
  EXPECT_EQ(t["agc_min"], (Values{"0", "0", "930", "766"}));
  EXPECT_EQ(t["agc_max"], (Values{"0", "0", "64476", "64640"}));
  EXPECT_EQ(t["agc_thresh"], (Values{"0", "0", "103", "103"}));

  std::string dbg = dir.read("trx.dbg");
  EXPECT_TRUE(contains(dbg, "fir_config(): name=SCR14O12, Mininrate=4, Maxinrate=8\n"));
  EXPECT_TRUE(contains(dbg, "fir_config(): name=SCR12E21, Mininrate=2, Maxinrate=4\n"));
  EXPECT_TRUE(contains(dbg,
                       "Debug(config L460): doxmit1x R2FN20N \n"
                       "Debug(config L619):  0x100c 0x41 0x43  0x253 2 2 3 1\n\n"
                       "Debug(config L1219): Dbg: nchan 1 tdm 0 minrq 0 delay 3 xa 2 xb 2 ya 6 yb "
                       "6 div 1 iqmux 1 cmplx 1 pins 8 bits 16 fscnt 8 min 4 nfs 1 ndivcks 8\n\n"));
  EXPECT_TRUE(ends_with(dir.read("trx.anl"), "Estimate power is   431mW at  92.2 MHz and 1.8V\n"));

  std::string kx = dir.read("trx.kx330");
  EXPECT_TRUE(contains(kx, "dwr16 2 13\ndwr16 10 1a54\ndwr16 11 4062\ndwr16 12 7\ndwr16 13 410\n"));
  EXPECT_TRUE(contains(kx, "dwr16 2 53\ndwr16 10 2200\ndwr16 11 1000\ndwr16 12 0\ndwr16 13 1d25\n"
                           "dwr16 14 f040\ndwr16 15 3a2\ndwr16 16 fbdc\ndwr16 17 6766\ndwr16 18 779b\n"));
  EXPECT_TRUE(contains(kx, "dwr16 2 81\ndwr16 10 43\ndwr16 11 255\n"));
  EXPECT_TRUE(contains(kx, "dwr16 2 a0\ndwr16 10 25d\n"));
  EXPECT_TRUE(contains(kx, "dwr16 2 a1\ndwr16 10 1400\ndwr16 11 0\ndwr16 12 ff80\ndwr16 13 1007\n"
                           "dwr16 14 4501\n"));
  EXPECT_TRUE(contains(kx, "dwr16 2 51\ndwr16 10 522\ndwr16 11 733\ndwr16 12 100\ndwr16 13 311\n"
                           "dwr16 14 844\n"));
  EXPECT_TRUE(contains(kx, "dwr16 2 4a\ndwr16 10 ffb0\ndwr16 11 1e\n"));
  EXPECT_TRUE(ends_with(kx, "dwr16 2 80\ndwr16 15 c070\ndwr16 1d c070\ndwr16 2 a0\ndwr16 15 4936\n"
                            "dwr16 1d 4937\ndwr16 0 100\ndwr16 3 1ff\n"));
}

// Double rate: each pair carries one complex signal as two real halves
// (split I/Q forced by the rate), both pairs summed into one complex
// double-rate output.
TEST(TransmitTrace, DoubleRateSplitPairs) {
  ScratchDir dir;
  dir.write("int4.coef", kInterp48);
  dir.write("dbl.txt",
            "mode ab transmit\nmode cd transmit\nfck 100\ntout_rate 2\ntout_nsig 1\ntout_cmplx 1\n"
            "channel 0\nfir_coef int4.coef\ncic_int 8\nfir_int 4\ntinf_cmplx 0\npins 16\nbits 16\n"
            "freq 10\n"
            "channel 1\ncopy_channel 0\n"
            "channel 2\ncopy_channel 0\nfreq -25\n"
            "channel 3\ncopy_channel 2\n"
            "print table\nprint kx330\nprint debug\nprint analysis\n");
  RunResult r = run_cmd7420(dir, {"dbl.txt"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "1\n\n1\n\n1\n\n1\n\n");
  std::string range = "Warning: Gain is not in optimal range (2048 < gain < 4096 is optimal).\n";
  EXPECT_EQ(r.err, "cmd7420 - revWorking, Feb 14 2005\n" + range + range + range + range);

  auto t = table_values(dir.read("dbl.tbl"));
  EXPECT_EQ(t["splitiq"], Values{"1"});
  EXPECT_EQ(t["splitiqAB"], Values{"1"});
  EXPECT_EQ(t["splitiqCD"], Values{"1"});
  EXPECT_EQ(t["cic_2x"], all4("1"));
  EXPECT_EQ(t["cic_xmt_d6stg"], all4("1"));
  EXPECT_EQ(t["ncic"], all4("3"));  // 8 / 2 - 1
  // The odd channel takes its partner's words, its phase half a step on.
  EXPECT_EQ(t["freq_msb"], (Values{"6553", "6553", "49152", "49152"}));
  EXPECT_EQ(t["freq_mid"], (Values{"39321", "39321", "0", "0"}));
  EXPECT_EQ(t["freq_lsb"], (Values{"39321", "39321", "0", "0"}));
  EXPECT_EQ(t["phase"], (Values{"0", "3277", "0", "57344"}));
  // Case SRR14N14: real data, input rate 4, interpolation 4.
  EXPECT_EQ(t["fir_cmplx"], all4("0"));
  EXPECT_EQ(t["fir_sym"], all4("0"));
  EXPECT_EQ(t["coef_modc"], all4("3"));
  EXPECT_EQ(t["agen_recr"], all4("3"));
  EXPECT_EQ(t["fwagen_wrecrl"], all4("3"));
  EXPECT_EQ(t["bwagen_sdepd"], all4("1"));
  EXPECT_EQ(t["fwa_strobe"], all4("1"));
  EXPECT_EQ(t["beagen_rbypass"], all4("65535"));
  EXPECT_EQ(t["fir_clk_cnt"], all4("0"));
  EXPECT_EQ(t["fir_clk_cnt_en"], all4("1"));
  EXPECT_EQ(t["acc_dly0"], all4("1"));
  EXPECT_EQ(t["acc_bypass"], all4("1"));
  // The first channel of each split pair drives both halves of the output.
  EXPECT_EQ(t["mix_icos"], (Values{"3", "0", "3", "0"}));
  EXPECT_EQ(t["mix_isin"], (Values{"3", "0", "3", "0"}));
  EXPECT_EQ(t["mix_qcos"], (Values{"2", "0", "2", "0"}));
  EXPECT_EQ(t["mix_qsin"], (Values{"2", "0", "2", "0"}));
  EXPECT_EQ(t["mix_inv_qsin"], (Values{"1", "0", "1", "0"}));
  // Two signals (one per split pair) into one double-rate complex output.
  EXPECT_EQ(t["sum_selI"], Values{"107"});
  EXPECT_EQ(t["sum_selQ"], Values{"107"});
  EXPECT_EQ(t["sum_ia"], Values{"2"});
  EXPECT_EQ(t["sum_ib"], Values{"2"});
  EXPECT_EQ(t["sum_qa"], Values{"2"});
  EXPECT_EQ(t["sum_qb"], Values{"0"});
  EXPECT_EQ(t["sum_shift"], Values{"4"});
  // Output formatter word 0x182F.
  EXPECT_EQ(t["toutf_do"], Values{"2"});
  EXPECT_EQ(t["toutf_co"], Values{"4"});
  EXPECT_EQ(t["toutf_bo"], Values{"1"});
  EXPECT_EQ(t["toutf_halfcmplx_AB"], Values{"0"});
  // Real 16-bit words on 16 pins.
  EXPECT_EQ(t["tinf_iqmux"], all4("0"));
  EXPECT_EQ(t["tinf_first"], all4("0"));
  EXPECT_EQ(t["tinf_second"], all4("4"));
  EXPECT_EQ(t["tinf_fs_cnt"], all4("15"));
  EXPECT_EQ(t["tinf_fso_dly"], all4("1"));
  // Gain 4096 / (0.48715 x 2) = 4204; the FIR shift is already at 7.
  EXPECT_EQ(t["gain_lsb"], all4("4204"));
  EXPECT_EQ(t["fir_shift"], all4("7"));
  EXPECT_EQ(t["cic_shift"], all4("26"));
  EXPECT_EQ(t["gain"], all4("1.026367"));

  std::string dbg = dir.read("dbl.dbg");
  EXPECT_TRUE(contains(dbg, "fir_config(): name=SRR14N14, Mininrate=4, Maxinrate=16\n"));
  EXPECT_TRUE(contains(dbg,
                       "Debug(config L460): doxmit1x C1TN20N \n"
                       "Debug(config L619):  0x182f 0x41 0x6b6b  0x152 1 2 2 1\n\n"
                       "Debug(config L1219): Dbg: nchan 1 tdm 0 minrq 0 delay 3 xa 0 xb 0 ya 4 yb "
                       "4 div 1 iqmux 0 cmplx 0 pins 16 bits 16 fscnt 16 min 1 nfs 1 ndivcks 16\n\n"));
  EXPECT_TRUE(ends_with(dir.read("dbl.anl"), "Estimate power is   369mW at 100.0 MHz and 1.8V\n"));

  std::string kx = dir.read("dbl.kx330");
  EXPECT_TRUE(contains(kx, "dwr16 2 80\ndwr16 10 e9a\n"));
  EXPECT_TRUE(contains(kx, "dwr16 18 e9a\ndwr16 19 ccd\n"));
  EXPECT_TRUE(contains(kx, "dwr16 2 81\ndwr16 10 6b6b\ndwr16 11 154\n"));
  EXPECT_TRUE(contains(kx, "dwr16 18 e9a\ndwr16 19 e000\ndwr16 1a 0\ndwr16 1b 0\ndwr16 1c c000\n"));
  EXPECT_TRUE(contains(kx, "dwr16 2 a1\ndwr16 10 0\ndwr16 11 0\ndwr16 12 ff80\ndwr16 13 1827\n"));
  EXPECT_TRUE(contains(kx, "dwr16 2 0\ndwr16 10 ffea\ndwr16 11 ffd6\ndwr16 12 ffdd\ndwr16 13 fff3\n"));
  EXPECT_TRUE(ends_with(kx, "dwr16 2 80\ndwr16 15 da50\ndwr16 1d 0\ndwr16 2 a0\ndwr16 15 da50\n"
                            "dwr16 1d 0\ndwr16 0 100\ndwr16 3 1ff\n"));
}

// TDM input: all four complex inputs arrive on port AI at the maximum rate
// (8 clocks a cycle for 4 channels x I and Q); one channel asks for more
// overall gain, which raises the sum shift for all.
TEST(TransmitTrace, TdmInputAtMaximumRate) {
  ScratchDir dir;
  dir.write("hb15.coef", kHalfBand15);
  dir.write("tdm.txt",
            "mode ab transmit\nmode cd transmit\nfck 61.44\ntinf_tdm 1\ntout_nsig 2\ntout_cmplx 1\n"
            "channel 0\nfir_coef hb15.coef\ncic_int 4\nfir_int 2\ntinf_cmplx 1\npins 16\nbits 16\n"
            "freq 3.84\n"
            "channel 1\ncopy_channel 0\nfreq -3.84\n"
            "channel 2\ncopy_channel 0\nfreq 7.68\n"
            "channel 3\ncopy_channel 0\nfreq -7.68\noverall_gain 1.5\n"
            "print table\nprint kx330\nprint debug\nprint analysis\n");
  RunResult r = run_cmd7420(dir, {"tdm.txt"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "cmd7420 - revWorking, Feb 14 2005\n");

  auto t = table_values(dir.read("tdm.tbl"));
  EXPECT_EQ(t["freq_msb"], (Values{"4096", "61440", "8192", "57344"}));
  EXPECT_EQ(t["tinf_src"], (Values{"6", "1", "1", "1"}));
  EXPECT_EQ(t["tinf_first"], all4("1"));
  EXPECT_EQ(t["tinf_second"], (Values{"5", "2", "2", "2"}));
  EXPECT_EQ(t["tinf_fs_cnt"], all4("7"));
  EXPECT_EQ(t["tinf_fso_dly"], all4("5"));
  EXPECT_EQ(t["sum_selI"], Values{"167"});
  EXPECT_EQ(t["sum_selQ"], Values{"167"});
  EXPECT_EQ(t["sum_shift"], Values{"6"});
  EXPECT_EQ(t["sum_qb"], Values{"0"});
  EXPECT_EQ(t["toutf_do"], Values{"2"});
  EXPECT_EQ(t["toutf_co"], Values{"2"});
  EXPECT_EQ(t["toutf_bo"], Values{"2"});
  EXPECT_EQ(t["gain_lsb"], (Values{"1040", "1040", "1040", "1560"}));
  EXPECT_EQ(t["fir_shift"], all4("6"));
  EXPECT_EQ(t["cic_shift"], all4("31"));

  std::string dbg = dir.read("tdm.dbg");
  EXPECT_TRUE(contains(dbg,
                       "Debug(config L460): doxmit1x C2FN40N \n"
                       "Debug(config L619):  0x242f 0x41 0xa7a7  0x152 2 4 2 1\n\n"
                       "Debug(config L1219): Dbg: nchan 4 tdm 1 minrq 1 delay 3 xa 1 xb 1 ya 5 yb "
                       "2 div 1 iqmux 1 cmplx 1 pins 16 bits 16 fscnt 8 min 8 nfs 1 ndivcks 8\n\n"));
  // The alternative alignments are not probed once a delay is chosen.
  EXPECT_FALSE(contains(dir.read("tdm.anl"), "aligned"));
  EXPECT_TRUE(ends_with(dir.read("tdm.anl"), "Estimate power is   288mW at  61.4 MHz and 1.8V\n"));

  std::string kx = dir.read("tdm.kx330");
  EXPECT_TRUE(contains(kx, "dwr16 2 13\ndwr16 10 1e64\ndwr16 11 5051\n"));
  EXPECT_TRUE(contains(kx, "dwr16 2 33\ndwr16 10 1964\ndwr16 11 5021\n"));
}

// Split I/Q at full rate on both pairs, ports C/D as the 16-bit sum input and
// a slow serial clock: the symmetric interpolation case SRR12O12.
TEST(TransmitTrace, SplitPairsWithSumInputAndSlowClock) {
  ScratchDir dir;
  dir.write("hb15.coef", kHalfBand15);
  dir.write("sumin.txt",
            "mode ab transmit\nmode cd transmit\nfck 100\nsplitiq 1\ntout_nsig 1\ntout_cmplx 1\n"
            "tout_sumin 1\n"
            "channel 0\nfir_coef hb15.coef\ncic_int 16\nfir_int 2\ntinf_cmplx 0\nsck_div 1\npins 4\n"
            "bits 16\nfreq 12\n"
            "channel 1\ncopy_channel 0\n"
            "channel 2\ncopy_channel 0\nfreq -12\n"
            "channel 3\ncopy_channel 2\n"
            "print table\nprint debug\nprint analysis\n");
  RunResult r = run_cmd7420(dir, {"sumin.txt"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "1\n\n1\n\n1\n\n1\n\n");

  auto t = table_values(dir.read("sumin.tbl"));
  for (const char* port : {"en_CO", "en_CFS", "en_DO", "en_DFS"}) EXPECT_EQ(t[port], Values{"0"}) << port;
  EXPECT_EQ(t["en_AO"], Values{"1"});
  EXPECT_EQ(t["sum_selI"], Values{"7"});
  EXPECT_EQ(t["sum_ia"], Values{"3"});
  EXPECT_EQ(t["sum_qa"], Values{"3"});
  EXPECT_EQ(t["sum_ib"], Values{"0"});
  EXPECT_EQ(t["sum_in"], Values{"2"});
  EXPECT_EQ(t["sum_shift"], Values{"5"});
  EXPECT_EQ(t["toutf_sumin"], Values{"1"});
  EXPECT_EQ(t["toutf_bo"], Values{"2"});
  EXPECT_EQ(t["beragen_stepn"], all4("1"));
  EXPECT_EQ(t["bewagen_wrecrl"], all4("0"));
  EXPECT_EQ(t["fir_sync_cnt"], all4("63"));
  EXPECT_EQ(t["fir_clk_cnt"], all4("0"));
  EXPECT_EQ(t["sck_sync"], all4("2"));
  EXPECT_EQ(t["tinf_fs_cnt"], all4("15"));
  EXPECT_EQ(t["tinf_second"], all4("4"));
  EXPECT_EQ(t["tinf_fso_dly"], all4("1"));
  EXPECT_EQ(t["cic_shift"], all4("21"));
  EXPECT_EQ(t["gain_lsb"], all4("1041"));
  EXPECT_EQ(t["mix_qcos"], (Values{"2", "0", "2", "0"}));

  std::string dbg = dir.read("sumin.dbg");
  EXPECT_TRUE(contains(dbg, "fir_config(): name=SRR12O12, Mininrate=2, Maxinrate=16\n"));
  EXPECT_TRUE(contains(dbg,
                       "Debug(config L460): doxmit1x C1FN21N \n"
                       "Debug(config L619):  0x200c 0x41 0x707  0xb98 1 2 0 1\n\n"
                       "Debug(config L1219): Dbg: nchan 1 tdm 0 minrq 0 delay 3 xa 0 xb 0 ya 4 yb "
                       "4 div 2 iqmux 0 cmplx 0 pins 4 bits 16 fscnt 16 min 4 nfs 1 ndivcks 16\n\n"));
  EXPECT_TRUE(ends_with(dir.read("sumin.anl"), "Estimate power is   295mW at 100.0 MHz and 1.8V\n"));
}

// Values from the control file against the computed ones: fields the passes
// only default keep the user's value (and the computation goes on with its
// own), while the CIC count is always stored from cic_int.
TEST(TransmitTrace, UserValuesAgainstComputedOnes) {
  ScratchDir dir;
  dir.write("hb15.coef", kHalfBand15);
  dir.write("ovr.txt",
            "mode ab transmit\nmode cd transmit\nfck 100\ntout_nsig 1\ntout_cmplx 1\n"
            "sum_shift 2\nsum_selI 100\ntoutf_bo 3\n"
            "channel 0\nfir_coef hb15.coef\ncic_int 8\nfir_int 2\ntinf_cmplx 1\npins 4\nbits 16\n"
            "freq 10\ngain_lsb 3000\nfir_shift 5\ncic_shift 20\ntinf_fso_dly 2\nncic 5\n"
            "cic_xmt_5stg 1\n"
            "channel 1\ncopy_channel 0\nchannel 2\ncopy_channel 0\nchannel 3\ncopy_channel 0\n"
            "print table\nprint debug\n");
  RunResult r = run_cmd7420(dir, {"ovr.txt"});
  EXPECT_EQ(r.status, 0);
  std::string expert;
  for (const char* name : {"sum_shift", "sum_selI", "ncic", "cic_xmt_5stg"})
    expert += std::string("Warning: Manually setting a variable that is normally computed\n"
                          "Experts only.  Black diamond run. Variable ") +
              name + "\n";
  std::string range =
      "Warning: Gain is not in optimal range (1024 < gain < 2047 is optimal due to symmetry).\n";
  EXPECT_EQ(r.err, expert + "cmd7420 - revWorking, Feb 14 2005\n" + range + range + range + range);

  auto t = table_values(dir.read("ovr.tbl"));
  EXPECT_EQ(t["ncic"], all4("7"));
  EXPECT_EQ(t["cic_xmt_5stg"], all4("1"));
  EXPECT_EQ(t["cic_xmt_d6stg"], all4("0"));
  EXPECT_EQ(t["cic_shift"], all4("20"));
  EXPECT_EQ(t["gain_lsb"], all4("3000"));
  EXPECT_EQ(t["gain_msb"], all4("0"));
  EXPECT_EQ(t["gain"], all4("0.732422"));
  EXPECT_EQ(t["fir_shift"], all4("5"));
  EXPECT_EQ(t["tinf_fso_dly"], all4("2"));
  EXPECT_EQ(t["sum_shift"], Values{"2"});
  EXPECT_EQ(t["sum_selI"], Values{"100"});
  EXPECT_EQ(t["sum_selQ"], Values{"183"});
  EXPECT_EQ(t["toutf_bo"], Values{"3"});
  EXPECT_EQ(t["toutf_do"], Values{"0"});
  EXPECT_TRUE(contains(dir.read("ovr.dbg"), "Debug(config L619):  0x200c 0x41 0xb764  0x311 1 4 1 1\n"));
}
