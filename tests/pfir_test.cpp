// The PFIR analysis report: its two checks, the filter description and the
// table of possible configurations.
#include "pfir.h"

#include <gtest/gtest.h>

#include <string>

#include "cmdin.h"
#include "records.h"
#include "test_util.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

const char* const kHeader = "  Possible Filter Configurations     X marks the configuration used\n";
const char* const kColumnsBoth =
    "Duty    Pwr(mW)  Taps(no sym) Taps (w/ sym)    (Power is for a single FIR row)\n";
const char* const kColumnsPlain = "Duty    Pwr(mW)  Taps(no sym)     (Power is for a single FIR row)\n";

// Receive channel A with 63 odd-symmetric coefficients, decimating by 2 on
// real data, CIC by 6 (ncic 5), planned at input rate 1.
void odd_symmetric_receive(bool with_analysis = true) {
  init();
  declare_modes(2, 2);
  if (with_analysis) open_test_output(kOutAnl);
  g.fck = 100.0;
  CHAN& c = chan[0];
  c.origcoefs = 1;
  c.ncoefs = 63;
  c.coefsym = 1;
  c.maxtap = -500;
  c.sumtap = 1000;
  c.fir_sym = 1;
  c.coef_sym = 1;
  c.xmt = 0;
  c.ncic = 5;
  c.fir_clk_cnt = 5;
  c.fir_int = 1;
  c.fir_dec = 2;
  c.fir_cmplx = 0;
  c.fir_nchan = 1;
  c.inrate = 1;
  for (int i = 0; i < 16; ++i) c.possible_inrate[i] = i < 6 ? i + 1 : -1;
}

std::string report(int ch) {
  CaptureStderr();
  pfir_analysis(ch);
  std::string err_text = GetCapturedStderr();
  EXPECT_EQ(err_text, "");
  return output_text(kOutAnl);
}

// The table part of the report, from its heading on.
std::string table_of(const std::string& anl) {
  size_t at = anl.find(kHeader);
  return at == std::string::npos ? "" : anl.substr(at);
}

}  // namespace

TEST(PfirAnalysis, FullReportForAnOddSymmetricReceiveFilter) {
  odd_symmetric_receive();
  // Duty inr/6, power duty x 90 mW, taps 32 inr and 64 inr - 1.
  EXPECT_EQ(report(0),
            std::string("\nChannel 0 has a minimum frequency of 1.30000 MHz\n"
                        "\nChannel 0 has a 63 tap filter.  Sum of coefficients 1000. Max coefficient 500\n"
                        "Coefficient symmetry is odd. Hardware exploits symmetry.\n") +
                kHeader + kColumnsBoth +
                "0.167   15.0     32            63 X     \n"
                "0.333   30.0     64           127       \n"
                "0.500   45.0     96           191       \n"
                "0.667   60.0    128           255       \n"
                "0.833   75.0    160           319       \n"
                "1.000   90.0    192           383       \n");
  EXPECT_EQ(err, 0);
  EXPECT_EQ(exit_status, 0);
}

TEST(PfirAnalysis, ChannelWithoutItsOwnCoefficientsIsSilent) {
  odd_symmetric_receive();
  chan[0].origcoefs = 0;
  chan[0].maxtap = 40000;
  g.fck = 0.5;
  EXPECT_EQ(report(0), "");
  EXPECT_EQ(err, 0);
  EXPECT_EQ(exit_status, 0);
}

TEST(PfirAnalysis, MinimumFrequencyAndClockError) {
  odd_symmetric_receive();
  chan[0].ncic = 63;
  chan[0].fir_clk_cnt = 4;
  g.fck = 7.0;
  EXPECT_EQ(report(0).substr(0, 50), "\nChannel 0 has a minimum frequency of 7.00000 MHz\n");
  EXPECT_EQ(exit_status, 0);

  odd_symmetric_receive();
  chan[0].ncic = 63;
  chan[0].fir_clk_cnt = 4;
  g.fck = 6.5;
  CaptureStderr();
  pfir_analysis(0);
  EXPECT_EQ(GetCapturedStderr(), "Error: chip clock rate of 6.50000 lower than minimum of 7.00000!\n");
  const std::string start =
      "\nChannel 0 has a minimum frequency of 7.00000 MHz\n"
      "Error(cmdin L418): chip clock rate of 6.50000 lower than minimum of 7.00000!\n"
      "\nChannel 0 has a 63 tap filter.";
  EXPECT_EQ(output_text(kOutAnl).substr(0, start.size()), start);
  EXPECT_EQ(exit_status, 1);
  EXPECT_EQ(err, 0);
}

TEST(PfirAnalysis, ChecksRunWithoutTheAnalysisFile) {
  odd_symmetric_receive(false);
  g.fck = 1.0;  // below 1.3
  chan[0].maxtap = 32768;
  CaptureStderr();
  pfir_analysis(0);
  EXPECT_EQ(GetCapturedStderr(),
            "Coefs exceeds 16 bits\nError: chip clock rate of 1.00000 lower than minimum of 1.30000!\n");
}

