// End to end: complete receive, transmit and transceive control files run
// through every pass, and every output file is checked. The expected gains,
// shifts, tables and coefficient pages are worked out by hand from the
// configuration rules:
//
// The symmetric 31-tap set 1 -2 3 ... -14 15 1000 15 -14 ... -2 1 sums to
// 1016 (the alternating run adds up to 8 on each side). Its CIC runs at
// 8 (ncic 7, six transmit stages or five receive stages).
//
// Receive (complex, no split I/Q): CIC shift 25 - 1 for symmetry = 24, so
// the CIC gain is 8^5 x 2^-15 = 1; FIR shift 21 - floor(log2 508) = 13 must
// come down to 12 to keep 1016 x 2^(shift - 21) below 2 (the agc_freeze
// warning), then clamps to 7: FIR gain 1016 / 2^14 = 0.062012. The gain
// word is floor(2 / (0.062012 x 0.5) x 4096 + 0.5) = 264208 = 4 x 65536 +
// 2064. PFIR: minimum input rate 2 (complex), candidates 2, 4, 6, 8.
//
// Transmit (interpolation 2, complex input): CIC shift 41 - 15 = 26 with
// gain 1; phase sums of the FIR are 128 and 1112, so the FIR shift clamps
// to 7 and the FIR gain is 1016 / (2 x 2^14) = 0.031006; the sum shift is
// ceil(log2 4.378) + 3 = 6 (gain 8) and the gain word floor(4096 /
// (0.031006 x 8)) = 16513, outside the symmetric optimum. Noise: only the
// sum stage contributes, 8 x 2^-5 = 0.25, so 10 log10(0.25) - 96.
// PFIR: candidates 4, 8, 12, 16 (input rate 4 in use).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "e2e.h"
#include "test_util.h"

