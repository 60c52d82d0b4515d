// The transmit interface's frame strobe: the load points of the input
// words and the search for the frame-strobe output delay, worked by hand.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "config/interfaces.h"
#include "test_util.h"

namespace {

// Both pairs transmitting (a TDM frame holds four words), only channel A
// live: a real interface at full clock whose FIR output cycle is (ncic + 1)
// x fir_int clocks.
CHAN& transmit_a(int ncic, int fir_int, int pins = 16, int bits = 16) {
  init();
  declare_modes(1, 1);
  g.splitiqAB = g.splitiqCD = 0;
  for (CHAN& c : chan) c.powerdown = 1, c.pins = c.bits = 16;
  CHAN& a = chan[0];
  a.powerdown = a.cic_bypass = a.fir_sym = a.fir_cmplx = a.tinf_cmplx = 0;
  a.ncic = ncic, a.fir_int = fir_int, a.cic_int = ncic + 1, a.pins = pins, a.bits = bits;
  return a;
}

}  // namespace

// Arrival and toggle clocks: with delay 2 and one-clock words the data
// arrives at clock 20; in a cycle of 4 with four cycles of shift the toggle
// falls at 20 - i, so the search takes the first delay before arrival.
TEST(FrameStrobe, LoadPointsAndOutputDelay) {
  const std::string wraps = "tinf_second too large compared to cycle length";
  const std::string cannot = "Frame strobe delay can not be set properly";
  const struct {
    const char* what;
    int ncic, fir_int, pins, bits;
    std::function<void(CHAN&)> setup;
    const char* values;
    const char* report;  // on standard error or in the analysis file; "quiet": nothing
  } cases[] = {
      {"search: the first delay before arrival (i = 1)", 3, 1, 16, 16, [](CHAN& a) { a.tinf_fs_dly = 2; },
       "tinf_fso_dly=2", "quiet"},
      {"search: the toggle at 32 comes after arrival", 31, 1, 16, 16, [](CHAN& a) { a.tinf_fs_dly = 2; },
       "tinf_fso_dly=1", ""},
      {"user: toggle at 18, before arrival and within bound", 3, 1, 16, 16,
       [](CHAN& a) { a.tinf_fs_dly = 2, a.tinf_fso_dly = 3; }, "tinf_fso_dly=3", "quiet"},
      {"user: toggle at 20, not before arrival", 3, 1, 16, 16,
       [](CHAN& a) { a.tinf_fs_dly = 2, a.tinf_fso_dly = 1; }, "tinf_fso_dly=1", cannot.c_str()},
      {"no CIC: cut below the interpolation", 1, 2, 16, 16, [](CHAN& a) { a.cic_int = 1, a.tinf_fso_dly = 3; },
       "tinf_fso_dly=1", ""},
      {"delay 5 beyond the cycle of 8, two clocks a slow clock", 3, 2, 4, 16,
       [](CHAN& a) { a.sck_div = 1, a.tinf_fs_dly = 5; }, "tinf_first=0 tinf_second=2",
       "Channel 0 FS delay of 5 beyond cycle length. Using delay mod cycle length:  1."},
      {"I/Q muxed, 2 clocks a word, delay 3: 6 wraps in a cycle of 5", 4, 1, 4, 8,
       [](CHAN& a) { a.tinf_cmplx = 1; }, "tinf_first=2 tinf_second=1", wraps.c_str()},
      {"maximum rate: only a delay of 1 works", 1, 1, 16, 16, [](CHAN& a) { a.tinf_cmplx = 1, a.tinf_fs_dly = 2; },
       "tinf_first=1 tinf_second=1", "Maximum rate non-tdm iq series mode must have delay of 1"},
      {"TDM: A reads the port, B the stream one word on", 15, 1, 4, 16,
       [](CHAN& a) { a.tinf_fs_dly = 2, chan[1] = a, g.tinf_tdm = 1; },
       "tinf_src=6 tinf_first=0 tinf_second=3 1:tinf_src=1 1:tinf_first=1 1:tinf_second=4", ""},
      // 12-bit words over 4 pins, cycle 14: nothing within seven delays; the
      // A/B probe finds 4.
      {"TDM: aligning A and B apart", 13, 1, 4, 12, [](CHAN& a) { a.tinf_fs_dly = 0, g.tinf_tdm = 1; },
       "tinf_first=0 tinf_second=1 tinf_fso_dly=4",
       "Data can not be aligned. Aligning so channels a and b are one off of c and d."},
      // 20-bit words over 4 pins, cycle 4, delay 3: four words at 40 come
      // after the toggle of i = 1, not below three words (35): delay 2.
      {"TDM: aligning D apart", 3, 1, 4, 20, [](CHAN& a) { a.tinf_fs_dly = 3, g.tinf_tdm = 1; },
       "tinf_fso_dly=2 tinf_second=4", "Data can not be aligned. Aligning so channels a b and c are one off of d."},
  };
  for (const auto& k : cases) {
    CHAN& a = transmit_a(k.ncic, k.fir_int, k.pins, k.bits);
    k.setup(a);
    open_test_output(kOutAnl);
    std::string err = stderr_of(misc_config);
    err += output_text(kOutAnl);
    close_outputs();
    EXPECT_TRUE(holds(0, k.values)) << k.what;
    if (std::string(k.report) == "quiet") {
      EXPECT_EQ(err, "") << k.what;
    } else {
      EXPECT_NE(err.find(k.report), std::string::npos) << k.what << "\n" << err;
    }
  }
}
