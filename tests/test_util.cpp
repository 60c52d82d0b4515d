// test_util.cpp — mode declaration and variable checks for unit tests.
#include "test_util.h"

#include <cstdlib>
#include <sstream>

#include "defaults.h"
#include "strtab.h"

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

testing::AssertionResult holds(int ch, const std::string& expected) {
  std::istringstream in(expected);
  std::string wrong;
  for (std::string item; in >> item;) {
    int c = ch;
    if (item.size() > 2 && item[1] == ':') {
      c = item[0] - '0';
      item.erase(0, 2);
    }
    size_t eq = item.find('=');
    std::string name = item.substr(0, eq);
    yyy_STRTAB* s = eq == std::string::npos || c < 0 || c > 3 ? nullptr : yyysearchstr(name.c_str());
    if (!s) {
      wrong += " " + item + " names no variable;";
      continue;
    }
    int k = s->value[1] || s->dvalue[1] ? c : 0;  // chip-wide variables have one value
    double actual = s->value[k] ? *s->value[k] : *s->dvalue[k];
    if (actual != std::strtod(item.c_str() + eq + 1, nullptr))
      wrong += " " + std::to_string(c) + ":" + name + " is " + strfmt("%.17g", actual) + ";";
  }
  if (wrong.empty()) return testing::AssertionSuccess();
  return testing::AssertionFailure() << wrong;
}

testing::AssertionResult has_all(const std::string& text, const std::vector<std::string>& parts) {
  std::string missing;
  for (const std::string& part : parts)
    if (!contains(text, part)) missing += "\n  missing: " + part;
  if (missing.empty()) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "text lacks parts:" << missing;
}

testing::AssertionResult text_matches(const std::string& text, const char* whole,
                                      const std::vector<std::string>& parts) {
  if (whole && text != whole) return testing::AssertionFailure() << "the text is:\n" << text;
  return has_all(text, parts);
}
