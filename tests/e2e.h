// e2e.h — helpers for tests that run the real cmd7420 binary: a scratch
// directory per run (the program writes its temporary command file into the
// current directory), file reading and writing, and the captured results.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

struct ScratchDir {
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  std::string path;
  std::string file(const std::string& name) const { return path + "/" + name; }
  void write(const std::string& name, const std::string& text) const;
  std::string read(const std::string& name) const;
  bool exists(const std::string& name) const;
};

struct RunResult {
  int status = -1;  // exit status as the shell sees it (0..255)
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs cmd7420 with `args` inside `dir`.
RunResult run_cmd7420(const ScratchDir& dir, const std::vector<std::string>& args);

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& text);
bool file_exists(const std::string& path);

// The directory of the shipped examples.
std::string examples_dir();

// Whether the table output `tbl` has the rows of `rows` ("name value ..."
// rows separated by ';' or line ends), compared word by word; a failure
// shows each differing row as the table has it.
testing::AssertionResult table_has(const std::string& tbl, const std::string& rows);
