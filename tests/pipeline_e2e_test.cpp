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

#include <string>

#include "e2e.h"
#include "test_util.h"

namespace {

const char* const kSym31 =
    "1\n-2\n3\n-4\n5\n-6\n7\n-8\n9\n-10\n11\n-12\n13\n-14\n15\n1000\n"
    "15\n-14\n13\n-12\n11\n-10\n9\n-8\n7\n-6\n5\n-4\n3\n-2\n1\n";
const char* const kPlain8 = "100\n-200\n300\n-400\n500\n-600\n700\n-800\n";

const char* const kPrintAll =
    "print analysis\nprint debug\nprint kx330\nprint sim\nprint table\nprint hfile\n";

const char* const kReceiveAB =
    "mode ab receive\n"
    "mode cd receive\n"
    "pwr_dwn_cic_CD 1\n"
    "fck 100\n"
    "channel 0\n"
    "cic_dec 8\nfir_dec 2\nfreq 10\npins 16\nbits 16\nmix_rcv_sel 0\n"
    "fir_coef sym31.coef\n"
    "channel 1\n"
    "copy_channel 0\n"
    "freq 20\n"
    "channel 2\n"
    "cic_dec 8\npins 16\nbits 16\n"
    "channel 3\n"
    "copy_channel 2\n";

const char* const kTransmitAB =
    "mode ab transmit\n"
    "mode cd transmit\n"
    "pwr_dwn_cic_CD 1\n"
    "fck 100\n"
    "tout_nsig 1\n"
    "channel 0\n"
    "cic_int 8\nfir_int 2\ntinf_cmplx 1\nfreq 10\npins 16\nbits 16\n"
    "fir_coef sym31.coef\n"
    "channel 1\n"
    "copy_channel 0\n"
    "freq 20\n"
    "channel 2\n"
    "cic_int 8\npins 16\nbits 16\n"
    "channel 3\n"
    "copy_channel 2\n";

const char* const kTransceive =
    "mode ab transmit\n"
    "mode cd receive\n"
    "fck 100\n"
    "tout_nsig 1\n"
    "channel 0\n"
    "cic_int 8\nfir_int 2\ntinf_cmplx 1\nfreq 10\npins 16\nbits 16\n"
    "fir_coef sym31.coef\n"
    "channel 1\n"
    "copy_channel 0\n"
    "freq 20\n"
    "channel 2\n"
    "cic_dec 8\nfir_dec 2\nfreq 10\npins 16\nbits 16\nmix_rcv_sel 0\n"
    "fir_coef plain8.coef\n"
    "channel 3\n"
    "copy_channel 2\n"
    "freq 30\n";

const char* const kBanner = "cmd7420 - revWorking, Feb 14 2005\n";

const char* const kFirShiftWarning =
    "agc_freeze is high, so assuming AGC is not used. Trying to set fir_shift so that gain\n"
    "    in FIR block does not exceed 2.0 (note that fir_shift can not go lower than 0).\n";
const char* const kSymmetricGainWarning =
    "Gain is not in optimal range (1024 < gain < 2047 is optimal due to symmetry).\n";

const char* const kTableHead = "  Possible Filter Configurations     X marks the configuration used\n";
const char* const kColumnsBoth =
    "Duty    Pwr(mW)  Taps(no sym) Taps (w/ sym)    (Power is for a single FIR row)\n";

// Duty inr / 8 / fir_int and taps 32, 64, 96, 128 (63 ... 255 folded) for
// both the receive and the transmit plan of the symmetric set.
const std::string kSym31Report =
    "\nChannel 0 has a minimum frequency of 1.10000 MHz\n"
    "\nChannel 0 has a 31 tap filter.  Sum of coefficients 1016. Max coefficient 1000\n"
    "Coefficient symmetry is odd. Hardware exploits symmetry.\n" +
    std::string(kTableHead) + kColumnsBoth +
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

struct PipelineRun {
  ScratchDir dir;
  RunResult result;
};

void run_control(PipelineRun& run, const std::string& control, const std::string& sym31 = kSym31) {
  run.dir.write("sym31.coef", sym31);
  run.dir.write("plain8.coef", kPlain8);
  run.dir.write("cfg.txt", control);
  run.result = run_cmd7420(run.dir, {"cfg.txt"});
}


int count_of(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

std::string line_of(const std::string& text, const std::string& head) {
  size_t at = text.find("\n" + head);
  if (at == std::string::npos) return "";
  size_t end = text.find('\n', at + 1);
  return text.substr(at + 1, end - at - 1);
}

// The parts of the outputs that follow from the register image alone: every
// catalogue variable in the table, the header's count matching its entries,
// the board-loader's fixed start and a full set of RAM lines in the
// simulation file.
void expect_register_outputs_complete(const ScratchDir& dir) {
  const std::string tbl = dir.read("cfg.tbl");
  EXPECT_EQ(count_of(tbl, "\n"), 250);
  const std::string h = dir.read("cfg.h");
  EXPECT_EQ(
      h.rfind("/* hfile for cfg configuration; necessary for config_tq7420 function */\n\nstruct {\n", 0),
      0u);
  int entries = count_of(h, "    { ");
  EXPECT_TRUE(contains(h, "\n};\n\nint nwrites = " + std::to_string(entries) + ";\n"));
  EXPECT_EQ(
      dir.read("cfg.kx330")
          .rfind("dwr16 0 fff0\ndwr16 2 80\ndwr16 15 0\ndwr16 1d 0\ndwr16 2 a0\ndwr16 15 0\ndwr16 1d 0\n", 0),
      0u);
  const std::string sim = dir.read("cfg.sim");
  EXPECT_EQ(sim.rfind("Wglb 0 0xfff0\nWcon 0x80 0x15 0\nWcon 0xa0 0x15 0\n", 0), 0u);
  EXPECT_EQ(count_of(sim, "QOEF "), 64);
  EXPECT_EQ(count_of(sim, "SWRAM "), 4);
  EXPECT_EQ(count_of(sim, "BERAM "), 4);
}

}  // namespace

TEST(Pipeline, ReceiveRunWritesEveryOutput) {
  PipelineRun run;
  run_control(run, std::string(kReceiveAB) + kPrintAll);
  const RunResult& r = run.result;
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "2\n2\n-1\n-1\n");
  EXPECT_EQ(r.err, std::string(kBanner) + "Warning: " + kFirShiftWarning + "Warning: " + kFirShiftWarning);

