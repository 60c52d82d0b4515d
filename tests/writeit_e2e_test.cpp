// End to end: a control file that sets registers by hand yields loadable
// output, and a host program built against the generated header loads the
// same chip state as the board-loader script.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "e2e.h"
#include "test_util.h"

namespace {

// Every channel powered down, so nothing needs computing; the register
// values below are set by hand.
const char* const kHandSetControl =
    "# registers set by hand\n"
    "mode ab receive\n"
    "mode cd transmit\n"
    "pwr_dwn_cic_AB 1\n"
    "pwr_dwn_cic_CD 1\n"
    "soB_sync 3\n"
    "one_shot 1\n"
    "sync_mode 5\n"
    "rcv_noise_B 0x7777\n"
    "channel 0\n"
    "gain_lsb 0x1234\n"
    "agc_max 0x0fed\n"
    "channel 1\n"
    "gain_lsb 0x5678\n"
    "channel 3\n"
    "gain_lsb 0x9abc\n"
    "phase 0x4321\n"
    "print kx330\n"
    "print hfile\n"
    "print sim\n"
    "print table\n"
    "channel 0\npins 16\nbits 16\nchannel 1\npins 16\nbits 16\n"
    "channel 2\npins 16\nbits 16\nchannel 3\npins 16\nbits 16\n";

std::string quote(const std::string& s) { return "'" + s + "'"; }

bool starts_with(const std::string& text, const std::string& head) {
  return text.compare(0, head.size(), head) == 0;
}


std::string last_lines(const std::string& text, int n) {
  size_t pos = text.size();
  if (pos > 0 && text[pos - 1] == '\n') --pos;
  for (int i = 0; i < n && pos != std::string::npos && pos > 0; ++i)
    pos = text.rfind('\n', pos - 1);
  return pos == std::string::npos ? text : text.substr(pos + 1);
}

}  // namespace

TEST(HandSetRegisters, LandInEveryRequestedOutput) {
  ScratchDir dir;
  dir.write("run.txt", kHandSetControl);
  RunResult r = run_cmd7420(dir, {"run.txt"});
  EXPECT_EQ(r.status, 0) << r.err;

  const std::string kx = dir.read("run.kx330");
  EXPECT_TRUE(starts_with(kx,
                          "dwr16 0 fff0\ndwr16 2 80\ndwr16 15 0\ndwr16 1d 0\ndwr16 2 a0\ndwr16 15 0\n"
                          "dwr16 1d 0\n"));
  // Channel A's page 19 (0x13) carries its gain at address 0x13 and the
  // AGC limit at 0x16; sync mode 5 ends with the two one-shot writes.
  EXPECT_TRUE(contains(kx, "dwr16 2 13\ndwr16 10 "));
  EXPECT_TRUE(contains(kx, "\ndwr16 13 1234\n"));
  EXPECT_TRUE(contains(kx, "\ndwr16 16 fed\n"));
  EXPECT_EQ(last_lines(kx, 2), "dwr16 1 3\ndwr16 1 b\n");

  const std::string h = dir.read("run.h");
  EXPECT_TRUE(starts_with(
      h, "/* hfile for run configuration; necessary for config_tq7420 function */\n\nstruct {\n"));
  EXPECT_TRUE(contains(h, "    { 0x33, 0x13, 0x5678 },\n"));
  EXPECT_TRUE(contains(h, "    { 0x81, 0x13, 0x7777 },\n"));
  EXPECT_TRUE(contains(h, "    { 0xa0, 0x19, 0x4321 },\n"));  // channel D: address + 8
  EXPECT_TRUE(contains(h, "    { 0xffffffff, 0x1, 0xb }\n};\n\nint nwrites = "));

  const std::string sim = dir.read("run.sim");
  EXPECT_TRUE(starts_with(sim, "Wglb 0 0xfff0\nWcon 0x80 0x15 0\nWcon 0xa0 0x15 0\nWglb 0x1 0xb\n"));
  EXPECT_TRUE(contains(sim, "Wcon 0x73 0x13 0x9abc\n"));

  const std::string tbl = dir.read("run.tbl");
  EXPECT_TRUE(contains(tbl, "\ngain_lsb              4660 22136 "));
  EXPECT_TRUE(contains(tbl, "\nsync_mode            5\n"));
}

