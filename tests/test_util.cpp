// test_util.cpp — mode declaration for unit tests.
#include "test_util.h"

#include "defaults.h"

#include <gtest/gtest.h>

void declare_modes(int mode_ab, int mode_cd) {
  g.mode[0] = mode_ab;
  g.mode[1] = mode_cd;
  for (int c = 0; c < kNumChannels; ++c) chan[c].xmt = (c < 2 ? mode_ab : mode_cd) == 1 ? 1 : 0;
  setdefaults();
}

std::string stderr_of(void (*pass)()) {
  testing::internal::CaptureStderr();
  pass();
  return testing::internal::GetCapturedStderr();
}
