// test_util.h — shared helpers for unit tests: a fresh program state and
// reading back what the diagnostics wrote into an output file.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "diag.h"
#include "driver.h"
#include "records.h"

// Opens an anonymous output file for `bit` and marks it open in printout.
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
  if (!f) return "";
  std::fflush(f);
  long end = std::ftell(f);
  std::rewind(f);
  std::string text(static_cast<size_t>(end), '\0');
  size_t n = std::fread(&text[0], 1, text.size(), f);
  text.resize(n);
  std::fseek(f, 0, SEEK_END);
  return text;
}

inline bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// How many times `part` occurs in `text`, overlapping occurrences included.
inline int occurrences_of(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

inline bool ends_with_text(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Whether `text` holds every one of `parts`; a failure lists the missing ones.
testing::AssertionResult has_all(const std::string& text, const std::vector<std::string>& parts);

// Whether `text` is all of `whole` (when not null) and holds every one of
// `parts`.
testing::AssertionResult text_matches(const std::string& text, const char* whole,
                                      const std::vector<std::string>& parts);

// What a pass wrote to standard error.
std::string stderr_of(void (*pass)());

// Declares both pairs' directions as the mode commands do and applies the
// defaults (1 transmit, 2 receive).
void declare_modes(int mode_ab, int mode_cd);

// Whether the catalogue variables named in `expected` hold those values:
// "name=value" items read channel `ch` of a per-channel variable,
// "c:name=value" items channel c. A failure names each one that differs and
// what it holds.
testing::AssertionResult holds(int ch, const std::string& expected);
