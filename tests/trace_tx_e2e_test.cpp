// Whole transmit and transceive runs through the real binary. Each control
// file is one a user would write; every expected value below was worked out
// by hand from the control file (rates, frequency words, filter case and its
// registers, CIC, sum tree, output formatter, mixer selects, interface load
// points and frame-strobe delay, gain words and shifts), so the test checks
// how the passes hand their results to one another.
#include <gtest/gtest.h>

#include <string>

#include "e2e.h"
#include "test_util.h"

namespace {

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

const std::string kBanner = "cmd7420 - revWorking, Feb 14 2005\n";
const char* const kPrintFour = "print table\nprint kx330\nprint debug\nprint analysis\n";

// Writes the coefficient files and the control file `name`.txt into `dir`
// and runs it.
RunResult run_trace(const ScratchDir& dir, const std::string& name, const std::string& control) {
  dir.write("hb15.coef", kHalfBand15);
  dir.write("rx24.coef", kDecimate24);
  dir.write("int4.coef", kInterp48);
  dir.write(name + ".txt", control);
  return run_cmd7420(dir, {name + ".txt"});
}

std::string power_line(const char* figures) {
  return std::string("Estimate power is ") + figures + " and 1.8V\n";
}

}  // namespace

// Four complex transmit channels (CIC 8, half-band interpolation by 2)
// summed into one complex full-rate output.
TEST(TransmitTrace, FourComplexChannelsIntoOneOutput) {
  ScratchDir dir;
  RunResult r = run_trace(
      dir, "tx4",
      "mode ab transmit\nmode cd transmit\nfck 100\ntout_nsig 1\ntout_cmplx 1\n"
      "channel 0\nfir_coef hb15.coef\ncic_int 8\nfir_int 2\ntinf_cmplx 1\npins 4\nbits 16\n"
      "freq 10\nchannel 1\ncopy_channel 0\nfreq 20\nchannel 2\ncopy_channel 0\nfreq -15\n"
      "channel 3\ncopy_channel 0\nfreq 30\n" + std::string(kPrintFour));
  EXPECT_EQ(r.status, 0);
  // fir_dec of each channel, then the empty line of its interpolating plan.
  EXPECT_EQ(r.out, "1\n\n1\n\n1\n\n1\n\n");
  EXPECT_EQ(r.err, kBanner);
  EXPECT_TRUE(table_has(
      dir.read("tx4.tbl"),
      // Frequency words against fck.
      "freq_msb 6553 13107 55705 19660; freq_mid 39321 13107 39321 52428; freq_lsb 39321 13107 39321 52428; "
      // CIC: 8 x 1 - 1; six stages; the shift is 41 - log2(8^5).
      "ncic 7 7 7 7; cic_xmt_5stg 0 0 0 0; cic_xmt_d6stg 0 0 0 0; cic_rcv 2 2 2 2; cic_bypass 0 0 0 0; "
      "cic_shift 26 26 26 26; "
      // Filter case SCR14O12 (complex, input rate 4, odd symmetry, interp 2).
      "fir_sym 1 1 1 1; fir_cmplx 1 1 1 1; coef_modc 1 1 1 1; coef_repc 1 1 1 1; agen_recr 1 1 1 1; "
      "agen_togen 1 1 1 1; bwagen_sdepd 2 2 2 2; beragen_stepn 2 2 2 2; bewagen_wrecrl 1 1 1 1; "
      "fwa_strobe 3 3 3 3; bwa_strobe 3 3 3 3; beagen_rbypass 0 0 0 0; fir_sync_cnt 127 127 127 127; "
      "fir_clk_cnt 1 1 1 1; swap_wa_cnt 1 1 1 1; acc_dly 1 1 1 1; acc_bypass 1 1 1 1; acc_enram 0 0 0 0; "
      // Sum tree: four inputs into one complex output; output formatter word 0x200C.
      "sum_selI 183; sum_selQ 183; sum_ia 2; sum_qa 2; sum_ib 0; sum_qb 1; sum_in 0; sum_shift 5; "
      "toutf_do 0; toutf_co 0; toutf_bo 2; toutf_quiet_CD 1; toutf_xmt_AB 1; toutf_xmt_CD 1; "
      // Complex transmit mixers at full rate.
      "mix_icos 3 3 3 3; mix_isin 3 3 3 3; mix_qcos 3 3 3 3; mix_qsin 3 3 3 3; mix_inv_qsin 1 1 1 1; "
      // Interface: 4 pins, 16 bits, I/Q multiplexed; 16 clocks per cycle.
      "tinf_pins 1 1 1 1; tinf_bits 4 4 4 4; tinf_iqmux 1 1 1 1; tinf_fs_cnt 15 15 15 15; "
      "tinf_nfs 0 0 0 0; tinf_first 4 4 4 4; tinf_second 8 8 8 8; tinf_fso_dly 1 1 1 1; gain_half 1 1 1 1; "
      // Gain: 4096 / (0.98339844 x 4) = 1041 with FIR shift 7.
      "gain_lsb 1041 1041 1041 1041; gain_msb 0 0 0 0; fir_shift 7 7 7 7; "
      "gain 0.254150 0.254150 0.254150 0.254150; overall_gain 1.000000 1.000000 1.000000 1.000000"));
  EXPECT_TRUE(has_all(dir.read("tx4.dbg"),
                      {"fir_config(): name=SCR14O12, Mininrate=4, Maxinrate=16\n",
                       "Debug(config L460): doxmit1x C1FN40N \n"
                       "Debug(config L619):  0x200c 0x41 0xb7b7  0x311 1 4 1 1\n\n"
                       "Debug(config L1219): Dbg: nchan 1 tdm 0 minrq 0 delay 3 xa 4 xb 4 ya 8 yb "
                       "8 div 1 iqmux 1 cmplx 1 pins 4 bits 16 fscnt 16 min 8 nfs 1 ndivcks 16\n\n"}));
  EXPECT_TRUE(ends_with_text(dir.read("tx4.anl"), power_line("  369mW at 100.0 MHz")));
  const std::string kx = dir.read("tx4.kx330");
  EXPECT_TRUE(has_all(kx, {"dwr16 2 13\ndwr16 10 1a4c\ndwr16 11 1084\ndwr16 12 f\ndwr16 13 411\n"
                           "dwr16 14 f228\n",
                           "dwr16 2 80\ndwr16 10 29a\ndwr16 11 0\ndwr16 12 9999\ndwr16 13 9999\n"
                           "dwr16 14 1999\n",
                           "dwr16 2 81\ndwr16 10 b7b7\ndwr16 11 315\n",
                           "dwr16 2 a1\ndwr16 10 0\ndwr16 11 0\ndwr16 12 ff80\ndwr16 13 2007\ndwr16 14 5501\n",
                           "dwr16 2 11\ndwr16 10 4100\ndwr16 11 4311\ndwr16 12 400\ndwr16 13 611\n",
                           "dwr16 2 c\ndwr16 10 0\ndwr16 11 ff88\n",
                           "dwr16 2 f\ndwr16 10 4000\ndwr16 11 2648\n"}));
  EXPECT_TRUE(ends_with_text(kx, "dwr16 2 80\ndwr16 15 db70\ndwr16 1d db70\ndwr16 2 a0\ndwr16 15 db70\n"
                                 "dwr16 1d db70\ndwr16 0 100\ndwr16 3 1ff\n"));
}

