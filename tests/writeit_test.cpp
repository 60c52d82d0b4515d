// Output files: the register write sequence in the board-loader and header
// formats, the simulation script and the table.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "driver.h"
#include "records.h"
#include "setregs.h"
#include "test_util.h"
#include "writeit.h"

namespace {

using Lines = std::vector<std::string>;

Lines lines_of(const std::string& text) {
  Lines lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Packs the records as they are and writes them with `write` to the
// outputs `bits`; returns the lines of the first output.
Lines written(void (*write)(), std::initializer_list<int> bits) {
  setregs();
  for (int bit : bits) open_test_output(bit);
  write();
  return lines_of(output_text(*bits.begin()));
}

Lines slice(const Lines& lines, size_t from, size_t n) {
  return Lines(lines.begin() + from, lines.begin() + from + n);
}
Lines last(const Lines& lines, size_t n) { return slice(lines, lines.size() - n, n); }

size_t index_of(const Lines& lines, const std::string& line, size_t from = 0) {
  for (size_t i = from; i < lines.size(); ++i)
    if (lines[i] == line) return i;
  return lines.size();
}

// 177 registers: address 0 as three lines, the two 0x15 mixers deferred;
// 18 RAM lines per channel; 4 closing lines.
const size_t kSimLines = 177u - 1 + 3 - 2 + 4 * 18 + 4;

}  // namespace

// Writes: 1 + 4 mixers + 172 image registers (177 less address 0 and the
// four mixers) + 4 channels x 18 RAM pages x 16 + 4 mixers + 2. Page
// selects: 2 for the silenced mixers, 16 image pages, 72 RAM pages and 2
// for the restored mixers.
TEST(Kx330, BeginsByPoweringDownAndSilencingTheMixersAndCountsEveryWrite) {
  init();
  Lines lines = written(writehw, {kOutKx330, kOutH});
  ASSERT_GE(lines.size(), 12u);
  EXPECT_EQ(slice(lines, 0, 7), (Lines{"dwr16 0 fff0", "dwr16 2 80", "dwr16 15 0", "dwr16 1d 0", "dwr16 2 a0",
                                       "dwr16 15 0", "dwr16 1d 0"}));
  // Then the image in index order: direct 1 to 3, page 18 from address 0x10.
  EXPECT_EQ(slice(lines, 7, 5), (Lines{"dwr16 1 0", "dwr16 2 0", "dwr16 3 0", "dwr16 2 12", "dwr16 10 0"}));
  EXPECT_EQ(nwrites, 1 + 4 + 172 + 1152 + 4 + 2);
  EXPECT_EQ(lines.size(), static_cast<size_t>(nwrites) + 2 + 16 + 72 + 2);
  EXPECT_EQ(lines.back(), "dwr16 3 0");
  EXPECT_EQ(page_reg, 0xa0);
}

// A direct write between keeps the page, even one to the page register.
TEST(Kx330, OnePageSelectPerRunOfWritesOnAPage) {
  init();
  open_test_output(kOutKx330);
  page_reg = -1;
  write_kx330(5, 0x10, 1);
  write_kx330(-1, 3, 2);
  write_kx330(5, 0x11, 3);
  write_kx330(-1, 2, 7);
  write_kx330(5, 0x12, 0x4);
  write_kx330(6, 0x10, 0x12345);
  EXPECT_EQ(output_text(kOutKx330),
            "dwr16 2 5\ndwr16 10 1\ndwr16 3 2\ndwr16 11 3\ndwr16 2 7\ndwr16 12 4\ndwr16 2 6\ndwr16 10 2345\n");
  EXPECT_EQ(page_reg, 6);
}

// Configured mixer values never appear among the image writes.
TEST(Kx330, MixersAreRestoredAfterTheRamPagesThenPowerAndEnables) {
  init();
  chan[0].mix_rcv_sel = 1;
  chan[1].mix_icos = 2;
  chan[3].mix_inv_qsin = 1;
  g.pwr_dwn_fir_B = 1;
  g.en_AO = 1;
  g.en_soB = 1;
  chan[1].swapram[0] = 0x12345;
  chan[1].beram[15] = 7;
  chan[1].coefram[16 * 3 + 2] = -1;
  Lines lines = written(writehw, {kOutKx330});
  size_t channel_b = index_of(lines, "dwr16 2 30");
  ASSERT_LT(channel_b, lines.size());
  EXPECT_EQ(index_of(lines, "dwr16 1d 8000"), lines.size() - 6);
  EXPECT_EQ(lines[channel_b + 1], "dwr16 10 2345");
  EXPECT_EQ(lines[channel_b + 17], "dwr16 2 31");
  EXPECT_EQ(lines[channel_b + 33], "dwr16 1f 7");
  EXPECT_EQ(lines[channel_b + 34], "dwr16 2 20");
  EXPECT_EQ(index_of(lines, "dwr16 2 23", channel_b), channel_b + 34 + 3 * 17);
  EXPECT_EQ(lines[channel_b + 34 + 3 * 17 + 3], "dwr16 12 ffff");
  EXPECT_EQ(last(lines, 8), (Lines{"dwr16 2 80", "dwr16 15 1", "dwr16 1d 8000", "dwr16 2 a0", "dwr16 15 0",
                                   "dwr16 1d 10", "dwr16 0 400", "dwr16 3 101"}));
}

TEST(Kx330, SyncModeDecidesTheClosingOneShotWrites) {
  const struct {
    int sync_mode;
    Lines tail;
  } cases[] = {
      {4, {"dwr16 3 0", "dwr16 1 13"}},   {8, {"dwr16 3 0", "dwr16 1 13"}},
      {5, {"dwr16 3 0", "dwr16 1 3", "dwr16 1 b"}}, {9, {"dwr16 3 0", "dwr16 1 3", "dwr16 1 b"}},
      {3, {"dwr16 0 0", "dwr16 3 0"}},    {10, {"dwr16 0 0", "dwr16 3 0"}},
  };
  for (const auto& c : cases) {
    init();
    g.sync_mode = c.sync_mode;
    g.soB_sync = 3;
    EXPECT_EQ(last(written(writehw, {kOutKx330}), c.tail.size()), c.tail) << c.sync_mode;
  }
}

// soB_sync unset (-1) gives the 0xffff of the first one-shot write.
TEST(HeaderFile, TableOfTheSameWritesWithItsCount) {
  init();
  g.sync_mode = 5;
  written(writehw, {kOutH});
  const std::string h = output_text(kOutH);
  EXPECT_EQ(h.rfind("struct {\n    short page;\n    short addr;\n    short val;\n} regs[] = {\n"
                    "    { 0xffffffff, 0x0, 0xfff0 },\n    { 0x80, 0x15, 0x0 },\n    { 0x80, 0x1d, 0x0 },\n"
                    "    { 0xa0, 0x15, 0x0 },\n    { 0xa0, 0x1d, 0x0 },\n    { 0xffffffff, 0x1, 0x0 },\n",
                    0),
            0u);
  EXPECT_TRUE(ends_with_text(h, ",\n    { 0xffffffff, 0x3, 0x0 },\n    { 0xffffffff, 0x1, 0xffff },\n"
                                "    { 0xffffffff, 0x1, 0x7 }\n};\n\nint nwrites = 1337;\n"));
  EXPECT_EQ(nwrites, 1337);
}

TEST(HeaderFile, EntriesKeepOnlyTheLow16BitsOfTheValue) {
  init();
  open_test_output(kOutH);
  nwrites = 0;
  write_hfile(-1, 0, 0xfff0);
  write_hfile(0x13, 0x1e, -2);
  EXPECT_EQ(output_text(kOutH), "    { 0xffffffff, 0x0, 0xfff0 },\n    { 0x13, 0x1e, 0xfffe }");
  EXPECT_EQ(nwrites, 2);
}

// Index 2077 stays in index order; the deferred mixer word (2069) is
// written unmasked. Channel A's RAM lines follow the last image register
// (page 161, 0x15).
TEST(Simulation, ImageInIndexOrderThenRamsThenDeferredRegisters) {
  init();
  chan[1].mix_rcv_sel = 2;
  chan[2].coefram[17] = 0x1abcd;
  chan[2].swapram[1] = 0xffff;
  chan[2].beram[0] = 0x20;
  setregs();
  regs[2069] = -2;
  regs[0] = 0x12345;
  open_test_output(kOutSim);
  writesim();
  Lines lines = lines_of(output_text(kOutSim));
  ASSERT_EQ(lines.size(), kSimLines);
  EXPECT_EQ(slice(lines, 0, 7), (Lines{"Wglb 0 0xfff0", "Wcon 0x80 0x15 0", "Wcon 0xa0 0x15 0", "Wglb 0x1 0x0",
                                       "Wglb 0x2 0x0", "Wglb 0x3 0x0", "Wcon 0x12 0x10 0x0"}));
  size_t ram_a = index_of(lines, "Wcon 0xa1 0x15 0x0") + 1;
  const std::string zeros = " 0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0;";
  EXPECT_EQ(lines[ram_a], "QOEF 0 0 0x0" + zeros);
  EXPECT_EQ(lines[ram_a + 16], "SWRAM 0  0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0;");
  EXPECT_EQ(lines[ram_a + 17], "BERAM 0  0x0" + zeros);
  EXPECT_LT(index_of(lines, "Wcon 0x80 0x1d 0x2"), ram_a);
  size_t chan_c = index_of(lines, "QOEF 2 0 0x0" + zeros);
  ASSERT_LT(chan_c, lines.size());
  EXPECT_EQ(lines[chan_c + 1], "QOEF 2 1 0x0 0xabcd 0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0 0x0;");
  EXPECT_EQ(lines[chan_c + 16], "SWRAM 2  0 65535 0 0 0 0 0 0 0 0 0 0 0 0 0 0;");
  EXPECT_EQ(lines[chan_c + 17], "BERAM 2  0x20" + zeros);
  EXPECT_EQ(last(lines, 4),
            (Lines{"Wcon 0x80 0x15 0xfffffffe", "Wcon 0xa0 0x15 0x0", "Wglb 0 0x2345", "Wglb 3 0x0"}));
}

// Only the table when only the table is asked; writeall writes each
// requested output once and counts writes only for the header.
TEST(WriteAll, EachRequestedOutputOnce) {
  init();
  g.soB_sync = 4;
  chan[2].gain_lsb = 4096;
  chan[0].freq = 12.5;
  Lines lines = written(writeall, {kOutTbl});
  ASSERT_EQ(lines.size(), 250u);
  EXPECT_EQ(lines[0], "ck_loss_status       -1");
  EXPECT_EQ(lines[9], "soB_sync             4");
  EXPECT_EQ(lines[27], "coef_ofsc               -1    -1    -1    -1");
  for (const char* line : {"gain_lsb                -1    -1  4096    -1", "fck                  -1.000000",
                           "freq                 12.500000 -1.000000 -1.000000 -1.000000"})
    EXPECT_LT(index_of(lines, line), lines.size()) << line;
  EXPECT_EQ(lines.back(), "sumtap                  -1    -1    -1    -1");
  EXPECT_EQ(output_file(kOutKx330), nullptr);
  EXPECT_EQ(nwrites, 0);
  init();
  EXPECT_EQ(written(writeall, {kOutSim, kOutKx330}).size(), kSimLines);
  EXPECT_EQ(lines_of(output_text(kOutKx330))[0], "dwr16 0 fff0");
  EXPECT_EQ(nwrites, 0);  // no header requested
}