TEST(HandSetRegisters, OnlyTheTableWhenOnlyTheTableIsAsked) {
  ScratchDir dir;
  std::string control = kHandSetControl;
  const std::string other_prints = "print kx330\nprint hfile\nprint sim\n";
  control.erase(control.find(other_prints), other_prints.size());
  dir.write("run.txt", control);
  RunResult r = run_cmd7420(dir, {"run.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(dir.exists("run.tbl"));
  for (const char* other : {"run.kx330", "run.h", "run.sim", "run.anl", "run.dbg"})
    EXPECT_FALSE(dir.exists(other)) << other;
  const std::string tbl = dir.read("run.tbl");
  std::istringstream in(tbl);
  int lines = 0;
  for (std::string line; std::getline(in, line);) ++lines;
  EXPECT_EQ(lines, 250);
  EXPECT_TRUE(starts_with(tbl, "ck_loss_status       -1\nen_ck_loss           1\n"));
  EXPECT_TRUE(starts_with(last_lines(tbl, 1), "sumtap "));
}

// A host program compiled as C includes the generated header, loads it
// through its own config_tq7420 and compares the chip state with a load of
// the board-loader script of the same run.
TEST(RealClient, HeaderTableLoadsTheSameChipAsTheScript) {
  ScratchDir dir;
  dir.write("run.txt", kHandSetControl);
  RunResult r = run_cmd7420(dir, {"run.txt"});
  ASSERT_EQ(r.status, 0) << r.err;

  const std::string source = std::string(CMD7420_SOURCE_DIR) + "/tests/clients/config_replay.c";
  const std::string host = dir.file("host");
  const std::string compile = quote(CMD7420_C_COMPILER) + " -std=c99 -w -I" + quote(dir.path) +
                              " -DREGS_HEADER='\"run.h\"' " + quote(source) + " -o " +
                              quote(host) + " >" + quote(dir.file("cc.log")) + " 2>&1";
  ASSERT_EQ(std::system(compile.c_str()), 0) << dir.read("cc.log");

  const std::string run = "cd " + quote(dir.path) + " && " + quote(host) + " run.kx330 >" +
                          quote(dir.file("host.out")) + " 2>&1";
  ASSERT_EQ(std::system(run.c_str()), 0) << dir.read("host.out");
  const std::string state = dir.read("host.out");

  // The header's count is the script's lines less its page selects.
  const std::string h = dir.read("run.h");
  const std::string count_key = "int nwrites = ";
  ASSERT_TRUE(contains(h, count_key));
  const int nwrites = std::atoi(h.c_str() + h.find(count_key) + count_key.size());
  EXPECT_TRUE(contains(state, "writes " + std::to_string(nwrites) + " selects ")) << state;
  std::istringstream kx(dir.read("run.kx330"));
  int lines = 0;
  for (std::string line; std::getline(kx, line);) ++lines;
  const int selects = std::atoi(state.c_str() + state.find("selects ") + 8);
  EXPECT_EQ(lines, nwrites + selects);

  // The loaded chip holds the hand-set values and the restored mixers, with
  // the page register left on the last mixer page.
  for (const char* reg : {"page 13 addr 13 1234\n", "page 13 addr 16 fed\n",
                          "page 33 addr 13 5678\n", "page 73 addr 13 9abc\n",
                          "page a0 addr 19 4321\n", "page 81 addr 13 7777\n", "direct 1 b\n",
                          "direct 2 a0\n"})
    EXPECT_TRUE(contains(state, reg)) << reg;
}