namespace {

const char* const kSym31 =
    "1\n-2\n3\n-4\n5\n-6\n7\n-8\n9\n-10\n11\n-12\n13\n-14\n15\n1000\n"
    "15\n-14\n13\n-12\n11\n-10\n9\n-8\n7\n-6\n5\n-4\n3\n-2\n1\n";

const std::string kPrintAll = "print analysis\nprint debug\nprint kx330\nprint sim\nprint table\nprint hfile\n";

// Channel A under `mode`, with its copy B at 20 MHz.
std::string pair_ab(const char* rates) {
  return std::string("channel 0\n") + rates + "freq 10\npins 16\nbits 16\nfir_coef sym31.coef\n" +
         "channel 1\ncopy_channel 0\nfreq 20\n";
}
const std::string kReceiveAB = "mode ab receive\nmode cd receive\npwr_dwn_cic_CD 1\nfck 100\n" +
                               pair_ab("cic_dec 8\nfir_dec 2\nmix_rcv_sel 0\n") +
                               "channel 2\ncic_dec 8\npins 16\nbits 16\nchannel 3\ncopy_channel 2\n";
const std::string kTransmitAB = "mode ab transmit\nmode cd transmit\npwr_dwn_cic_CD 1\nfck 100\ntout_nsig 1\n" +
                                pair_ab("cic_int 8\nfir_int 2\ntinf_cmplx 1\n") +
                                "channel 2\ncic_int 8\npins 16\nbits 16\nchannel 3\ncopy_channel 2\n";
const std::string kTransceive = "mode ab transmit\nmode cd receive\nfck 100\ntout_nsig 1\n" +
                                pair_ab("cic_int 8\nfir_int 2\ntinf_cmplx 1\n") +
                                "channel 2\ncic_dec 8\nfir_dec 2\nfreq 10\npins 16\nbits 16\nmix_rcv_sel 0\n"
                                "fir_coef plain8.coef\nchannel 3\ncopy_channel 2\nfreq 30\n";

const std::string kBanner = "cmd7420 - revWorking, Feb 14 2005\n";
const std::string kFirShiftWarning =
    "agc_freeze is high, so assuming AGC is not used. Trying to set fir_shift so that gain\n"
    "    in FIR block does not exceed 2.0 (note that fir_shift can not go lower than 0).\n";
const std::string kSymmetricGainWarning =
    "Gain is not in optimal range (1024 < gain < 2047 is optimal due to symmetry).\n";
const char* const kTableHead = "  Possible Filter Configurations     X marks the configuration used\n";

// Duty inr / 8 / fir_int and taps 32, 64, 96, 128 (63 ... 255 folded) for
// both the receive and the transmit plan of the symmetric set.
const std::string kSym31Report =
    "\nChannel 0 has a minimum frequency of 1.10000 MHz\n"
    "\nChannel 0 has a 31 tap filter.  Sum of coefficients 1016. Max coefficient 1000\n"
    "Coefficient symmetry is odd. Hardware exploits symmetry.\n" + std::string(kTableHead) +
    "Duty    Pwr(mW)  Taps(no sym) Taps (w/ sym)    (Power is for a single FIR row)\n"
    "0.250   22.5     32            63 X     \n"
    "0.500   45.0     64           127       \n"
    "0.750   67.5     96           191       \n"
    "1.000   90.0    128           255       \n";

const std::string kTransmitAnalysis =
    "\nDoing analysis for channel 0\n"
    "Gain from gain block is 4.031494 (G = 16513)\n"
    "Gain from filter is 0.031006 (FIR_SUM = 1016, fir_shift = 7)\n"
    "Gain from cic is 1.000000 (cic_shift = 26)\n"
    "DC gain through the gain block, FIR and CIC is 0.125000\n"
    "Worst case peak gain through the channel is 0.273622\n"
    "Gain from sum block is 8.000000\n"
    "Final overall gain is 1.000000\n"
    "Internal digital noise is -102.020600 dBFS\n"
    "\nDoing analysis for channel 1\n"
    "Same as channel 0\n";

// Runs `control` as cfg.txt beside the coefficient files.
RunResult run_control(const ScratchDir& dir, const std::string& control, const std::string& sym31 = kSym31) {
  dir.write("sym31.coef", sym31);
  dir.write("plain8.coef", "100\n-200\n300\n-400\n500\n-600\n700\n-800\n");
  dir.write("cfg.txt", control);
  return run_cmd7420(dir, {"cfg.txt"});
}

}  // namespace

TEST(Pipeline, ReceiveRunWritesEveryOutput) {
  ScratchDir dir;
  RunResult r = run_control(dir, kReceiveAB + kPrintAll);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "2\n2\n-1\n-1\n");
  EXPECT_EQ(r.err, kBanner + "Warning: " + kFirShiftWarning + "Warning: " + kFirShiftWarning);
  // Channel B is a copy, so it has no PFIR report of its own and its gains
  // repeat channel A's; C and D are powered down.
  EXPECT_EQ(dir.read("cfg.anl"),
            kBanner + "Warning(config L2012): " + kFirShiftWarning + "Warning(config L2012): " +
                kFirShiftWarning +
                "\nDoing analysis for channel 0\n"
                "Gain Analysis:\n"
                "overall_gain=2.000000 (target)\n"
                "BLOCK     GAIN IN BLOCK     CUMULATIVE GAIN AFTER BLOCK\n"
                "Zero Pad  1.000000             1.000000\n"
                "Mixer     0.500000             0.500000\n"
                "Rshift    1.000000             0.500000\n"
                "CIC       1.000000             0.500000\n"
                "FIR       0.062012             0.031006\n"
                "AGC       64.503906             1.999999 = final actual overall gain\n"
                "\nDoing analysis for channel 1\n"
                "Same as channel 0\n" +
                kSym31Report +
                // (2 x 0.55 x 0.25 + 0.75) x 100 x 1.8 = 184.5 (just below in binary)
                "Estimate power is   184mW at 100.0 MHz and 1.8V\n");
  EXPECT_EQ(dir.read("cfg.dbg").rfind(kBanner + "Debug(firconfig L27): fir_config()\n"
                                "Debug(firconfig L81): inrate=Min inrate=2, Max inrate=8\n",
                      0),
            0u);
  // Powered-down C and D get their CIC settings all the same; without a
  // coefficient file their symmetry is unset (-1), which also lowers the
  // shift by one.
  EXPECT_TRUE(table_has(dir.read("cfg.tbl"),
                        "gain_lsb 2064 2064 -1 -1; gain_msb 4 4 -1 -1; fir_shift 7 7 -1 -1; "
                        "cic_shift 24 24 24 24; ncic 7 7 7 7"));
  // The gain word of channel A (page 0x13, address 0x13), and the folded
  // coefficients of A and its copy B: 16 stored taps right-aligned in 32,
  // two per cell in reverse order, so cells 8 to 15 hold (c1 c0), (c3 c2),
  // ... (c15 c14).
  EXPECT_TRUE(has_all(dir.read("cfg.h"), {",\n    { 0x13, 0x13, 0x810 }"}));
  const std::string sim = dir.read("cfg.sim");
  const std::string zeros14 = " 0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0;\n";
  for (std::string n : {"0", "1"})
    EXPECT_TRUE(has_all(sim, {"QOEF " + n + " 7 0x0 0x0" + zeros14 + "QOEF " + n + " 8 0xfffe 0x1" + zeros14 +
                                  "QOEF " + n + " 9 0xfffc 0x3" + zeros14,
                              "QOEF " + n + " 15 0x3e8 0xf" + zeros14}));
  // Direct address 0: en_ck_loss (bit 8) and the CD power-down (bit 14).
  EXPECT_TRUE(has_all(sim, {"\nWglb 0 0x4100\n"}));
}

