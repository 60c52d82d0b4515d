// test_util.h — for the unit tables: fresh records with both pairs
// declared, what a pass wrote to standard error or an output file, and a
// check of catalogue variables by name.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "vartable/defaults.h"
#include "diag.h"
#include "driver/driver.h"
#include "output/outputs.h"
#include "records.h"
#include "vartable/strtab.h"

// Fresh records with both pairs declared as the mode commands do (1
// transmit, 2 receive) and the defaults applied.
inline void declare_modes(int mode_ab, int mode_cd) {
  g.mode[0] = mode_ab;
  g.mode[1] = mode_cd;
  for (int c = 0; c < kNumChannels; ++c) chan[c].xmt = (c < 2 ? mode_ab : mode_cd) == 1 ? 1 : 0;
  setdefaults();
}

inline std::string stderr_of(void (*pass)()) {
  testing::internal::CaptureStderr();
  pass();
  return testing::internal::GetCapturedStderr();
}

// Opens an anonymous output file for `bit`; output_text reads it back.
inline void open_test_output(int bit) {
  output_file(bit).reset(std::tmpfile());
  g.printout |= bit;
}

// Runs `body` as the driver runs a control file: a run that ends early ends
// the process with its status (for EXPECT_EXIT).
template <typename Body>
void as_whole_run(Body body) {
  try {
    body();
  } catch (const RunEnded& ended) {
    end_program(finish_run(ended.status));
  }
}

// Everything written so far to the output file of `bit`.
inline std::string output_text(int bit) {
  std::FILE* f = output_file(bit).get();
  std::string text;
  if (!f) return text;
  std::rewind(f);
  for (int c; (c = std::fgetc(f)) != EOF;) text += static_cast<char>(c);
  return text;
}

// Whether the variables hold the values: "name=value" items of channel
// `ch`, "c:name=value" of channel c; a failure names each one that differs.
inline testing::AssertionResult holds(int ch, const std::string& expected) {
  std::istringstream in(expected);
  std::string wrong;
  for (std::string item; in >> item;) {
    int c = item.size() > 2 && item[1] == ':' ? item[0] - '0' : ch;
    if (c != ch) item.erase(0, 2);
    size_t eq = item.find('=');
    yyy_STRTAB* s = yyysearchstr(item.substr(0, eq).c_str());
    if (!s || eq == std::string::npos) return testing::AssertionFailure() << item << " names no variable";
    int k = s->value[1] || s->dvalue[1] ? c : 0;  // chip-wide variables have one value
    double actual = s->value[k] ? *s->value[k] : *s->dvalue[k];
    if (actual != std::strtod(item.c_str() + eq + 1, nullptr))
      wrong += " " + std::to_string(c) + ":" + item.substr(0, eq) + " is " + strfmt("%.17g", actual) + ";";
  }
  if (wrong.empty()) return testing::AssertionSuccess();
  return testing::AssertionFailure() << wrong;
}
