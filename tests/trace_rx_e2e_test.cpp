// Receive set-ups through the real binary, from the control file to the
// table, board-loader and debug outputs, with every expected value worked
// out by hand: the frequency words and the double-rate phase, the CIC count
// and shift, the filter case with its address-generator registers and RAM
// images, the interface selects, the gain words and the AGC settings.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "e2e.h"
#include "test_util.h"

namespace {

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

// Writes the coefficient files and the control file `name`.txt into `dir`
// and runs it: a 31-tap odd-symmetric lowpass (sum 19970, largest tap
// 5200), 24 taps without symmetry (sum 28455, largest tap 5900) and 32
// even-symmetric taps (sum 2 x 2907 = 5814).
RunResult run_trace(const ScratchDir& dir, const std::string& name, const std::string& control) {
  dir.write("lp31.coef", lines({-20, -35, -30, 0, 60, 120, 120, 0, -250, -500, -480, 0, 1100, 2800, 4500, 5200,
                                4500, 2800, 1100, 0, -480, -500, -250, 0, 120, 120, 60, 0, -30, -35, -20}));
  dir.write("mp24.coef", lines({100, 400, 1200, 2600, 4300, 5600, 5900, 5000, 3300, 1500, 200, -500, -700, -550,
                                -250, 0, 120, 150, 110, 50, 0, -30, -30, -15}));
  dir.write("hb32.coef", lines({12, -18, -40, -22, 35, 90, 80, -30, -190, -260, -90, 300, 700, 760, 180, 1400,
                                1400, 180, 760, 700, 300, -90, -260, -190, -30, 80, 90, 35, -22, -40, -18, 12}));
  dir.write(name + ".txt", control);
  return run_cmd7420(dir, {name + ".txt"});
}

}  // namespace

