// The lowpass designer behind the examples' coefficient files: the shape of
// its designs, its refusals, and the checked-in files it reproduces.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "e2e.h"

namespace {

int run(const std::string& command) { return std::system(command.c_str()); }

std::string gen(const ScratchDir& dir, const std::string& args) {
  return "cd '" + dir.path + "' && '" + CMD7420_GEN_LOWPASS + "' " + args + " 2>/dev/null";
}

std::vector<int> taps_of(const std::string& text) {
  std::vector<int> taps;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    std::string line = text.substr(pos, end - pos);
    if (!line.empty() && line[0] != '#') taps.push_back(std::stoi(line));
    pos = end == std::string::npos ? text.size() : end + 1;
  }
  return taps;
}

// A cutoff at a quarter of the rate makes a half-band filter: symmetric,
// every second tap from the centre zero, the centre the largest, scaled to
// the 16-bit peak.
TEST(GenLowpass, HalfBandDesign) {
  ScratchDir dir;
  ASSERT_EQ(run(gen(dir, "--taps 21 --rate 1 --pass 0.2 --stop 0.3 hb.coef")), 0);
  std::vector<int> h = taps_of(dir.read("hb.coef"));
  ASSERT_EQ(h.size(), 21u);
  EXPECT_EQ(h[10], 32767);
  for (int n = 0; n < 21; ++n) {
    EXPECT_EQ(h[n], h[20 - n]) << n;
    if (n != 10 && (n - 10) % 2 == 0) {
      EXPECT_EQ(h[n], 0) << n;
    }
    EXPECT_LE(std::abs(h[n]), 32767);
  }
  std::string design = dir.read("hb.design");
  EXPECT_NE(design.find("gen_lowpass --taps 21 --rate 1 --pass 0.2 --stop 0.3 hb.coef\n"),
            std::string::npos);
  EXPECT_NE(design.find("cutoff                0.2500 of the sample rate"), std::string::npos);
  EXPECT_NE(design.find("taps                  21 (odd symmetric"), std::string::npos);
}

// An even count stays exactly symmetric, and --peak sets the largest tap.
TEST(GenLowpass, EvenCountAndPeak) {
  ScratchDir dir;
  ASSERT_EQ(run(gen(dir, "--taps 32 --rate 10 --pass 1 --stop 2 --peak 16384 e.coef")), 0);
  std::vector<int> h = taps_of(dir.read("e.coef"));
  ASSERT_EQ(h.size(), 32u);
  int largest = 0;
  for (int n = 0; n < 32; ++n) {
    EXPECT_EQ(h[n], h[31 - n]) << n;
    largest = std::max(largest, std::abs(h[n]));
  }
  EXPECT_EQ(largest, 16384);
}

// Band edges out of order or past half the rate, and tap counts the filter
// cannot hold, are refused with status 2 and no file.
TEST(GenLowpass, RefusesImpossibleDesigns) {
  ScratchDir dir;
  for (const char* args : {"--taps 21 --rate 1 --pass 0.3 --stop 0.2 x.coef",
                           "--taps 21 --rate 1 --pass 0.2 --stop 0.5 x.coef",
                           "--taps 513 --rate 1 --pass 0.2 --stop 0.3 x.coef",
                           "--taps 2.5 --rate 1 --pass 0.2 --stop 0.3 x.coef",
                           "--taps 21 --rate 1 --pass 0.2 x.coef",
                           "--taps 21 --rate 1 --pass 0.2 --stop 0.3 --peak 40000 x.coef",
                           "--taps 21 --rate 1 --pass 0.2 --stop 0.3"}) {
    int status = run(gen(dir, args));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << args;
    EXPECT_FALSE(dir.exists("x.coef")) << args;
  }
}

// The script of the examples' designs rewrites the checked-in coefficient
// and design files unchanged.
TEST(GenLowpass, ReproducesTheExampleFiles) {
  ScratchDir dir;
  const std::string script = std::string(CMD7420_SOURCE_DIR) + "/tools/make_example_coefs.sh";
  ASSERT_EQ(run("sh '" + script + "' '" + CMD7420_GEN_LOWPASS + "' '" + dir.path + "'"), 0);
  for (const char* name : {"rx127", "tx128x4", "tx128x2", "dr63", "halfband21"}) {
    for (const char* ext : {".coef", ".design"}) {
      std::string file = std::string(name) + ext;
      EXPECT_EQ(dir.read(file), read_file(examples_dir() + "/" + file)) << file;
    }
  }
}

}  // namespace