// A coefficient beyond 16 bits is reported and fails the run.
TEST(PfirAnalysis, SixteenBitBoundaries) {
  for (int maxtap : {-32768, 32767}) {
    odd_symmetric_receive();
    chan[0].maxtap = maxtap;
    report(0);
    EXPECT_EQ(err, 0) << maxtap;
    EXPECT_EQ(exit_status, 0) << maxtap;
  }
  for (int maxtap : {32768, -32769}) {
    odd_symmetric_receive();
    chan[0].maxtap = maxtap;
    CaptureStderr();
    pfir_analysis(0);
    EXPECT_EQ(GetCapturedStderr(), "Coefs exceeds 16 bits\n") << maxtap;
    EXPECT_EQ(err, 1);
    EXPECT_EQ(exit_status, 1);
    // The report goes on, with the magnitude of the largest coefficient.
    EXPECT_NE(
        output_text(kOutAnl).find(" Max coefficient " + std::to_string(maxtap < 0 ? -maxtap : maxtap) + "\n"),
        std::string::npos);
  }
}

TEST(PfirAnalysis, SymmetryDescriptions) {
  odd_symmetric_receive();
  chan[0].fir_sym = 0;
  EXPECT_NE(report(0).find("Coefficient symmetry is odd. Hardware does not exploit symmetry.\n"),
            std::string::npos);
  odd_symmetric_receive();
  chan[0].coefsym = 2;
  chan[0].fir_sym = 2;
  EXPECT_NE(report(0).find("Coefficient symmetry is even. Hardware exploits symmetry.\n"), std::string::npos);
  odd_symmetric_receive();
  chan[0].coefsym = 0;
  chan[0].fir_sym = 0;
  chan[0].coef_sym = 0;
  std::string anl = report(0);
  EXPECT_NE(anl.find("Coefficient symmetry is none.\n" + std::string(kHeader) + kColumnsPlain +
                     "0.167   15.0     32 X     \n0.333   30.0     64       \n"),
            std::string::npos);
}

TEST(PfirAnalysis, EvenSymmetryDoublesWithoutTheOddTap) {
  odd_symmetric_receive();
  chan[0].coefsym = 2;
  chan[0].fir_sym = 2;
  chan[0].inrate = 2;
  for (int i = 2; i < 16; ++i) chan[0].possible_inrate[i] = -1;
  EXPECT_EQ(table_of(report(0)), std::string(kHeader) + kColumnsBoth +
                                     "0.167   15.0     32            64       \n"
                                     "0.333   30.0     64           128 X     \n");
}

// A transmitting channel folds a symmetric set only at low interpolation.
TEST(PfirAnalysis, TransmitSymmetricColumn) {
  struct Case {
    int fir_int, coefsym;
    bool column;
  };
  for (Case k :
       {Case{4, 1, false}, Case{4, 2, false}, Case{2, 2, false}, Case{2, 1, true}, Case{1, 2, true}}) {
    odd_symmetric_receive();
    CHAN& c = chan[0];
    c.xmt = 1;
    c.fir_int = k.fir_int;
    c.fir_dec = 1;
    c.coefsym = k.coefsym;
    std::string anl = report(0);
    EXPECT_NE(anl.find(k.column ? kColumnsBoth : kColumnsPlain), std::string::npos)
        << k.fir_int << " " << k.coefsym;
  }
}

TEST(PfirAnalysis, TransmitRowsForInterpolationFour) {
  odd_symmetric_receive();
  CHAN& c = chan[0];
  c.xmt = 1;
  c.fir_int = 4;
  c.fir_dec = 1;
  c.fir_cmplx = 1;
  c.ncic = 7;
  c.inrate = 8;
  c.possible_inrate[0] = 8;  // duty 8/8/4, taps 4 x 8 x 16 / 4 / 2
  c.possible_inrate[1] = -1;
  EXPECT_EQ(table_of(report(0)), std::string(kHeader) + kColumnsPlain + "0.250   22.5     64       \n");
}

TEST(PfirAnalysis, NoMarkWhenTheRateInUseIsNotACandidate) {
  odd_symmetric_receive();
  chan[0].inrate = -1;
  std::string table = table_of(report(0));
  EXPECT_EQ(table.find('X'), table.find("X marks"));
  EXPECT_EQ(table.find('X', table.find("X marks") + 1), std::string::npos);
}

TEST(PfirAnalysis, AllSixteenCandidatesAndNoMore) {
  odd_symmetric_receive();
  chan[0].ncic = 15;
  for (int i = 0; i < 16; ++i) chan[0].possible_inrate[i] = i + 1;
  std::string table = table_of(report(0));
  int rows = 0;
  for (char ch : table) rows += ch == '\n';
  EXPECT_EQ(rows, 2 + 16);
  EXPECT_NE(table.find("1.000   90.0    512          1023       \n"), std::string::npos);
}

// A zero divisor in the tap column leaves the table without rows.
TEST(PfirAnalysis, ZeroDivisorsGiveATableWithoutRows) {
  for (int which = 0; which < 4; ++which) {
    odd_symmetric_receive();
    CHAN& c = chan[0];
    if (which == 0) c.fir_int = 0;
    if (which == 1) c.fir_nchan = 0;
    if (which == 2) c.fir_cmplx = -1;
    if (which == 3) c.ncic = -1;
    EXPECT_EQ(table_of(report(0)), std::string(kHeader) + kColumnsBoth) << which;
  }
}

TEST(PfirAnalysis, ReportNamesTheChannel) {
  odd_symmetric_receive();
  chan[2] = chan[0];
  chan[0].origcoefs = 0;
  std::string anl = report(2);
  EXPECT_EQ(anl.substr(0, 50), "\nChannel 2 has a minimum frequency of 1.30000 MHz\n");
  EXPECT_NE(anl.find("\nChannel 2 has a 63 tap filter."), std::string::npos);
}
