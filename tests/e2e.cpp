// e2e.cpp — scratch directories and runs of the real binary.
#include "e2e.h"

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {
std::string quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'')
      q += "'\\''";
    else
      q += c;
  }
  return q + "'";
}
}  // namespace

ScratchDir::ScratchDir() {
  std::string tmpl = "/tmp/cmd7420_test_XXXXXX";
  if (!mkdtemp(&tmpl[0])) throw std::runtime_error("mkdtemp failed");
  path = tmpl;
}

ScratchDir::~ScratchDir() {
  std::string cmd = "rm -rf " + quote(path);
  if (std::system(cmd.c_str()) != 0) {
  }
}

void ScratchDir::write(const std::string& name, const std::string& text) const {
  write_file(file(name), text);
}
std::string ScratchDir::read(const std::string& name) const { return read_file(file(name)); }
bool ScratchDir::exists(const std::string& name) const { return file_exists(file(name)); }

RunResult run_cmd7420(const ScratchDir& dir, const std::vector<std::string>& args) {
  std::string cmd = "cd " + quote(dir.path) + " && " + quote(CMD7420_BIN);
  for (const std::string& a : args) cmd += " " + quote(a);
  cmd += " >" + quote(dir.file(".stdout")) + " 2>" + quote(dir.file(".stderr")) + " </dev/null";
  int raw = std::system(cmd.c_str());
  RunResult r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = dir.read(".stdout");
  r.err = dir.read(".stderr");
  std::remove(dir.file(".stdout").c_str());
  std::remove(dir.file(".stderr").c_str());
  return r;
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void write_file(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

bool file_exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

std::string examples_dir() { return std::string(CMD7420_SOURCE_DIR) + "/examples"; }

namespace {
// The words of `line`, single-spaced.
std::string words_of(const std::string& line) {
  std::istringstream in(line);
  std::string joined;
  for (std::string w; in >> w;) joined += (joined.empty() ? "" : " ") + w;
  return joined;
}
}  // namespace

testing::AssertionResult table_has(const std::string& tbl, const std::string& rows) {
  std::istringstream table_in(tbl);
  std::vector<std::string> table;
  for (std::string line; std::getline(table_in, line);) table.push_back(words_of(line));
  std::string wrong;
  std::string all = rows;
  for (char& c : all)
    if (c == ';') c = '\n';
  std::istringstream rows_in(all);
  for (std::string row; std::getline(rows_in, row);) {
    row = words_of(row);
    if (row.empty()) continue;
    std::string head = row.substr(0, row.find(' ') + 1);
    std::string found = "(no row)";
    for (const std::string& t : table)
      if (t.compare(0, head.size(), head) == 0) found = t;
    if (found != row) wrong += "\n  want: " + row + "\n  have: " + found;
  }
  if (wrong.empty()) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "table rows differ:" << wrong;
}