TEST(Pipeline, TransmitRunWritesEveryOutput) {
  ScratchDir dir;
  RunResult r = run_control(dir, kTransmitAB + kPrintAll);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "1\n\n1\n\n1\n1\n");  // one empty line per interpolating PFIR plan
  EXPECT_EQ(r.err, kBanner + "Warning: " + kSymmetricGainWarning + "Warning: " + kSymmetricGainWarning);
  EXPECT_EQ(dir.read("cfg.anl"), kBanner + "Warning(config L1931): " + kSymmetricGainWarning +
                                     "Warning(config L1931): " + kSymmetricGainWarning + kTransmitAnalysis +
                                     kSym31Report + "Estimate power is   184mW at 100.0 MHz and 1.8V\n");
  EXPECT_TRUE(has_all(dir.read("cfg.dbg"),
                      {"Debug(firconfig L81): inrate=Min inrate=4, Max inrate=16\n",
                       "Debug(firconfig L100): Possible setting inrate=16 ntaps allowed=255\n",
                       "Debug(firconfig L112): I set inrateT to 4\n"}));
  EXPECT_TRUE(
      table_has(dir.read("cfg.tbl"), "gain_lsb 16513 16513 -1 -1; cic_shift 26 26 -1 -1; sum_shift 6"));
  EXPECT_TRUE(has_all(dir.read("cfg.h"), {",\n    { 0x13, 0x13, 0x4081 }"}));
}

