// Coefficient files with their statistics, and copying one channel into
// another.
#include "chancopy.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "cmdin.h"
#include "diag.h"
#include "driver.h"
#include "records.h"
#include "scratch_cwd.h"
#include "test_util.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

class Coefs : public ::testing::Test {
 protected:
  void SetUp() override { init(); }
  void TearDown() override { close_outputs(); }

  // Reads `text` as the coefficient file "taps" into channel `ch`; standard
  // error goes to `log`.
  void read(const std::string& text, int ch = 0) {
    cwd.dir.write("taps", text);
    CaptureStderr();
    readcoef(ch, "taps");
    log = GetCapturedStderr();
  }

  static std::string lines(int count, int first = 1) {
    std::string text;
    for (int i = 0; i < count; ++i) text += std::to_string(first + i) + "\n";
    return text;
  }

  ScratchCwd cwd;
  std::string log;
};

}  // namespace

TEST_F(Coefs, OddSymmetricList) {
  read("1\n2\n3\n2\n1\n");
  EXPECT_EQ(chan[0].ncoefs, 5);
  EXPECT_EQ(chan[0].coefsym, 1);
  EXPECT_EQ(chan[0].maxtap, 3);
  EXPECT_EQ(chan[0].sumtap, 9);
  EXPECT_EQ(chan[0].origcoefs, 1);
  EXPECT_EQ(log, "");
  EXPECT_EQ(err, 0);
}

TEST_F(Coefs, EvenSymmetricListKeepsTheSignOfALaterLargestTap) {
  read("4\n-7\n-7\n4\n", 2);
  EXPECT_EQ(chan[2].ncoefs, 4);
  EXPECT_EQ(chan[2].coefsym, 2);
  EXPECT_EQ(chan[2].maxtap, -7);
  EXPECT_EQ(chan[2].sumtap, 6);
}

TEST_F(Coefs, ALeadingLargestTapIsReportedAsItsMagnitude) {
  read("-9\n3\n-8\n");
  EXPECT_EQ(chan[0].maxtap, 9);
  EXPECT_EQ(chan[0].coefsym, 0);
  EXPECT_EQ(chan[0].sumtap, 14);
}

TEST_F(Coefs, LinesWithoutANumberAreSkipped) {
  read("1\n2\n; a comment\n\n");
  EXPECT_EQ(chan[0].ncoefs, 2);
  EXPECT_EQ(chan[0].coefsym, 0);
  read("# head\n  -3 trailing words\n+4\nx5\n\t6\r\n");
  EXPECT_EQ(chan[0].ncoefs, 3);
  EXPECT_EQ(chan[0].coefs[0], -3);
  EXPECT_EQ(chan[0].coefs[1], 4);
  EXPECT_EQ(chan[0].coefs[2], 6);
}

TEST_F(Coefs, CaretMEndsALinesText) {
  read("5^M7\n^M12\n8\n");
  EXPECT_EQ(chan[0].ncoefs, 2);
  EXPECT_EQ(chan[0].coefs[0], 5);
  EXPECT_EQ(chan[0].coefs[1], 8);
}

TEST_F(Coefs, LongLinesAreReadIn99CharacterPieces) {
  read(std::string(99, 'x') + "42\n");
  EXPECT_EQ(chan[0].ncoefs, 1);
  EXPECT_EQ(chan[0].coefs[0], 42);
}

TEST_F(Coefs, AnEmptyFileIsEvenSymmetric) {
  read("");
  EXPECT_EQ(chan[0].ncoefs, 0);
  EXPECT_EQ(chan[0].coefsym, 2);
  EXPECT_EQ(chan[0].maxtap, 0);
  EXPECT_EQ(chan[0].sumtap, 0);
  EXPECT_EQ(chan[0].origcoefs, 1);
}

TEST_F(Coefs, ExactlyFiveHundredTwelveAreAccepted) {
  read(lines(512) + "; end\n# more\n");
  EXPECT_EQ(chan[0].ncoefs, 512);
  EXPECT_EQ(chan[0].coefs[511], 512);
  EXPECT_EQ(chan[0].sumtap, 512 * 513 / 2);
  EXPECT_EQ(log, "");
  EXPECT_EQ(err, 0);
}

TEST_F(Coefs, AThirteenthIntegerRightAfterIsTooMany) {
  read(lines(512) + "\n \n  -513\n");
  EXPECT_EQ(log, "Too many coefficients in file: taps\n");
  EXPECT_EQ(err, 1);
  EXPECT_EQ(exit_status, 0);  // standard error only
  EXPECT_EQ(chan[0].ncoefs, 512);
  EXPECT_EQ(chan[0].coefs[511], 512);
}

TEST_F(Coefs, AnIntegerAfterACommentIsNotCounted) {
  read(lines(512) + "; comment\n513\n");
  EXPECT_EQ(log, "");
  EXPECT_EQ(err, 0);
  EXPECT_EQ(chan[0].ncoefs, 512);
}

TEST_F(Coefs, ASecondFileClearsWhatTheFirstLeft) {
  read("1\n2\n3\n4\n");
  read("9\n");
  EXPECT_EQ(chan[0].ncoefs, 1);
  EXPECT_EQ(chan[0].coefs[0], 9);
  EXPECT_EQ(chan[0].coefs[1], 0);
  EXPECT_EQ(chan[0].coefs[3], 0);
}