// Transceive: A/B transmit complex input into two real outputs (different
// overall gains), C/D receive complex input at full rate with the AGC on.
TEST(TransmitTrace, TransceiveWithAgcOnTheReceivePair) {
  ScratchDir dir;
  RunResult r = run_trace(
      dir, "trx",
      "mode ab transmit\nmode cd receive\nfck 92.16\ntout_nsig 2\ntout_cmplx 0\nrin_cmplx 1\nchannel 0\n"
      "fir_coef hb15.coef\ncic_int 4\nfir_int 2\ntinf_cmplx 1\npins 8\nbits 16\nfreq 5\noverall_gain 0.5\n"
      "channel 1\ncopy_channel 0\nfreq 12.5\noverall_gain 0.8\nchannel 2\nfir_coef rx24.coef\ncic_dec 4\n"
      "fir_dec 2\nfreq 15\nmix_rcv_sel 2\npins 16\nbits 16\nagc_freeze 0\nagc_tc 500\n"
      "channel 3\ncopy_channel 2\nfreq -7.5\nmix_rcv_sel 3\ngain 1.5\n" + std::string(kPrintFour));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "1\n\n1\n\n2\n2\n");
  const std::string agc_warnings =
      "Warning: agc_freeze is 0 (i.e., agc is on), but agc_cf (target agc crest factor in\n"
      "dB) not set. Defaulting to 10dB.\n"
      "Warning: agc_freeze is 0 (i.e., agc is on), but agc_mode (0 for CDMA, 1 for narrowband\n"
      "and 2 for mixed signals) not set or set wrong. Defaulting to 2 (mixed).\n";
  EXPECT_EQ(r.err, kBanner + agc_warnings + agc_warnings);
  EXPECT_TRUE(table_has(
      dir.read("trx.tbl"),
      "freq_msb 3555 8888 10666 60202; freq_mid 36408 58254 43690 43690; freq_lsb 58254 14563 43690 43690; "
      "ncic 3 3 3 3; "
      // Transmit: 41 - log2(4^5); receive: 39 - 9, one less for the symmetry.
      "cic_shift 31 31 29 29; cic_rcv 2 2 1 1; cic_rcv_full 0 0 0 0; "
      // Receive case SCR12E21 (even symmetry, decimation 2, input rate 2).
      "fir_sym 1 1 2 2; agen_depd 1 1 3 3; beragen_stepn 2 2 4 4; fwa_strobe 3 3 15 15; bwa_strobe 3 3 15 15; "
      "swap_wa_cnt 1 1 3 3; acc_cnt 0 0 1 1; acc_enram 0 0 1 1; fir_rnd20 0 0 1 1; "
      // Two real signals, no sum input, in transceive.
      "sum_selI 67; sum_selQ 0; sum_ia 2; sum_ib 2; sum_qa 0; sum_qb 1; sum_shift 5; toutf_bo 1; "
      "toutf_xmt_AB 1; toutf_xmt_CD 0; toutf_quiet_CD 1; "
      // Mixers: complex input to a real output on A/B; complex receive on C/D.
      "mix_icos 3 3 1 1; mix_isin 0 0 1 1; mix_qcos 0 0 1 1; mix_qsin 3 3 1 1; mix_rcv_cmplx 0 0 1 1; "
      "rinf_sel_A 0; rinf_sel_B 0; rinf_sel_C 4; rinf_sel_D 1; "
      // Interfaces: 8 pins, 16 bits (two clocks a word) on A/B.
      "tinf_pins 2 2 0 0; tinf_first 2 2 0 0; tinf_second 6 6 0 0; tinf_fs_cnt 7 7 0 0; "
      "tinf_fso_dly 4 4 1 1; fso_sel 1 1 2 2; routf_pins 0 0 4 4; routf_bits 0 0 8 8; "
      "routf_iqmux -1 -1 1 1; routf_pwrdown 1 1 0 0; gain_rnd 2 2 4 4; "
      // Gains: the sum shift follows the larger overall gain (0.8) of the pair.
      "gain_lsb 1040 1666 7461 6144; gain_msb 0 0 0 0; fir_shift 6 6 7 7; "
      "gain 0.253906 0.406738 -1.000000 1.500000; overall_gain 0.500000 0.800000 2.000000 2.000000; "
      "gain_sync 7 7 0 0; "
      // AGC of C/D: 500 us x 92.16 MHz / 8 = 5760 samples, D = 11.
      "agc_tc 1000 1000 500 500; agc_Dblw 0 0 11 11; agc_Dabv 0 0 9 9; agc_Dzro 0 0 7 7; "
      "agc_min 0 0 930 766; agc_max 0 0 64476 64640; agc_thresh 0 0 103 103"));
  EXPECT_TRUE(has_all(dir.read("trx.dbg"),
                      {"fir_config(): name=SCR14O12, Mininrate=4, Maxinrate=8\n",
                       "fir_config(): name=SCR12E21, Mininrate=2, Maxinrate=4\n",
                       "Debug(config L460): doxmit1x R2FN20N \n"
                       "Debug(config L619):  0x100c 0x41 0x43  0x253 2 2 3 1\n\n"
                       "Debug(config L1219): Dbg: nchan 1 tdm 0 minrq 0 delay 3 xa 2 xb 2 ya 6 yb "
                       "6 div 1 iqmux 1 cmplx 1 pins 8 bits 16 fscnt 8 min 4 nfs 1 ndivcks 8\n\n"}));
  EXPECT_TRUE(ends_with_text(dir.read("trx.anl"), power_line("  431mW at  92.2 MHz")));
  const std::string kx = dir.read("trx.kx330");
  EXPECT_TRUE(has_all(kx, {"dwr16 2 13\ndwr16 10 1a54\ndwr16 11 4062\ndwr16 12 7\ndwr16 13 410\n",
                           "dwr16 2 53\ndwr16 10 2200\ndwr16 11 1000\ndwr16 12 0\ndwr16 13 1d25\n"
                           "dwr16 14 f040\ndwr16 15 3a2\ndwr16 16 fbdc\ndwr16 17 6766\ndwr16 18 779b\n",
                           "dwr16 2 81\ndwr16 10 43\ndwr16 11 255\n", "dwr16 2 a0\ndwr16 10 25d\n",
                           "dwr16 2 a1\ndwr16 10 1400\ndwr16 11 0\ndwr16 12 ff80\ndwr16 13 1007\n"
                           "dwr16 14 4501\n",
                           "dwr16 2 51\ndwr16 10 522\ndwr16 11 733\ndwr16 12 100\ndwr16 13 311\ndwr16 14 844\n",
                           "dwr16 2 4a\ndwr16 10 ffb0\ndwr16 11 1e\n"}));
  EXPECT_TRUE(ends_with_text(kx, "dwr16 2 80\ndwr16 15 c070\ndwr16 1d c070\ndwr16 2 a0\ndwr16 15 4936\n"
                                 "dwr16 1d 4937\ndwr16 0 100\ndwr16 3 1ff\n"));
}

