// Control files through the real binary: the per-channel fir_dec lines on
// standard output, powered-down pairs that were never set up, and the
// coefficient placement that ends the run.
#include <gtest/gtest.h>

#include <string>

#include "e2e.h"
#include "test_util.h"

namespace {

// 32 coefficients 100, 200, ..., 3200.
std::string ramp32() {
  std::string text;
  for (int i = 1; i <= 32; ++i) text += std::to_string(i * 100) + "\n";
  return text;
}

// Channels A and B receive complex data through a CIC of 4 and a 32-tap
// filter decimating by 2 (case SCR12N21: two coefficients per cell);
// channels C and D get only their interface width.
const std::string kReceiveAB =
    "fck 100\n"
    "channel 0\nfir_coef ramp.coef\nfreq 10\ncic_dec 4\nfir_dec 2\n"
    "mix_rcv_sel 0\npins 16\nbits 16\n"
    "channel 1\ncopy_channel 0\n"
    "channel 2\npins 16\nbits 16\nchannel 3\npins 16\nbits 16\n";


int occurrences(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

}  // namespace

TEST(ConfigRun, PoweredDownReceivePairNeedsNoFilterSettings) {
  ScratchDir dir;
  dir.write("ramp.coef", ramp32());
  dir.write("rx.txt", "mode ab receive\nmode cd receive\npwr_dwn_cic_CD 1\n" + kReceiveAB + "print debug\n");
  RunResult r = run_cmd7420(dir, {"rx.txt"});
  EXPECT_EQ(r.status, 0);
  // C and D never got a fir_dec.
  EXPECT_EQ(r.out, "2\n2\n-1\n-1\n");
  std::string dbg = dir.read("rx.dbg");
  EXPECT_TRUE(contains(dbg,
                       "Debug(firconfig L27): fir_config()\n"
                       "Debug(firconfig L81): inrate=Min inrate=2, Max inrate=4\n"
                       "Debug(agenconf L133): Filter Name: SCR12N21\n"
                       "Debug(agenconf L338): ValidCase():SCR12N21 Tested and Passes!\n"
                       "fir_config(): name=SCR12N21, Mininrate=2, Maxinrate=4\n"
                       "Debug(firconfig L253): ncoef=32 Sym=0 hnn=32 hxx=32\n"));
  // Two plans, one for each live channel.
  EXPECT_EQ(occurrences(dbg, "Debug(firconfig L27): fir_config()\n"), 2);
}

TEST(ConfigRun, PoweredDownTransmitPairNeedsNoFilterSettings) {
  ScratchDir dir;
  dir.write("ramp.coef", ramp32());
  dir.write("trx.txt", "mode ab receive\nmode cd transmit\npwr_dwn_cic_CD 1\n" + kReceiveAB);
  RunResult r = run_cmd7420(dir, {"trx.txt"});
  EXPECT_EQ(r.status, 0);
  // Transmit channels decimate by 1 by default.
  EXPECT_EQ(r.out, "2\n2\n1\n1\n");
  EXPECT_FALSE(contains(r.err, "Error"));
}

TEST(ConfigRun, CoefficientOffsetUpToTheLastWord) {
  ScratchDir dir;
  dir.write("ramp.coef", ramp32());
  // The last used word is 15 x 16 + 1; an offset of 14 puts it on 255.
  dir.write("ok.txt", "mode ab receive\nmode cd receive\npwr_dwn_cic_CD 1\n" + kReceiveAB +
                          "channel 0\ncoef_ofsc 14\n");
  RunResult r = run_cmd7420(dir, {"ok.txt"});
  EXPECT_EQ(r.status, 0);

  dir.write("over.txt", "mode ab receive\nmode cd receive\npwr_dwn_cic_CD 1\n" + kReceiveAB +
                            "channel 1\ncoef_ofsc 15\nprint analysis\n");
  r = run_cmd7420(dir, {"over.txt"});
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.out, "2\n2\n");  // the run ends in channel B's plan
  EXPECT_TRUE(contains(r.err, "Error: coefram[] writing out of boundaries, check coef_ofsc\n"));
  EXPECT_TRUE(contains(dir.read("over.anl"),
                       "Error(firconfig L286): coefram[] writing out of boundaries, check coef_ofsc\n"));
}
