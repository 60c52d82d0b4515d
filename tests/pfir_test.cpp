// The PFIR analysis report: its two checks, the filter description and the
// table of possible configurations.
#include "pfir.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "cmdin.h"
#include "records.h"
#include "test_util.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

const std::string kHeader = "  Possible Filter Configurations     X marks the configuration used\n";
const std::string kColumnsBoth =
    "Duty    Pwr(mW)  Taps(no sym) Taps (w/ sym)    (Power is for a single FIR row)\n";
const std::string kColumnsPlain = "Duty    Pwr(mW)  Taps(no sym)     (Power is for a single FIR row)\n";

// Receive channel A with 63 odd-symmetric coefficients, decimating by 2 on
// real data, CIC by 6 (ncic 5), planned at input rate 1.
CHAN& odd_symmetric_receive(bool with_analysis = true) {
  init();
  declare_modes(2, 2);
  if (with_analysis) open_test_output(kOutAnl);
  g.fck = 100.0;
  CHAN& c = chan[0];
  c.origcoefs = c.coefsym = c.fir_sym = c.coef_sym = 1;
  c.ncoefs = 63;
  c.maxtap = -500;
  c.sumtap = 1000;
  c.xmt = c.fir_cmplx = 0;
  c.ncic = c.fir_clk_cnt = 5;
  c.fir_int = c.fir_nchan = c.inrate = 1;
  c.fir_dec = 2;
  for (int i = 0; i < 16; ++i) c.possible_inrate[i] = i < 6 ? i + 1 : -1;
  return c;
}

// The same filter in a transmitting channel interpolating by fir_int.
void transmitting(CHAN& c, int fir_int, int coefsym) {
  c.xmt = c.fir_dec = 1;
  c.fir_int = fir_int;
  c.coefsym = coefsym;
}

// Runs the report of channel `ch`; returns what it wrote to standard error.
std::string run_report(int ch) {
  CaptureStderr();
  pfir_analysis(ch);
  return GetCapturedStderr();
}

// The analysis file after a report that wrote nothing to standard error.
std::string report(int ch) {
  EXPECT_EQ(run_report(ch), "");
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
  EXPECT_EQ(report(0), "\nChannel 0 has a minimum frequency of 1.30000 MHz\n"
                       "\nChannel 0 has a 63 tap filter.  Sum of coefficients 1000. Max coefficient 500\n"
                       "Coefficient symmetry is odd. Hardware exploits symmetry.\n" +
                           kHeader + kColumnsBoth +
                           "0.167   15.0     32            63 X     \n"
                           "0.333   30.0     64           127       \n"
                           "0.500   45.0     96           191       \n"
                           "0.667   60.0    128           255       \n"
                           "0.833   75.0    160           319       \n"
                           "1.000   90.0    192           383       \n");
  EXPECT_EQ(err, 0);
  EXPECT_EQ(exit_status, 0);
  // A channel without its own coefficients reports nothing, not even its checks.
  CHAN& c = odd_symmetric_receive();
  c.origcoefs = 0;
  c.maxtap = 40000;
  g.fck = 0.5;
  EXPECT_EQ(report(0), "");
  EXPECT_EQ(err, 0);
  EXPECT_EQ(exit_status, 0);
}

TEST(PfirAnalysis, MinimumFrequencyAndClockError) {
  const std::string minimum = "\nChannel 0 has a minimum frequency of 7.00000 MHz\n";
  CHAN& c = odd_symmetric_receive();
  c.ncic = 63;
  c.fir_clk_cnt = 4;
  g.fck = 7.0;  // exactly the minimum
  EXPECT_EQ(report(0).substr(0, minimum.size()), minimum);
  EXPECT_EQ(exit_status, 0);
  g.fck = 6.5;
  open_test_output(kOutAnl);
  EXPECT_EQ(run_report(0), "Error: chip clock rate of 6.50000 lower than minimum of 7.00000!\n");
  const std::string start = minimum +
                            "Error(cmdin L418): chip clock rate of 6.50000 lower than minimum of 7.00000!\n"
                            "\nChannel 0 has a 63 tap filter.";
  EXPECT_EQ(output_text(kOutAnl).substr(0, start.size()), start);
  EXPECT_EQ(exit_status, 1);
  EXPECT_EQ(err, 0);
  // Both checks run without the analysis file too.
  odd_symmetric_receive(false).maxtap = 32768;
  g.fck = 1.0;  // below 1.3
  EXPECT_EQ(run_report(0),
            "Coefs exceeds 16 bits\nError: chip clock rate of 1.00000 lower than minimum of 1.30000!\n");
}

// A coefficient beyond 16 bits is reported and fails the run; the report
// goes on, with the magnitude of the largest coefficient.
TEST(PfirAnalysis, SixteenBitBoundaries) {
  for (int maxtap : {-32768, 32767, 32768, -32769}) {
    odd_symmetric_receive().maxtap = maxtap;
    bool beyond = maxtap == 32768 || maxtap == -32769;
    EXPECT_EQ(run_report(0), beyond ? "Coefs exceeds 16 bits\n" : "") << maxtap;
    EXPECT_EQ(err, beyond ? 1 : 0) << maxtap;
    EXPECT_EQ(exit_status, beyond ? 1 : 0) << maxtap;
    std::string magnitude = " Max coefficient " + std::to_string(maxtap < 0 ? -maxtap : maxtap) + "\n";
    EXPECT_TRUE(contains(output_text(kOutAnl), magnitude)) << maxtap;
  }
}