// Double rate: each pair carries one complex signal as two real halves
// (split I/Q forced by the rate), both pairs summed into one complex
// double-rate output.
TEST(TransmitTrace, DoubleRateSplitPairs) {
  ScratchDir dir;
  RunResult r = run_trace(
      dir, "dbl",
      "mode ab transmit\nmode cd transmit\nfck 100\ntout_rate 2\ntout_nsig 1\ntout_cmplx 1\n"
      "channel 0\nfir_coef int4.coef\ncic_int 8\nfir_int 4\ntinf_cmplx 0\npins 16\nbits 16\n"
      "freq 10\nchannel 1\ncopy_channel 0\nchannel 2\ncopy_channel 0\nfreq -25\n"
      "channel 3\ncopy_channel 2\n" + std::string(kPrintFour));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "1\n\n1\n\n1\n\n1\n\n");
  std::string range = "Warning: Gain is not in optimal range (2048 < gain < 4096 is optimal).\n";
  EXPECT_EQ(r.err, kBanner + range + range + range + range);
  EXPECT_TRUE(table_has(
      dir.read("dbl.tbl"),
      "splitiq 1; splitiqAB 1; splitiqCD 1; cic_2x 1 1 1 1; cic_xmt_d6stg 1 1 1 1; "
      "ncic 3 3 3 3; "  // 8 / 2 - 1
      // The odd channel takes its partner's words, its phase half a step on.
      "freq_msb 6553 6553 49152 49152; freq_mid 39321 39321 0 0; freq_lsb 39321 39321 0 0; "
      "phase 0 3277 0 57344; "
      // Case SRR14N14: real data, input rate 4, interpolation 4.
      "fir_cmplx 0 0 0 0; fir_sym 0 0 0 0; coef_modc 3 3 3 3; agen_recr 3 3 3 3; fwagen_wrecrl 3 3 3 3; "
      "bwagen_sdepd 1 1 1 1; fwa_strobe 1 1 1 1; beagen_rbypass 65535 65535 65535 65535; "
      "fir_clk_cnt 0 0 0 0; fir_clk_cnt_en 1 1 1 1; acc_dly0 1 1 1 1; acc_bypass 1 1 1 1; "
      // The first channel of each split pair drives both halves of the output.
      "mix_icos 3 0 3 0; mix_isin 3 0 3 0; mix_qcos 2 0 2 0; mix_qsin 2 0 2 0; mix_inv_qsin 1 0 1 0; "
      // Two signals (one per split pair) into one double-rate complex output;
      // output formatter word 0x182F.
      "sum_selI 107; sum_selQ 107; sum_ia 2; sum_ib 2; sum_qa 2; sum_qb 0; sum_shift 4; "
      "toutf_do 2; toutf_co 4; toutf_bo 1; toutf_halfcmplx_AB 0; "
      // Real 16-bit words on 16 pins.
      "tinf_iqmux 0 0 0 0; tinf_first 0 0 0 0; tinf_second 4 4 4 4; tinf_fs_cnt 15 15 15 15; "
      "tinf_fso_dly 1 1 1 1; "
      // Gain 4096 / (0.48715 x 2) = 4204; the FIR shift is already at 7.
      "gain_lsb 4204 4204 4204 4204; fir_shift 7 7 7 7; cic_shift 26 26 26 26; "
      "gain 1.026367 1.026367 1.026367 1.026367"));
  EXPECT_TRUE(has_all(dir.read("dbl.dbg"),
                      {"fir_config(): name=SRR14N14, Mininrate=4, Maxinrate=16\n",
                       "Debug(config L460): doxmit1x C1TN20N \n"
                       "Debug(config L619):  0x182f 0x41 0x6b6b  0x152 1 2 2 1\n\n"
                       "Debug(config L1219): Dbg: nchan 1 tdm 0 minrq 0 delay 3 xa 0 xb 0 ya 4 yb "
                       "4 div 1 iqmux 0 cmplx 0 pins 16 bits 16 fscnt 16 min 1 nfs 1 ndivcks 16\n\n"}));
  EXPECT_TRUE(ends_with_text(dir.read("dbl.anl"), power_line("  369mW at 100.0 MHz")));
  const std::string kx = dir.read("dbl.kx330");
  EXPECT_TRUE(has_all(kx, {"dwr16 2 80\ndwr16 10 e9a\n", "dwr16 18 e9a\ndwr16 19 ccd\n",
                           "dwr16 2 81\ndwr16 10 6b6b\ndwr16 11 154\n",
                           "dwr16 18 e9a\ndwr16 19 e000\ndwr16 1a 0\ndwr16 1b 0\ndwr16 1c c000\n",
                           "dwr16 2 a1\ndwr16 10 0\ndwr16 11 0\ndwr16 12 ff80\ndwr16 13 1827\n",
                           "dwr16 2 0\ndwr16 10 ffea\ndwr16 11 ffd6\ndwr16 12 ffdd\ndwr16 13 fff3\n"}));
  EXPECT_TRUE(ends_with_text(kx, "dwr16 2 80\ndwr16 15 da50\ndwr16 1d 0\ndwr16 2 a0\ndwr16 15 da50\n"
                                 "dwr16 1d 0\ndwr16 0 100\ndwr16 3 1ff\n"));
}