  // Channel B is a copy, so it has no PFIR report of its own and its gains
  // repeat channel A's; C and D are powered down.
  EXPECT_EQ(run.dir.read("cfg.anl"),
            std::string(kBanner) + "Warning(config L2012): " + kFirShiftWarning +
                "Warning(config L2012): " + kFirShiftWarning +
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

  const std::string dbg = run.dir.read("cfg.dbg");
  EXPECT_EQ(dbg.rfind(std::string(kBanner) + "Debug(firconfig L27): fir_config()\n"
                                             "Debug(firconfig L81): inrate=Min inrate=2, Max inrate=8\n",
                      0),
            0u);
  EXPECT_EQ(count_of(dbg, "Debug(firconfig L253): ncoef=31 Sym=1 hnn=16 hxx="), 2);

  const std::string tbl = run.dir.read("cfg.tbl");
  EXPECT_EQ(line_of(tbl, "gain_lsb "), "gain_lsb              2064  2064    -1    -1");
  EXPECT_EQ(line_of(tbl, "gain_msb "), "gain_msb                 4     4    -1    -1");
  EXPECT_EQ(line_of(tbl, "fir_shift "), "fir_shift                7     7    -1    -1");
  // Powered-down C and D get their CIC settings all the same; without a
  // coefficient file their symmetry is unset (-1), which also lowers the
  // shift by one.
  EXPECT_EQ(line_of(tbl, "cic_shift "), "cic_shift               24    24    24    24");
  EXPECT_EQ(line_of(tbl, "ncic "), "ncic                     7     7     7     7");
  EXPECT_EQ(line_of(tbl, "fir_clk_cnt "), "fir_clk_cnt              1     1    -1    -1");
  expect_register_outputs_complete(run.dir);

  // The gain word of channel A (page 0x13, address 0x13), and the folded
  // coefficients: 16 stored taps right-aligned in 32, two per cell in
  // reverse order, so cells 8 to 15 hold (c1 c0), (c3 c2), ... (c15 c14).
  EXPECT_TRUE(contains(run.dir.read("cfg.h"), ",\n    { 0x13, 0x13, 0x810 }"));
  EXPECT_TRUE(contains(run.dir.read("cfg.kx330"), "dwr16 2 8\ndwr16 10 fffe\ndwr16 11 1\ndwr16 12 0\n"));
  const std::string sim = run.dir.read("cfg.sim");
  const std::string zeros14 = " 0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0;\n";
  for (int ch : {0, 1}) {
    std::string n = std::to_string(ch);
    EXPECT_TRUE(contains(sim, "QOEF " + n + " 7 0x0 0x0" + zeros14 + "QOEF " + n + " 8 0xfffe 0x1" + zeros14 +
                                  "QOEF " + n + " 9 0xfffc 0x3" + zeros14))
        << ch;
    EXPECT_TRUE(contains(sim, "QOEF " + n + " 15 0x3e8 0xf" + zeros14)) << ch;
  }
  // Direct address 0: en_ck_loss (bit 8) and the CD power-down (bit 14).
  EXPECT_TRUE(contains(sim, "\nWglb 0 0x4100\n"));
}

TEST(Pipeline, TransmitRunWritesEveryOutput) {
  PipelineRun run;
  run_control(run, std::string(kTransmitAB) + kPrintAll);
  const RunResult& r = run.result;
  EXPECT_EQ(r.status, 0);
  // One empty line per interpolating PFIR plan.
  EXPECT_EQ(r.out, "1\n\n1\n\n1\n1\n");
  EXPECT_EQ(r.err,
            std::string(kBanner) + "Warning: " + kSymmetricGainWarning + "Warning: " + kSymmetricGainWarning);
  EXPECT_EQ(run.dir.read("cfg.anl"),
            std::string(kBanner) + "Warning(config L1931): " + kSymmetricGainWarning +
                "Warning(config L1931): " + kSymmetricGainWarning + kTransmitAnalysis + kSym31Report +
                "Estimate power is   184mW at 100.0 MHz and 1.8V\n");
  const std::string dbg = run.dir.read("cfg.dbg");
  EXPECT_TRUE(contains(dbg, "Debug(firconfig L81): inrate=Min inrate=4, Max inrate=16\n"));
  EXPECT_TRUE(contains(dbg, "Debug(firconfig L100): Possible setting inrate=16 ntaps allowed=255\n"));
  EXPECT_TRUE(contains(dbg, "Debug(firconfig L112): I set inrateT to 4\n"));

  const std::string tbl = run.dir.read("cfg.tbl");
  EXPECT_EQ(line_of(tbl, "gain_lsb "), "gain_lsb             16513 16513    -1    -1");
  EXPECT_EQ(line_of(tbl, "cic_shift "), "cic_shift               26    26    -1    -1");
  EXPECT_EQ(line_of(tbl, "sum_shift "), "sum_shift            6");
  expect_register_outputs_complete(run.dir);
  EXPECT_TRUE(contains(run.dir.read("cfg.h"), ",\n    { 0x13, 0x13, 0x4081 }"));
}

TEST(Pipeline, TransceiveRunWritesEveryOutput) {
  PipelineRun run;
  run_control(run, std::string(kTransceive) + kPrintAll);
  const RunResult& r = run.result;
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "1\n\n1\n\n2\n2\n");
  EXPECT_EQ(r.err,
            std::string(kBanner) + "Warning: " + kSymmetricGainWarning + "Warning: " + kSymmetricGainWarning);
  // Channel C: 8 taps summing to -400, CIC shift 25 (gain 2), FIR shift 13
  // clamped to 7 (gain 400 / 2^14), gain word floor(81.92 x 4096 + 0.5) =
  // 335544 = 5 x 65536 + 7864. Its PFIR takes complex input at rate 2.
  // Channel D differs from C only in its tuning; the transmit channels are
  // compared with it first and differ.
  EXPECT_EQ(run.dir.read("cfg.anl"),
            std::string(kBanner) + "Warning(config L1931): " + kSymmetricGainWarning +
                "Warning(config L1931): " + kSymmetricGainWarning + kTransmitAnalysis +
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
  const std::string tbl = run.dir.read("cfg.tbl");
  EXPECT_EQ(line_of(tbl, "gain_lsb "), "gain_lsb             16513 16513  7864  7864");
  EXPECT_EQ(line_of(tbl, "gain_msb "), "gain_msb                 0     0     5     5");
  EXPECT_EQ(line_of(tbl, "cic_shift "), "cic_shift               26    26    25    25");
  expect_register_outputs_complete(run.dir);
  EXPECT_TRUE(contains(run.dir.read("cfg.h"), ",\n    { 0x53, 0x13, 0x1eb8 }"));
}

// A coefficient beyond 16 bits cannot be loaded as given: the run says so
// and fails, but still writes its outputs.
TEST(Pipeline, CoefficientBeyondSixteenBitsFailsTheRun) {
  PipelineRun run;
  std::string coefs = kSym31;
  coefs.replace(coefs.find("1000"), 4, "32768");
  run_control(run, std::string(kReceiveAB) + "print kx330\n", coefs);
  RunResult r = run.result;
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(count_of(r.err, "Coefs exceeds 16 bits\n"), 1);
  EXPECT_FALSE(contains(r.err, "Error"));
  EXPECT_FALSE(run.dir.read("cfg.kx330").empty());
  // -32768 fits.
  coefs.replace(coefs.find("32768"), 5, "-32768");
  run.dir.write("sym31.coef", coefs);
  r = run_cmd7420(run.dir, {"cfg.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(contains(r.err, "Coefs exceeds"));
}

// With an override section the interpreter's flag stops the run before the
// register image is written.
TEST(Pipeline, CoefficientBeyondSixteenBitsStopsAnOverrideRun) {
  PipelineRun run;
  std::string coefs = kSym31;
  coefs.replace(coefs.find("1000"), 4, "40000");
  run_control(run, std::string(kReceiveAB) + "print kx330\noverride\nchannel 1\ngain_lsb 100\n", coefs);
  const RunResult& r = run.result;
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(contains(r.err, "Coefs exceeds 16 bits\n"));
  EXPECT_EQ(run.dir.read("cfg.kx330"), "");
}

TEST(Pipeline, ChipClockBelowTheChannelMinimum) {
  PipelineRun run;
  std::string control = kReceiveAB;
  control.replace(control.find("fck 100"), 7, "fck 1.0");
  control.replace(control.find("freq 10"), 7, "freq 0.1");
  control.replace(control.find("freq 20"), 7, "freq 0.2");
  run_control(run, control + "print analysis\n");
  EXPECT_EQ(run.result.status, 1);
  EXPECT_TRUE(contains(run.result.err, "Error: chip clock rate of 1.00000 lower than minimum of 1.10000!\n"));
  EXPECT_TRUE(contains(run.dir.read("cfg.anl"),
                       "\nChannel 0 has a minimum frequency of 1.10000 MHz\n"
                       "Error(cmdin L418): chip clock rate of 1.00000 lower than minimum of 1.10000!\n"));
}