// Channel C: 8 taps summing to -400, CIC shift 25 (gain 2), FIR shift 13
// clamped to 7 (gain 400 / 2^14), gain word floor(81.92 x 4096 + 0.5) =
// 335544 = 5 x 65536 + 7864. Its PFIR takes complex input at rate 2.
// Channel D differs from C only in its tuning; the transmit channels are
// compared with it first and differ.
TEST(Pipeline, TransceiveRunWritesEveryOutput) {
  ScratchDir dir;
  RunResult r = run_control(dir, kTransceive + kPrintAll);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "1\n\n1\n\n2\n2\n");
  EXPECT_EQ(r.err, kBanner + "Warning: " + kSymmetricGainWarning + "Warning: " + kSymmetricGainWarning);
  EXPECT_EQ(dir.read("cfg.anl"),
            kBanner + "Warning(config L1931): " + kSymmetricGainWarning + "Warning(config L1931): " +
                kSymmetricGainWarning + kTransmitAnalysis +
                "\nDoing analysis for channel 2\n"
                "Gain Analysis:\n"
                "overall_gain=2.000000 (target)\n"
                "BLOCK     GAIN IN BLOCK     CUMULATIVE GAIN AFTER BLOCK\n"
                "Zero Pad  1.000000             1.000000\n"
                "Mixer     0.500000             0.500000\n"
                "Rshift    1.000000             0.500000\n"
                "CIC       2.000000             1.000000\n"
                "FIR       0.024414             0.024414\n"
                "AGC       81.919922             1.999998 = final actual overall gain\n"
                "\nDoing analysis for channel 3\n"
                "Same as channel 2\n" +
                kSym31Report +
                "\nChannel 2 has a minimum frequency of 1.10000 MHz\n"
                "\nChannel 2 has a 8 tap filter.  Sum of coefficients 400. Max coefficient 800\n"
                "Coefficient symmetry is none.\n" +
                kTableHead +
                "Duty    Pwr(mW)  Taps(no sym)     (Power is for a single FIR row)\n"
                "0.250   22.5     32 X     \n"
                "0.500   45.0     64       \n"
                "0.750   67.5     96       \n"
                "1.000   90.0    128       \n"
                // (4 x 0.55 x 0.25 + 0.75 + 0.75) x 100 x 1.8
                "Estimate power is   369mW at 100.0 MHz and 1.8V\n");
  EXPECT_TRUE(table_has(dir.read("cfg.tbl"),
                        "gain_lsb 16513 16513 7864 7864; gain_msb 0 0 5 5; cic_shift 26 26 25 25"));
  EXPECT_TRUE(has_all(dir.read("cfg.h"), {",\n    { 0x53, 0x13, 0x1eb8 }"}));
}

// A coefficient beyond 16 bits cannot be loaded as given: the run says so
// and fails, but still writes its outputs; -32768 fits. With an override
// section the interpreter's flag stops the run before the register image
// is written.
TEST(Pipeline, CoefficientBeyondSixteenBitsFailsTheRun) {
  ScratchDir dir;
  std::string coefs = kSym31;
  coefs.replace(coefs.find("1000"), 4, "32768");
  RunResult r = run_control(dir, kReceiveAB + "print kx330\n", coefs);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(occurrences_of(r.err, "Coefs exceeds 16 bits\n"), 1);
  EXPECT_EQ(occurrences_of(r.err, "Error"), 0);
  EXPECT_FALSE(dir.read("cfg.kx330").empty());
  coefs.replace(coefs.find("32768"), 5, "-32768");
  r = run_control(dir, kReceiveAB + "print kx330\n", coefs);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(occurrences_of(r.err, "Coefs exceeds"), 0);
  coefs.replace(coefs.find("-32768"), 6, "40000");
  std::remove(dir.file("cfg.kx330").c_str());
  r = run_control(dir, kReceiveAB + "print kx330\noverride\nchannel 1\ngain_lsb 100\n", coefs);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(occurrences_of(r.err, "Coefs exceeds 16 bits\n"), 1);
  EXPECT_EQ(dir.read("cfg.kx330"), "");
}

TEST(Pipeline, ChipClockBelowTheChannelMinimum) {
  ScratchDir dir;
  std::string control = kReceiveAB;
  control.replace(control.find("fck 100"), 7, "fck 1.0");
  control.replace(control.find("freq 10"), 7, "freq 0.1");
  control.replace(control.find("freq 20"), 7, "freq 0.2");
  RunResult r = run_control(dir, control + "print analysis\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has_all(r.err, {"Error: chip clock rate of 1.00000 lower than minimum of 1.10000!\n"}));
  EXPECT_TRUE(has_all(dir.read("cfg.anl"),
                      {"\nChannel 0 has a minimum frequency of 1.10000 MHz\n"
                       "Error(cmdin L418): chip clock rate of 1.00000 lower than minimum of 1.10000!\n"}));
}
