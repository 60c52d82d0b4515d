// Reading images back, end to end: every shipped example, compiled with all
// its register outputs, decodes to the same listing from its board-loader,
// simulation and header images; the listed values are the table's for
// every variable that lives in a register (unset, -1, packs as 0), and
// every listed line names such a variable with a value that fits its width.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "catalog.h"
#include "e2e.h"
#include "setregs.h"
#include "strtab.h"

namespace {

namespace fs = std::filesystem;

// (channel, name) -> value; channel -1 for a chip-wide variable.
using Values = std::map<std::pair<int, std::string>, long>;

std::vector<std::string> shipped_examples() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(examples_dir()))
    if (entry.path().extension() == ".txt") names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// The control file asking for the four register outputs instead of its own.
std::string with_register_outputs(const std::string& control) {
  std::string out = "print kx330\nprint sim\nprint table\nprint hfile\n";
  std::istringstream in(control);
  for (std::string line; std::getline(in, line);)
    if (line.rfind("print", 0) != 0) out += line + "\n";
  return out;
}

// The listing without its first line, which names the file and its form.
std::string body(const std::string& listing) { return listing.substr(listing.find('\n') + 1); }

const yyy_STRTAB* register_variable(const std::string& name) {
  const yyy_STRTAB* s = yyysearchstr(name.c_str());
  return s && s->page != kPseudoPage ? s : nullptr;
}

Values listed_values(const std::string& listing) {
  Values values;
  int channel = -1;
  std::istringstream in(listing);
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::string name, rest;
    long v = -1;
    words >> name >> v;
    EXPECT_FALSE(words >> rest) << line;
    if (name == "channel") {
      channel = static_cast<int>(v);
      continue;
    }
    const yyy_STRTAB* s = register_variable(name);
    EXPECT_TRUE(s) << line;
    if (s) {
      EXPECT_GE(v, 0) << line;
      EXPECT_LT(v, 1L << s->bits) << line;
    }
    EXPECT_TRUE(values.emplace(std::make_pair(channel, name), v).second) << "twice: " << line;
  }
  return values;
}

Values table_values(const std::string& tbl) {
  Values values;
  std::istringstream in(tbl);
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string name;
    words >> name;
    const yyy_STRTAB* s = register_variable(name);
    if (!s) continue;
    const bool per_channel = field_channels(s) > 1;
    for (int c = 0; c < field_channels(s); ++c) {
      long v;
      words >> v;
      values[{per_channel ? c : -1, name}] = std::max(v, 0L);
    }
  }
  return values;
}

class Roundtrip : public ::testing::TestWithParam<std::string> {};

TEST_P(Roundtrip, ImagesDecodeAlikeAndToTheTable) {
  reset_strtab();
  initstrtab();
  const std::string name = GetParam();
  const std::string stem = name.substr(0, name.find('.'));
  ScratchDir dir;
  for (const auto& entry : fs::directory_iterator(examples_dir()))
    if (entry.is_regular_file())
      dir.write(entry.path().filename().string(), read_file(entry.path().string()));
  dir.write(name, with_register_outputs(dir.read(name)));
  ASSERT_EQ(run_cmd7420(dir, {name}).status, 0);

  std::map<std::string, std::string> listing;
  for (const char* form : {"kx330", "sim", "h"}) {
    RunResult r = run_cmd7420(dir, {"--decode", stem + "." + form});
    ASSERT_EQ(r.status, 0) << r.err;
    listing[form] = r.out;
  }
  EXPECT_EQ(body(listing["sim"]), body(listing["kx330"]));
  EXPECT_EQ(body(listing["h"]), body(listing["kx330"]));
  EXPECT_EQ(listed_values(listing["kx330"]), table_values(dir.read(stem + ".tbl")));
  for (const char* form : {"sim", "h"}) {
    RunResult r = run_cmd7420(dir, {"--decode", stem + ".kx330", stem + "." + form});
    EXPECT_EQ(r.status, 0) << r.out;
  }
}

std::string example_name(const ::testing::TestParamInfo<std::string>& info) {
  std::string n = info.param.substr(0, info.param.find('.'));
  for (char& c : n)
    if (!isalnum(static_cast<unsigned char>(c))) c = '_';
  return n;
}

INSTANTIATE_TEST_SUITE_P(Shipped, Roundtrip, ::testing::ValuesIn(shipped_examples()), example_name);

}  // namespace
