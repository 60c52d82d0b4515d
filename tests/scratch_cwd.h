// scratch_cwd.h — unit tests of the input modules read and write files in the
// current directory (the temporary command file, coefficient and output
// files); each test works in a scratch directory of its own.
#pragma once
#include <unistd.h>

#include <string>

#include "e2e.h"

struct ScratchCwd {
  ScratchCwd() {
    char buf[4096];
    if (getcwd(buf, sizeof buf)) previous = buf;
    if (chdir(dir.path.c_str()) != 0) previous.clear();
  }
  ~ScratchCwd() {
    if (!previous.empty() && chdir(previous.c_str()) != 0) {
    }
  }
  ScratchCwd(const ScratchCwd&) = delete;
  ScratchCwd& operator=(const ScratchCwd&) = delete;
  ScratchDir dir;
  std::string previous;
};