// TDM input: all four complex inputs arrive on port AI at the maximum rate
// (8 clocks a cycle for 4 channels x I and Q); one channel asks for more
// overall gain, which raises the sum shift for all.
TEST(TransmitTrace, TdmInputAtMaximumRate) {
  ScratchDir dir;
  RunResult r = run_trace(
      dir, "tdm",
      "mode ab transmit\nmode cd transmit\nfck 61.44\ntinf_tdm 1\ntout_nsig 2\ntout_cmplx 1\n"
      "channel 0\nfir_coef hb15.coef\ncic_int 4\nfir_int 2\ntinf_cmplx 1\npins 16\nbits 16\n"
      "freq 3.84\nchannel 1\ncopy_channel 0\nfreq -3.84\nchannel 2\ncopy_channel 0\nfreq 7.68\n"
      "channel 3\ncopy_channel 0\nfreq -7.68\noverall_gain 1.5\n" + std::string(kPrintFour));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, kBanner);
  EXPECT_TRUE(table_has(
      dir.read("tdm.tbl"),
      "freq_msb 4096 61440 8192 57344; tinf_src 6 1 1 1; tinf_first 1 1 1 1; tinf_second 5 2 2 2; "
      "tinf_fs_cnt 7 7 7 7; tinf_fso_dly 5 5 5 5; sum_selI 167; sum_selQ 167; sum_shift 6; sum_qb 0; "
      "toutf_do 2; toutf_co 2; toutf_bo 2; gain_lsb 1040 1040 1040 1560; fir_shift 6 6 6 6; "
      "cic_shift 31 31 31 31"));
  EXPECT_TRUE(has_all(dir.read("tdm.dbg"),
                      {"Debug(config L460): doxmit1x C2FN40N \n"
                       "Debug(config L619):  0x242f 0x41 0xa7a7  0x152 2 4 2 1\n\n"
                       "Debug(config L1219): Dbg: nchan 4 tdm 1 minrq 1 delay 3 xa 1 xb 1 ya 5 yb "
                       "2 div 1 iqmux 1 cmplx 1 pins 16 bits 16 fscnt 8 min 8 nfs 1 ndivcks 8\n\n"}));
  // The alternative alignments are not probed once a delay is chosen.
  const std::string anl = dir.read("tdm.anl");
  EXPECT_EQ(occurrences_of(anl, "aligned"), 0);
  EXPECT_TRUE(ends_with_text(anl, power_line("  288mW at  61.4 MHz")));
  EXPECT_TRUE(has_all(dir.read("tdm.kx330"), {"dwr16 2 13\ndwr16 10 1e64\ndwr16 11 5051\n",
                                              "dwr16 2 33\ndwr16 10 1964\ndwr16 11 5021\n"}));
}