// A/B real input, CIC 8, a 31-tap odd-symmetric filter decimating by 2:
// complex data after the mixer gives case SCR12O21 (D 4, N 2, ModC 2).
TEST(ReceiveTrace, RealInputWithPoweredDownPair) {
  ScratchDir dir;
  RunResult r = run_trace(dir, "rx",
                          "# Pair A/B receives real samples, pair C/D is powered down.\n"
                          "mode ab receive\nmode cd receive\npwr_dwn_cic_CD 1\nfck 100\n"
                          "channel 0\nfir_coef lp31.coef\ncic_dec 8\nfir_dec 2\nfreq 10\nmix_rcv_sel 0\n"
                          "pins 16\nbits 16\nagc_freeze 0\nagc_tc 500\nagc_cf 12\nagc_mode 1\n"
                          "channel 1\ncopy_channel 0\nfreq -25\nagc_freeze 1\noverall_gain 1.5\n"
                          "channel 2\npins 16\nbits 16\nchannel 3\npins 16\nbits 16\n"
                          "print table\nprint kx330\nprint debug\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "2\n2\n-1\n-1\n");
  // C and D: nc = 1 x -1 has no logarithm, so their shift is held to 39.
  const std::string held = "Warning: CIC shift was calculated to be over 39; setting to 39 as MAX value\n";
  EXPECT_EQ(r.err, kBanner + held + held + kFrozenAgcWarning + kPoweredDownNcic);
  const std::string dbg = dir.read("rx.dbg");
  EXPECT_EQ(occurrences_of(dbg, "fir_config(): name=SCR12O21, Mininrate=2, Maxinrate=8\n"), 2);
  EXPECT_EQ(occurrences_of(dbg, "Debug(firconfig L253): ncoef=31 Sym=1 hnn=16 hxx=32\n"), 2);
  EXPECT_TRUE(table_has(
      dir.read("rx.tbl"),
      // 10 / 100 of a turn: 6553.6; -25 wraps to 49152 (0xC000).
      "freq_msb 6553 49152 -1 -1; freq_mid 39321 0 0 0; freq_lsb 39321 0 0 0; ncic 7 7 -2 -2; "
      // floor(39 - (5 log2 8 - 1)) = 25, one less for a symmetric filter.
      "cic_shift 24 24 39 39; cic_rcv_full 0 0 0 0; fir_cmplx 1 1 -1 -1; coef_modc 1 1 -1 -1; "
      "coef_repc 1 1 -1 -1; agen_depd 3 3 -1 -1; fragen_stepn 0 0 -1 -1; beragen_stepn 4 4 -1 -1; "
      "bewagen_soff 4 4 -1 -1; bewagen_sdepd 2 2 -1 -1; fwa_strobe 15 15 -1 -1; bwa_strobe 15 15 -1 -1; "
      "beagen_rbypass 0 0 -1 -1; fir_sync_cnt 127 127 -1 -1; fir_clk_cnt 1 1 -1 -1; "
      "swap_wa_cnt 3 3 -1 -1; acc_enram 1 1 -1 -1; "
      // FIR shift 21 - 13 = 8 held to 7; gain 4096 x 2 / (19970 / 2^14 x 0.5).
      "fir_shift 7 7 -1 -1; gain_lsb 13442 10081 -1 -1; gain_msb 0 0 -1 -1; "
      "overall_gain 2.000000 1.500000 -1.000000 -1.000000; "
      // AGC of A: 500 us x 100 MHz / 16 = 3125 samples, D = 10 (narrowband).
      "agc_Dblw 10 0 -1 -1; agc_Dabv 10 0 -1 -1; agc_Dzro 6 0 -1 -1; agc_min 1678 0 -1 -1; "
      "agc_max 63600 0 -1 -1; agc_thresh 64 0 -1 -1; gain_sync 0 7 7 7; routf_bits 8 8 8 8; "
      "routf_iqmux 1 1 -1 -1; routf_pwrdown 0 0 1 1; fso_sel 2 2 0 0; mix_qsin 0 0 0 0; "
      "mix_isin 1 1 1 1; rinf_sel_A 4; rinf_sel_C -1; splitiqAB 0; tout_nsig 0; soB_sync 4"));
  const std::string kx = dir.read("rx.kx330");
  EXPECT_TRUE(has_all(
      kx, {// Channel A's address generators (page 0x12) and gain/AGC block (0x13).
           "dwr16 2 12\ndwr16 10 1110\ndwr16 11 30\ndwr16 12 300\ndwr16 13 0\ndwr16 14 300\ndwr16 15 0\n"
           "dwr16 16 4300\ndwr16 17 204\ndwr16 18 f\ndwr16 19 f\ndwr16 1a 0\n",
           "dwr16 2 13\ndwr16 10 2200\ndwr16 11 1000\ndwr16 12 0\ndwr16 13 3482\ndwr16 14 f040\ndwr16 15 68e\n"
           "dwr16 16 f870\ndwr16 17 4066\ndwr16 18 66aa\n",
           // CIC/NCO registers of A and B; C's ncic of -2 fills its register.
           "dwr16 2 80\ndwr16 10 258\ndwr16 11 0\ndwr16 12 9999\ndwr16 13 9999\ndwr16 14 1999\ndwr16 16 4bf\n"
           "dwr16 17 2007\ndwr16 18 258\n",
           "dwr16 16 4bf\ndwr16 17 fffe\n",
           // Swap order 2 3 0 1, back-end RAM, and the reversed pairs of taps
           // in coefficient page 8 (taps 1 and 0: -35 and -20).
           "dwr16 2 10\ndwr16 10 2\ndwr16 11 3\ndwr16 12 0\ndwr16 13 1\ndwr16 14 4\n",
           "dwr16 2 11\ndwr16 10 2732\ndwr16 11 2103\ndwr16 12 310\ndwr16 13 521\ndwr16 14 844\ndwr16 15 a55\n",
           "dwr16 2 8\ndwr16 10 ffdd\ndwr16 11 ffec\ndwr16 12 0\n",
           "dwr16 2 f\ndwr16 10 1450\ndwr16 11 1194\ndwr16 12 0\n"}));
  EXPECT_TRUE(ends_with_text(kx, "dwr16 2 80\ndwr16 15 4810\ndwr16 1d 4810\ndwr16 2 a0\ndwr16 15 4810\n"
                                 "dwr16 1d 4810\ndwr16 0 4100\ndwr16 3 1ff\n"));
}

// Complex input at double rate forces split-I/Q: real data in each filter
// (cases SRR11N21 and SRR11N41), the odd channels take the even channels'
// words with half a step of phase, and every channel crosses its CIC input.
TEST(ReceiveTrace, DoubleRateComplexOnAllFourChannels) {
  ScratchDir dir;
  RunResult r = run_trace(
      dir, "rx2",
      "; Four receive channels, complex input at double rate: A/B and C/D each\n"
      "; carry one signal split over the pair.\n"
      "mode ab receive\nmode cd receive\nfck 120\nrin_cmplx 1\nrin_rate 2\nsync_mode 7\n"
      "channel 0\nfir_coef mp24.coef\ncic_dec 8\nfir_dec 2\nfreq 15\npins 8\nbits 16\n"
      "channel 1\ncopy_channel 0\n"
      "channel 2\nfir_coef mp24.coef\ncic_dec 4\nfir_dec 4\nfreq -30\npins 8\nbits 16\nagc_freeze 0\n"
      "channel 3\ncopy_channel 2\nagc_freeze 1\ngain 0.75\nprint table\nprint kx330\nprint debug\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "2\n2\n4\n4\n");
  // The cross-checks: with complex input and a non-symmetric filter P = zpad
  // x cic x rshift x mix = 1 > .70711 on the even channels (the odd channel
  // of a double-rate pair is not checked); the continuation has no line end
  // of its own.
  const std::string restriction =
      "Warning: Gain settings violate gain restriction:\n"
      "zpad_gain x mix_gain x cic_gain x rshift_gain <= .70711 with complex in and nonsymmetric filter";
  EXPECT_EQ(r.err, kBanner +
                       "Warning: agc_freeze is 0 (i.e., agc is on), but agc_tc (target agc time constant in\n"
                       "microseconds) not set. Defaulting to 1000 microseconds.\n"
                       "Warning: agc_freeze is 0 (i.e., agc is on), but agc_cf (target agc crest factor in\n"
                       "dB) not set. Defaulting to 10dB.\n"
                       "Warning: agc_freeze is 0 (i.e., agc is on), but agc_mode (0 for CDMA, 1 for narrowband\n"
                       "and 2 for mixed signals) not set or set wrong. Defaulting to 2 (mixed).\n" +
                       restriction + restriction);
  const std::string dbg = dir.read("rx2.dbg");
  EXPECT_EQ(occurrences_of(dbg, "splitiq must be 1"), 0);
  for (const char* plan : {"SRR11N21, Mininrate=1, Maxinrate=4", "SRR11N41, Mininrate=1, Maxinrate=2"})
    EXPECT_EQ(occurrences_of(dbg, std::string("fir_config(): name=") + plan + "\n"), 2) << plan;
  EXPECT_TRUE(table_has(
      dir.read("rx2.tbl"),
      "splitiqAB 1; splitiq 1; mix_rcv_sel 0 2 0 2; "
      // 15 / 120 = 1/8 turn; -30 / 120 wraps to 3/4. B and D: phase + msb / 2.
      "freq_msb 8192 8192 49152 49152; phase 0 4096 0 57344; cic_2x 1 1 1 1; ncic 3 3 1 1; "
      "cic_shift 25 25 30 30; cic_rcv_cross 1 1 1 1; cic_rcv_full 1 1 1 1; mix_rcv_cmplx 1 1 1 1; "
      "mix_qcos 1 1 1 1; fir_cmplx 0 0 0 0; coef_modc 1 1 3 3; coef_repc 0 0 0 0; agen_depd 1 1 3 3; "
      "bewagen_sdepd 1 1 3 3; fwa_strobe 3 3 15 15; beagen_rbypass 65535 65535 65535 65535; "
      "fir_sync_cnt 63 63 127 127; fir_clk_cnt 0 0 0 0; swap_wa_cnt 1 1 3 3; acc_cnt 1 1 3 3; "
      "acc_dly0 1 1 1 1; acc_enram 0 0 0 0; "
      // g_cic 2 in both pairs: 4096 x 2 / (28455 / 2^14 x 2 x 0.5); D from gain 0.75.
      "fir_shift 7 7 7 7; gain_lsb 4717 4717 4717 3072; gain -1.000000 -1.000000 -1.000000 0.750000; "
      // AGC of C: 1000 us x 120 MHz / 16 = 7500 samples, D = 11, mixed mode.
      "agc_Dblw 0 0 11 0; agc_Dabv 0 0 9 0; agc_Dsat 0 0 7 0; agc_min 0 0 587 0; agc_max 0 0 64819 0; "
      "agc_thresh 0 0 103 0; agc_mode -1 -1 2 -1; agc_tc -1 -1 1000 -1; routf_pins 2 2 2 2; "
      "routf_iqmux 0 0 0 0; rinf_sel_B 1; rinf_sel_C 4; "
      // sync_mode 7 selects sync 3.
      "nco_sync 3 3 3 3; cic_sync 3 3 3 3; soB_sync 4; one_shot 1"));
  const std::string kx = dir.read("rx2.kx330");
  EXPECT_TRUE(has_all(kx, {"dwr16 2 80\ndwr16 10 3659\ndwr16 11 0\ndwr16 12 0\ndwr16 13 0\ndwr16 14 2000\n"
                           "dwr16 16 6ff\ndwr16 17 3003\ndwr16 18 3659\ndwr16 19 1000\n",
                           "dwr16 2 a0\ndwr16 10 365e\ndwr16 11 0\ndwr16 12 0\ndwr16 13 0\ndwr16 14 c000\n"
                           "dwr16 16 6ff\ndwr16 17 3001\ndwr16 18 365e\ndwr16 19 e000\n",
                           "dwr16 2 a1\ndwr16 10 1414\n", "dwr16 2 10\ndwr16 10 1\ndwr16 11 0\ndwr16 12 2\n",
                           "dwr16 2 11\ndwr16 10 6000\ndwr16 11 6211\ndwr16 12 6422\n",
                           "dwr16 2 50\ndwr16 10 3\ndwr16 11 2\ndwr16 12 1\ndwr16 13 0\ndwr16 14 4\n",
                           "dwr16 2 0\ndwr16 10 190\ndwr16 11 64\ndwr16 12 0\n",
                           "dwr16 2 40\ndwr16 10 a28\ndwr16 11 4b0\ndwr16 12 190\ndwr16 13 64\ndwr16 14 0\n"}));
  EXPECT_TRUE(ends_with_text(kx, "dwr16 2 80\ndwr16 15 4934\ndwr16 1d 4936\ndwr16 2 a0\ndwr16 15 4934\n"
                                 "dwr16 1d 4936\ndwr16 0 100\ndwr16 3 1ff\ndwr16 1 4\ndwr16 1 c\n"));
}

// Split-I/Q receive with zero padding (case SRR11E21), a powered-down
// transmit pair whose split mixers still get their defaults, and an
// override of channel B's gain word after the computation.
TEST(ReceiveTrace, SplitIqWithZeroPadAndOverride) {
  ScratchDir dir;
  RunResult r = run_trace(
      dir, "rx3",
      "# Split-I/Q receive on A/B (I through A, Q through B); C/D would transmit\n# but is powered down.\n"
      "mode ab receive\nmode cd transmit\npwr_dwn_cic_CD 1\nsplitiq 1\nrin_cmplx 1\nrinf_zpad 1\nfck 80\n"
      "channel 0\nfir_coef hb32.coef\ncic_dec 10\nfir_dec 2\nfreq 5\nmix_rcv_sel 0\npins 16\nbits 8\n"
      "agc_freeze 0\nagc_tc 50\nagc_cf 0\nagc_mode 1\nchannel 1\ncopy_channel 0\nmix_rcv_sel 1\n"
      "agc_freeze 1\nchannel 2\npins 16\nbits 16\nchannel 3\npins 16\nbits 16\n"
      "print table\nprint kx330\nprint debug\nprint analysis\noverride\nchannel 1\ngain_lsb 5000\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "2\n2\n1\n1\n");
  // The threshold continuation has no line end of its own.
  EXPECT_EQ(r.err, kBanner +
                       "Warning: agc_thresh calculated to be higher than 255. Setting to 255.\n"
                       "    check that agc_cf is not too low and that agc_mode is correct." +
                       kFrozenAgcWarning + kPoweredDownNcic);
  EXPECT_EQ(occurrences_of(dir.read("rx3.dbg"), "fir_config(): name=SRR11E21, Mininrate=1, Maxinrate=10\n"),
            2);
  // (0.55 x 1/10 x 2 + 0.75) x 80 x 1.8 = 123.84 mW.
  EXPECT_TRUE(ends_with_text(dir.read("rx3.anl"), "Estimate power is   124mW at  80.0 MHz and 1.8V\n"));
  EXPECT_TRUE(table_has(
      dir.read("rx3.tbl"),
      "splitiqCD 1; freq_msb 4096 4096 -1 -1; fir_dec 2 2 1 1; ncic 9 9 -2 -2; "
      // floor(39 - (5 log2 10 - 2)) = 24, one less for the symmetric filter.
      "cic_shift 23 23 -1 -1; cic_rcv 1 1 2 2; cic_rcv_cross 0 1 0 0; fir_cmplx 0 0 -1 -1; "
      "fir_sym 2 2 -1 -1; coef_sym 1 1 -1 -1; bwa_strobe 3 3 -1 -1; beragen_stepn 2 2 -1 -1; "
      "bewagen_sdepd 0 0 -1 -1; fir_sync_cnt 63 63 -1 -1; mix_rcv_sel 0 1 0 0; mix_rcv_cmplx 1 1 0 0; "
      // C transmits complex data in split-I/Q: the first-channel selects; D silent.
      "mix_icos 1 1 3 0; mix_qsin 1 1 2 0; mix_inv_qsin 1 1 1 0; tinf_pins 0 0 4 4; routf_bits 2 2 0 0; "
      "routf_iqmux 0 0 -1 -1; gain_rnd 12 12 -1 -1; "
      // Gain 2 / (5814 / 2^14 x 10^5 / 2^16 x 0.5 x 0.5) x 4096 = 60516.6; B overridden.
      "fir_shift 7 7 -1 -1; gain_lsb 60517 5000 -1 -1; "
      // AGC of A: 50 us x 80 MHz / 20 = 200 samples, D = 6; crest factor 0 dB.
      "agc_Dblw 6 0 0 0; agc_Dzro 2 0 0 0; agc_min 7562 0 0 0; agc_max 54116 0 0 0; "
      "agc_thresh 255 0 0 0; rinf_sel_B 1; rinf_zpad_sync 2; tout_nsig 0"));
  const std::string kx = dir.read("rx3.kx330");
  EXPECT_TRUE(has_all(kx, {"dwr16 2 33\ndwr16 10 2200\ndwr16 11 1000\ndwr16 12 0\ndwr16 13 1388\n",
                           "dwr16 2 11\ndwr16 10 311\ndwr16 11 100\ndwr16 12 422\ndwr16 13 633\n",
                           "dwr16 2 8\ndwr16 10 ffee\ndwr16 11 c\n",
                           "dwr16 2 a1\ndwr16 10 14\ndwr16 11 0\ndwr16 12 5f81\n"}));
  EXPECT_TRUE(ends_with_text(kx, "dwr16 2 80\ndwr16 15 4934\ndwr16 1d 4935\ndwr16 2 a0\ndwr16 15 da50\n"
                                 "dwr16 1d 0\ndwr16 0 4100\ndwr16 3 1ff\n"));
}
