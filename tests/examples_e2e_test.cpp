// End to end: every shipped example runs cleanly, its board-loader script
// and its header describe the same register writes, and a few registers of
// each carry the values worked out by hand from the example's settings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "e2e.h"

namespace {

namespace fs = std::filesystem;

const unsigned kDirect = 0xffffffffu;  // the header's page of a direct address

struct Write {
  unsigned page, addr, val;
  bool operator==(const Write& o) const {
    return page == o.page && addr == o.addr && val == o.val;
  }
};

std::vector<std::string> example_controls() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(examples_dir()))
    if (entry.is_regular_file() && entry.path().extension() == ".txt")
      names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool starts_with(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

// The warnings an example declares in its comments, one per line written as
// "#   Warning: <text>", each with the reason beside it.
std::set<std::string> declared_warnings(const std::string& control) {
  std::set<std::string> texts;
  for (const std::string& line : lines_of(control)) {
    size_t at = line.find("Warning: ");
    if (starts_with(line, "#") && at != std::string::npos &&
        line.find_first_not_of("# ") == at)
      texts.insert(line.substr(at + 9));
  }
  return texts;
}

std::set<std::string> printed_warnings(const std::string& err) {
  std::set<std::string> texts;
  for (const std::string& line : lines_of(err))
    if (starts_with(line, "Warning: ")) texts.insert(line.substr(9));
  return texts;
}

// The register table of a header file, checked for its fixed frame.
std::vector<Write> header_writes(const std::string& h, const std::string& stem) {
  std::vector<std::string> lines = lines_of(h);
  std::vector<Write> writes;
  const std::vector<std::string> frame = {
      "/* hfile for " + stem + " configuration; necessary for config_tq7420 function */",
      "",
      "struct {",
      "    short page;",
      "    short addr;",
      "    short val;",
      "} regs[] = {",
  };
  if (lines.size() < frame.size() + 4) {
    ADD_FAILURE() << "header too short";
    return writes;
  }
  for (size_t i = 0; i < frame.size(); ++i) EXPECT_EQ(lines[i], frame[i]);
  size_t i = frame.size();
  for (; i < lines.size() && lines[i] != "};"; ++i) {
    Write w{};
    char comma = 0;
    int fields = std::sscanf(lines[i].c_str(), "    { 0x%x, 0x%x, 0x%x }%c", &w.page, &w.addr,
                             &w.val, &comma);
    bool last = i + 1 < lines.size() && lines[i + 1] == "};";
    EXPECT_EQ(fields, last ? 3 : 4) << lines[i];
    if (!last) {
      EXPECT_EQ(comma, ',') << lines[i];
    }
    writes.push_back(w);
  }
  EXPECT_EQ(lines.size(), i + 3) << "the table ends with \"};\", a blank line and nwrites";
  if (i + 2 < lines.size()) {
    EXPECT_EQ(lines[i + 1], "");
    EXPECT_EQ(lines[i + 2], "int nwrites = " + std::to_string(writes.size()) + ";");
  } else {
    ADD_FAILURE() << "header ends without nwrites";
  }
  return writes;
}

// The board-loader text for a write sequence: a page select before each
// write whose page differs from the last page selected (direct addresses
// neither need nor change the selection).
std::string kx330_text(const std::vector<Write>& writes) {
  std::string text;
  long selected = -1;
  char buf[64];
  for (const Write& w : writes) {
    if (w.page != kDirect && static_cast<long>(w.page) != selected) {
      std::snprintf(buf, sizeof buf, "dwr16 2 %x\n", w.page);
      text += buf;
      selected = w.page;
    }
    std::snprintf(buf, sizeof buf, "dwr16 %x %x\n", w.addr, w.val);
    text += buf;
  }
  return text;
}

// The value of the last write to a register.
long last_value(const std::vector<Write>& writes, unsigned page, unsigned addr) {
  long v = -1;
  for (const Write& w : writes)
    if (w.page == page && w.addr == addr) v = w.val;
  return v;
}

struct Outcome {
  RunResult run;
  std::string control, kx330, header;
  std::string stem;
};

Outcome run_example(const std::string& name) {
  ScratchDir dir;
  for (const auto& entry : fs::directory_iterator(examples_dir()))
    if (entry.is_regular_file())
      dir.write(entry.path().filename().string(), read_file(entry.path().string()));
  Outcome o;
  o.stem = name.substr(0, name.find('.'));
  o.control = dir.read(name);
  o.run = run_cmd7420(dir, {name});
  o.kx330 = dir.read(o.stem + ".kx330");
  o.header = dir.read(o.stem + ".h");
  return o;
}

class Example : public ::testing::TestWithParam<std::string> {};

// Each example runs with status 0, reports no error and prints exactly the
// warnings its comments explain; its KX330 script is the header's table of
// writes, page selects added.
TEST_P(Example, RunsCleanlyAndItsLoaderMatchesItsHeader) {
  Outcome o = run_example(GetParam());
  EXPECT_EQ(o.run.status, 0) << o.run.err;
  for (const std::string& line : lines_of(o.run.err)) {
    EXPECT_FALSE(starts_with(line, "Error")) << line;
    EXPECT_FALSE(starts_with(line, "Value out of range")) << line;
  }
  EXPECT_EQ(printed_warnings(o.run.err), declared_warnings(o.control)) << o.run.err;

  ASSERT_FALSE(o.header.empty()) << "every example asks for the header (print hfile)";
  ASSERT_FALSE(o.kx330.empty()) << "every example asks for the board loader (print kx330)";
  std::vector<Write> writes = header_writes(o.header, o.stem);
  ASSERT_GE(writes.size(), 7u);
  EXPECT_EQ(writes[0], (Write{kDirect, 0, 0xfff0}));
  EXPECT_EQ(o.kx330, kx330_text(writes));
}

std::string test_name(const ::testing::TestParamInfo<std::string>& info) {
  std::string n = info.param.substr(0, info.param.find('.'));
  for (char& c : n)
    if (!isalnum(static_cast<unsigned char>(c))) c = '_';
  return n;
}

INSTANTIATE_TEST_SUITE_P(Shipped, Example, ::testing::ValuesIn(example_controls()), test_name);

TEST(Examples, EveryOperatingModeHasAnExample) {
  std::vector<std::string> names = example_controls();
  for (const char* wanted : {"rx4_agc.txt", "tx4_sum.txt", "transceive.txt", "splitiq_tx.txt",
                             "doublerate_rx.txt", "tdm_tx.txt", "override.txt"})
    EXPECT_NE(std::find(names.begin(), names.end(), wanted), names.end()) << wanted;
}

// Registers worked out by hand from the examples' settings.
struct Expected {
  const char* example;
  unsigned page, addr, val;
  const char* why;
};

const Expected kHandWorked[] = {
    // agc_tc 500 us at 100 MHz over a decimation of 16: 3125 samples,
    // D = floor(log2 3125 - 1.25) = 10; narrowband keeps Dabv = D; Dzro =
    // Dsat = D - 4. Fields Dblw, Dabv, Dzro, Dsat from bit 0 up.
    {"rx4_agc.txt", 0x13, 0x18, 0x66aa, "AGC step sizes of channel A"},
    {"rx4_agc.txt", 0x73, 0x18, 0x66aa, "AGC step sizes of channel D"},
    // 12 dB crest factor: 256 / 10^(12/20) = 64.4, narrowband: 64; above it
    // the default zero and saturation run lengths 6 and 6.
    {"rx4_agc.txt", 0x13, 0x17, 0x4066, "AGC threshold and run lengths of channel A"},
    // 10.7 / 100 x 65536 = 7012.4; 14.2 / 100 x 65536 = 9306.1;
    // 21.4 / 100 x 65536 = 14024.7 (channels A, B on page 0x80, C on 0xa0).
    {"rx4_agc.txt", 0x80, 0x14, 0x1b64, "frequency word of channel A"},
    {"rx4_agc.txt", 0x80, 0x1c, 0x245a, "frequency word of channel B"},
    {"rx4_agc.txt", 0xa0, 0x14, 0x36c8, "frequency word of channel C"},
    // Four channels into one real full-rate output: sum_selI 183, sum_selQ 0.
    {"tx4_sum.txt", 0x81, 0x10, 0x00b7, "sum-tree selects"},
    {"tdm_tx.txt", 0x81, 0x10, 0x00b7, "sum-tree selects"},
    // Two channels onto two real outputs, each its own path: sum_selI =
    // 1 + 2 x 1 + 32 x 2 = 67.
    {"transceive.txt", 0x81, 0x10, 0x0043, "sum-tree selects"},
    // TDM input: channel A reads port A (source 6), the others the TDM
    // stream (source 1); 16 pins and 16 bits give 4 and 4, I/Q multiplexed,
    // transmit, frame strobe out in transmit.
    {"tdm_tx.txt", 0x13, 0x10, 0x1e64, "transmit input formatter of channel A"},
    {"tdm_tx.txt", 0x33, 0x10, 0x1964, "transmit input formatter of channel B"},
    // Split-I/Q transmit of a real output: the pair's first mixer takes I
    // by cos and the cross-strapped Q by an inverted sin; the second is quiet.
    {"splitiq_tx.txt", 0x80, 0x15, 0xc050, "mixer selects of channel A"},
    {"splitiq_tx.txt", 0x80, 0x1d, 0x0000, "mixer selects of channel B"},
    // Double rate: channel B takes A's word, 35 / 100 x 65536 = 22937.6,
    // and the phase 22937 / 2 + 1 = 11469 (half a step, rounded up).
    {"doublerate_rx.txt", 0x80, 0x14, 0x5999, "frequency word of channel A"},
    {"doublerate_rx.txt", 0x80, 0x1c, 0x5999, "frequency word of channel B"},
    {"doublerate_rx.txt", 0x80, 0x19, 0x2ccd, "phase of channel B"},
    // The override puts the test pattern (8) on input A; input B keeps the
    // real-data select 4, C and D are powered down (0).
    {"override.txt", 0xa1, 0x10, 0x0048, "receive input selects"},
    // Clock-loss detection on, both CIC pairs powered down.
    {"powerdown.txt", kDirect, 0x0, 0x6100, "power-down register"},
};

TEST(Examples, HandWorkedRegisters) {
  std::map<std::string, std::vector<Write>> writes;
  for (const Expected& e : kHandWorked) {
    if (!writes.count(e.example)) {
      Outcome o = run_example(e.example);
      writes[e.example] = header_writes(o.header, o.stem);
    }
    EXPECT_EQ(last_value(writes[e.example], e.page, e.addr), static_cast<long>(e.val))
        << e.example << ": " << e.why;
  }
}

// The plan lines on standard output: each channel's decimation, and an empty
// line after each interpolating filter's layout.
TEST(Examples, StandardOutputListsTheDecimations) {
  EXPECT_EQ(run_example("rx4_agc.txt").run.out, "2\n2\n2\n2\n");
  EXPECT_EQ(run_example("transceive.txt").run.out, "1\n\n1\n\n2\n2\n");
}

// The indented lines (code block) that follow `heading` in a Markdown file,
// without their indentation; stops at the next heading.
std::vector<std::string> code_after(const std::string& markdown, const std::string& heading,
                                    const std::string& first_word) {
  std::vector<std::string> block;
  bool in_section = false;
  for (const std::string& line : lines_of(markdown)) {
    if (line == heading) {
      in_section = true;
      continue;
    }
    if (!in_section) continue;
    if (starts_with(line, "#")) break;
    size_t text = line.find_first_not_of(' ');
    if (text != std::string::npos && text >= 4 &&
        (!block.empty() || line.compare(text, first_word.size(), first_word) == 0))
      block.push_back(line.substr(text));
    else if (!block.empty() && text != std::string::npos)
      break;
  }
  return block;
}

// The README's control file runs cleanly beside the examples' coefficients.
TEST(Examples, TheReadmeControlFileRunsCleanly) {
  std::vector<std::string> lines =
      code_after(read_file(std::string(CMD7420_SOURCE_DIR) + "/README.md"), "## A control file", "#");
  ASSERT_GT(lines.size(), 10u);
  std::string control;
  for (const std::string& l : lines) control += l + "\n";
  ScratchDir dir;
  dir.write("rx.txt", control);
  dir.write("rx127.coef", read_file(examples_dir() + "/rx127.coef"));
  RunResult r = run_cmd7420(dir, {"rx.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "cmd7420 - revWorking, Feb 14 2005\n");
  EXPECT_TRUE(dir.exists("rx.kx330"));
}

// The KX330 lines quoted in the user guide's walk-through stand, in that
// order, in the example's board-loader script.
TEST(Examples, TheUserGuideWalkThroughQuotesTheRealScript) {
  std::vector<std::string> quoted =
      code_after(read_file(std::string(CMD7420_SOURCE_DIR) + "/docs/user-guide.md"),
                 "## A walk through one example", "dwr16");
  ASSERT_GE(quoted.size(), 5u);
  std::vector<std::string> script = lines_of(run_example("rx4_agc.txt").kx330);
  EXPECT_NE(std::search(script.begin(), script.end(), quoted.begin(), quoted.end()), script.end());
}

}  // namespace