// Split I/Q at full rate on both pairs, ports C/D as the 16-bit sum input and
// a slow serial clock: the symmetric interpolation case SRR12O12.
TEST(TransmitTrace, SplitPairsWithSumInputAndSlowClock) {
  ScratchDir dir;
  RunResult r = run_trace(
      dir, "sumin",
      "mode ab transmit\nmode cd transmit\nfck 100\nsplitiq 1\ntout_nsig 1\ntout_cmplx 1\ntout_sumin 1\n"
      "channel 0\nfir_coef hb15.coef\ncic_int 16\nfir_int 2\ntinf_cmplx 0\nsck_div 1\npins 4\nbits 16\n"
      "freq 12\nchannel 1\ncopy_channel 0\nchannel 2\ncopy_channel 0\nfreq -12\nchannel 3\ncopy_channel 2\n"
      "print table\nprint debug\nprint analysis\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "1\n\n1\n\n1\n\n1\n\n");
  EXPECT_TRUE(table_has(
      dir.read("sumin.tbl"),
      "en_CO 0; en_CFS 0; en_DO 0; en_DFS 0; en_AO 1; sum_selI 7; sum_ia 3; sum_qa 3; sum_ib 0; sum_in 2; "
      "sum_shift 5; toutf_sumin 1; toutf_bo 2; beragen_stepn 1 1 1 1; bewagen_wrecrl 0 0 0 0; "
      "fir_sync_cnt 63 63 63 63; fir_clk_cnt 0 0 0 0; sck_sync 2 2 2 2; tinf_fs_cnt 15 15 15 15; "
      "tinf_second 4 4 4 4; tinf_fso_dly 1 1 1 1; cic_shift 21 21 21 21; gain_lsb 1041 1041 1041 1041; "
      "mix_qcos 2 0 2 0"));
  EXPECT_TRUE(has_all(dir.read("sumin.dbg"),
                      {"fir_config(): name=SRR12O12, Mininrate=2, Maxinrate=16\n",
                       "Debug(config L460): doxmit1x C1FN21N \n"
                       "Debug(config L619):  0x200c 0x41 0x707  0xb98 1 2 0 1\n\n"
                       "Debug(config L1219): Dbg: nchan 1 tdm 0 minrq 0 delay 3 xa 0 xb 0 ya 4 yb "
                       "4 div 2 iqmux 0 cmplx 0 pins 4 bits 16 fscnt 16 min 4 nfs 1 ndivcks 16\n\n"}));
  EXPECT_TRUE(ends_with_text(dir.read("sumin.anl"), power_line("  295mW at 100.0 MHz")));
}

// Values from the control file against the computed ones: fields the passes
// only default keep the user's value (and the computation goes on with its
// own), while the CIC count is always stored from cic_int.
TEST(TransmitTrace, UserValuesAgainstComputedOnes) {
  ScratchDir dir;
  RunResult r = run_trace(
      dir, "ovr",
      "mode ab transmit\nmode cd transmit\nfck 100\ntout_nsig 1\ntout_cmplx 1\nsum_shift 2\nsum_selI 100\n"
      "toutf_bo 3\nchannel 0\nfir_coef hb15.coef\ncic_int 8\nfir_int 2\ntinf_cmplx 1\npins 4\nbits 16\n"
      "freq 10\ngain_lsb 3000\nfir_shift 5\ncic_shift 20\ntinf_fso_dly 2\nncic 5\ncic_xmt_5stg 1\nchannel 1\n"
      "copy_channel 0\nchannel 2\ncopy_channel 0\nchannel 3\ncopy_channel 0\n"
      "print table\nprint debug\n");
  EXPECT_EQ(r.status, 0);
  std::string expert;
  for (const char* name : {"sum_shift", "sum_selI", "ncic", "cic_xmt_5stg"})
    expert += std::string("Warning: Manually setting a variable that is normally computed\n"
                          "Experts only.  Black diamond run. Variable ") + name + "\n";
  std::string range =
      "Warning: Gain is not in optimal range (1024 < gain < 2047 is optimal due to symmetry).\n";
  EXPECT_EQ(r.err, expert + kBanner + range + range + range + range);
  EXPECT_TRUE(table_has(
      dir.read("ovr.tbl"),
      "ncic 7 7 7 7; cic_xmt_5stg 1 1 1 1; cic_xmt_d6stg 0 0 0 0; cic_shift 20 20 20 20; "
      "gain_lsb 3000 3000 3000 3000; gain_msb 0 0 0 0; gain 0.732422 0.732422 0.732422 0.732422; "
      "fir_shift 5 5 5 5; tinf_fso_dly 2 2 2 2; sum_shift 2; sum_selI 100; sum_selQ 183; toutf_bo 3; "
      "toutf_do 0"));
  EXPECT_TRUE(has_all(dir.read("ovr.dbg"), {"Debug(config L619):  0x200c 0x41 0xb764  0x311 1 4 1 1\n"}));
}