// The symmetry line, and a symmetric tap column only where the hardware can
// fold: a transmitting channel folds a symmetric set only at low
// interpolation.
TEST(PfirAnalysis, SymmetryDescriptionsAndColumns) {
  struct Case {
    void (*setup)(CHAN&);
    std::string part;
  };
  const Case cases[] = {
      {[](CHAN& c) { c.fir_sym = 0; }, "Coefficient symmetry is odd. Hardware does not exploit symmetry.\n"},
      {[](CHAN& c) { c.coefsym = c.fir_sym = 2; },
       "Coefficient symmetry is even. Hardware exploits symmetry.\n"},
      {[](CHAN& c) { c.coefsym = c.fir_sym = c.coef_sym = 0; },
       "Coefficient symmetry is none.\n" + kHeader + kColumnsPlain +
           "0.167   15.0     32 X     \n0.333   30.0     64       \n"},
      {[](CHAN& c) { transmitting(c, 4, 1); }, kColumnsPlain},
      {[](CHAN& c) { transmitting(c, 4, 2); }, kColumnsPlain},
      {[](CHAN& c) { transmitting(c, 2, 2); }, kColumnsPlain},
      {[](CHAN& c) { transmitting(c, 2, 1); }, kColumnsBoth},
      {[](CHAN& c) { transmitting(c, 1, 2); }, kColumnsBoth},
  };
  for (const Case& k : cases) {
    k.setup(odd_symmetric_receive());
    EXPECT_TRUE(contains(report(0), k.part)) << k.part;
  }
}

TEST(PfirAnalysis, ConfigurationTables) {
  struct Case {
    const char* what;
    void (*setup)(CHAN&);
    std::string rows;
  };
  const Case cases[] = {
      {"even symmetry doubles without the odd tap",
       [](CHAN& c) {
         c.coefsym = c.fir_sym = c.inrate = 2;
         for (int i = 2; i < 16; ++i) c.possible_inrate[i] = -1;
       },
       kColumnsBoth + "0.167   15.0     32            64       \n0.333   30.0     64           128 X     \n"},
      // Duty 8/8/4, taps 4 x 8 x 16 / 4 / 2.
      {"transmit rows for interpolation 4",
       [](CHAN& c) {
         transmitting(c, 4, 1);
         c.fir_cmplx = 1;
         c.ncic = 7;
         c.inrate = c.possible_inrate[0] = 8;
         c.possible_inrate[1] = -1;
       },
       kColumnsPlain + "0.250   22.5     64       \n"},
      // A zero divisor in the tap column leaves the table without rows.
      {"fir_int 0", [](CHAN& c) { c.fir_int = 0; }, kColumnsBoth},
      {"fir_nchan 0", [](CHAN& c) { c.fir_nchan = 0; }, kColumnsBoth},
      {"fir_cmplx -1", [](CHAN& c) { c.fir_cmplx = -1; }, kColumnsBoth},
      {"ncic -1", [](CHAN& c) { c.ncic = -1; }, kColumnsBoth},
      // The complex divisor fir_cmplx + 1 wraps at the top of the int range
      // instead of overflowing: 32 / -2^31 is 0, and the odd fold gives -1.
      {"largest complex flag",
       [](CHAN& c) {
         c.fir_cmplx = INT_MAX;
         c.possible_inrate[1] = -1;
       },
       kColumnsBoth + "0.167   15.0      0            -1 X     \n"},
  };
  for (const Case& k : cases) {
    k.setup(odd_symmetric_receive());
    EXPECT_EQ(table_of(report(0)), kHeader + k.rows) << k.what;
  }
}

TEST(PfirAnalysis, NoMarkWhenTheRateInUseIsNotACandidate) {
  odd_symmetric_receive().inrate = -1;
  std::string table = table_of(report(0));
  EXPECT_EQ(table.find('X'), table.find("X marks"));
  EXPECT_EQ(table.find('X', table.find("X marks") + 1), std::string::npos);
}

TEST(PfirAnalysis, AllSixteenCandidatesAndNoMore) {
  CHAN& c = odd_symmetric_receive();
  c.ncic = 15;
  for (int i = 0; i < 16; ++i) c.possible_inrate[i] = i + 1;
  std::string table = table_of(report(0));
  EXPECT_EQ(occurrences_of(table, "\n"), 2 + 16);
  EXPECT_TRUE(contains(table, "1.000   90.0    512          1023       \n"));
}

TEST(PfirAnalysis, ReportNamesTheChannel) {
  chan[2] = odd_symmetric_receive();
  chan[0].origcoefs = 0;
  std::string anl = report(2);
  EXPECT_EQ(anl.substr(0, 50), "\nChannel 2 has a minimum frequency of 1.30000 MHz\n");
  EXPECT_TRUE(contains(anl, "\nChannel 2 has a 63 tap filter."));
}