TEST_F(Coefs, CoefficientsBeyond32BitsAreRefused) {
  read("1\n3000000000\n-2147483649 x\n2\n");
  EXPECT_EQ(log,
            "Error: Coefficient out of range in file taps: 3000000000\n"
            "Error: Coefficient out of range in file taps: -2147483649 x\n");
  EXPECT_EQ(err, 1);
  EXPECT_EQ(chan[0].ncoefs, 2);
  EXPECT_EQ(chan[0].coefs[1], 2);
}

TEST_F(Coefs, StatisticsWrapIn32Bits) {
  read("2147483647\n2\n");
  EXPECT_EQ(chan[0].sumtap, 2147483647);  // the sum wrapped to -2147483647
  read("-2147483648\n1\n");
  EXPECT_EQ(chan[0].maxtap, INT_MIN);  // its magnitude does not fit
  EXPECT_EQ(chan[0].sumtap, 2147483647);
}

TEST_F(Coefs, AnUnopenableFileEndsTheRunAndReachesTheAnalysis) {
  output_file(kOutAnl).reset(myopen("ctl.txt", "anl"));
  g.printout |= kOutAnl;
  EXPECT_EXIT(readcoef(0, "nope.coef"), testing::ExitedWithCode(1),
              "^Couldn't open coefficient file: nope.coef\n$");
  EXPECT_EQ(cwd.dir.read("ctl.anl"), "Couldn't open coefficient file: nope.coef\n");
}

TEST_F(Coefs, ADirectoryCannotBeReadAsCoefficients) {
  ASSERT_EQ(std::system(("mkdir " + cwd.dir.file("taps.d")).c_str()), 0);
  EXPECT_EXIT(readcoef(0, "taps.d"), testing::ExitedWithCode(1),
              "^Couldn't open coefficient file: taps.d\n$");
}

TEST(CoefficientStatistics, SymmetryByCount) {
  const int odd[] = {5, 1, 5};
  const int even[] = {5, 1, 1, 5};
  const int none[] = {5, 1, 2, 5};
  EXPECT_EQ(coefficient_symmetry(odd, 3), 1);
  EXPECT_EQ(coefficient_symmetry(even, 4), 2);
  EXPECT_EQ(coefficient_symmetry(none, 4), 0);
  EXPECT_EQ(coefficient_symmetry(odd, 1), 1);
}

// ---- copy_channel ----

namespace {
class Copy : public ::testing::Test {
 protected:
  void SetUp() override { init(); }
  void TearDown() override { close_outputs(); }
};
}  // namespace

TEST_F(Copy, CopiesVariablesAndCoefficientsButNotOrigcoefs) {
  declare_modes(2, 2);
  chan[0].gain = 1.5;
  chan[0].fir_dec = 4;
  chan[0].coef_ofsc = 3;
  chan[0].sumtap = 21;
  chan[0].ncoefs = 3;
  chan[0].coefs[2] = 77;
  chan[0].origcoefs = 1;
  chan[0].fsample = 10.0;
  chan[1].fsample = 20.0;
  chan[1].coefs[100] = 5;
  copy_channel(1, 0);
  EXPECT_EQ(chan[1].gain, 1.5);
  EXPECT_EQ(chan[1].fir_dec, 4);
  EXPECT_EQ(chan[1].coef_ofsc, 3);
  EXPECT_EQ(chan[1].sumtap, 21);
  EXPECT_EQ(chan[1].ncoefs, 3);
  EXPECT_EQ(chan[1].coefs[2], 77);
  EXPECT_EQ(chan[1].coefs[100], 0);
  EXPECT_EQ(chan[1].origcoefs, 0);
  EXPECT_EQ(chan[1].fsample, 20.0);
  EXPECT_EQ(exit_status, 0);
}

TEST_F(Copy, SameDirectionAcrossPairsIsAllowed) {
  declare_modes(1, 1);
  chan[3].freq = 2.0;
  copy_channel(0, 3);
  EXPECT_EQ(chan[0].freq, 2.0);
  EXPECT_EQ(chan[0].xmt, 1);
}

TEST_F(Copy, TransmitAndReceivePairsDoNotMix) {
  declare_modes(2, 1);
  chan[2].freq = 2.0;
  CaptureStderr();
  copy_channel(0, 2);
  EXPECT_EQ(GetCapturedStderr(), "Error: Cant copy transmit <-> receive channels\n");
  EXPECT_EQ(chan[0].freq, -1.0);
  EXPECT_EQ(exit_status, 1);
  EXPECT_EQ(err, 0);
}

TEST_F(Copy, UndeclaredPairsCountAsEqual) {
  g.mode[0] = g.mode[1] = -1;
  chan[2].freq = 2.0;
  copy_channel(0, 2);
  EXPECT_EQ(chan[0].freq, 2.0);
  g.mode[0] = 2;
  chan[2].freq = 3.0;
  CaptureStderr();
  copy_channel(0, 2);
  EXPECT_EQ(GetCapturedStderr(), "Error: Cant copy transmit <-> receive channels\n");
  EXPECT_EQ(chan[0].freq, 2.0);
}
