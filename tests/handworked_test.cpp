// Values worked by hand from the control files (the user guide's walk
// through rx4_agc, the examples' comments, the trace cases' settings), looked
// up in the pinned outputs. The pinned files were written by the program, so
// this table is what keeps a wrong output from being accepted by --update.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

struct Row {
  const char* file;  // under the source tree; "case:" is tests/cases/, "ex:" examples/expected/
  const char* text;  // .tbl: rows "name values..." (the first ones) separated by ';'; else text held
  const char* why;
};

const char* const kWalk = "ex:rx4_agc/rx4_agc";

const Row kRows[] = {
    // The user guide's walk through rx4_agc: 10.7 / 100 x 65536 = 7012.352,
    // .352 x 65536 = 23068.67, .67 x 65536 = 44040; 14.2, 21.4, 32.9 MHz likewise.
    {kWalk, "freq_msb 7012 9306 14024 21561; freq_mid 23068 7340 46137 22544; freq_lsb 44040 2097 22544 25165",
     "frequency words"},
    {kWalk, "ncic 7 7 7 7; cic_shift 24 24 24 24; cic_rshift 1 1 1 1",
     "8 - 1; five stages of 8 (2^15) and the mixer's 1/2: 39 - 14 = 25, less 1 for symmetry"},
    {kWalk, "fir_clk_cnt 3 3 3 3; fir_shift 6 6 6 6; gain_lsb 7373 7373 7373 7373",
     "rate 4 less 1; gain 2 / (0.5 x 1 x 2.22) x 4096"},
    {kWalk, "agc_Dblw 10 10 10 10; agc_Dabv 10 10 10 10; agc_Dzro 6 6 6 6; agc_Dsat 6 6 6 6; agc_thresh 64 64 64 64",
     "500 us x 100 MHz / 16 = 3125 samples: D = floor(log2 3125 - 1.25); 256 / 10^(12/20)"},
    {"ex:rx4_agc/rx4_agc.dbg", "name=SCR14O21", "127 odd taps decimating by 2 on complex data: rate 4"},
    {"ex:rx4_agc/rx4_agc.anl", "minimum frequency of 1.30000 MHz", "(7 + 3 + 3) / 10"},
    {"ex:rx4_agc/rx4_agc.anl", "Estimate power is   468mW", "the guide's power estimate"},
    {"ex:rx4_agc/rx4_agc.kx330",
     "dwr16 2 80\ndwr16 10 258\ndwr16 11 0\ndwr16 12 ac08\ndwr16 13 5a1c\ndwr16 14 1b64\ndwr16 16 4bf\n"
     "dwr16 17 2007\n",
     "page 0x80: shift 24 | rcv 1 << 6 | rshift 1 << 9; the words; ncic 7 | cic_sync 2 << 12"},
    {"ex:rx4_agc/rx4_agc.h", "    { 0x13, 0x18, 0x66aa },", "AGC steps Dblw, Dabv, Dzro, Dsat of channel A"},
    {"ex:rx4_agc/rx4_agc.h", "    { 0x13, 0x17, 0x4066 },", "threshold 64 above the run lengths 6 and 6"},
    // The other examples.
    {"ex:tx4_sum/tx4_sum.tbl", "sum_selI 183; sum_selQ 0", "four channels into one real full-rate output"},
    {"ex:transceive/transceive.tbl", "sum_selI 67", "two real outputs, each its own path: 1 + 2 x 1 + 32 x 2"},
    {"ex:tdm_tx/tdm_tx.h", "    { 0x13, 0x10, 0x1e64 },", "A reads port A (source 6), 16 pins and bits, I/Q muxed"},
    {"ex:tdm_tx/tdm_tx.h", "    { 0x33, 0x10, 0x1964 },", "B reads the TDM stream (source 1)"},
    {"ex:splitiq_tx/splitiq_tx.h", "    { 0x80, 0x15, 0xc050 },", "I by cos, cross-strapped Q by an inverted sin"},
    {"ex:doublerate_rx/doublerate_rx.tbl", "freq_msb 22937 22937 40632 40632; phase 0 11469",
     "35 / 100 x 65536 = 22937.6; B's phase 22937 / 2 + 1"},
    {"ex:override/override.h", "    { 0xa1, 0x10, 0x48 },", "test pattern 8 on input A, real-data select 4 on B"},
    {"ex:powerdown/powerdown.h", "    { 0xffffffff, 0x0, 0x6100 }", "clock-loss detection, both CIC pairs down"},
    // Receive at double rate, complex: split-I/Q, SRR11N21 and SRR11N41.
    {"case:trace-rx-double-rate-complex/expected/cfg.tbl",
     "freq_msb 8192 8192 49152 49152; phase 0 4096 0 57344; ncic 3 3 1 1; cic_shift 25 25 30 30; "
     "coef_modc 1 1 3 3; fir_sync_cnt 63 63 127 127; gain_lsb 4717 4717 4717 3072; agc_Dblw 0 0 11 0; "
     "agc_Dabv 0 0 9 0; agc_min 0 0 587 0; agc_max 0 0 64819 0; agc_thresh 0 0 103 0; nco_sync 3 3 3 3",
     "1/8 and 3/4 turn, B and D half a step on; 8/2 - 1; 4096 x 2 / (28455 / 2^14); 0.75; 7500 samples"},
    // Split-I/Q receive with zero padding: SRR11E21.
    {"case:trace-rx-split-iq-zero-pad/expected/cfg.tbl",
     "freq_msb 4096 4096 -1 -1; ncic 9 9 -2 -2; cic_shift 23 23 -1 -1; cic_rcv_cross 0 1 0 0; "
     "gain_lsb 60517 5000 -1 -1; agc_Dblw 6 0 0 0; agc_Dzro 2 0 0 0; agc_min 7562 0 0 0; agc_thresh 255 0 0 0",
     "floor(39 - (5 log2 10 - 2)) less 1; 2 / (5814 / 2^14 x 10^5 / 2^16 / 4) x 4096; B overridden; 200 samples"},
    {"case:trace-rx-split-iq-zero-pad/expected/cfg.anl", "Estimate power is   124mW at  80.0 MHz",
     "(0.55 x 1/10 x 2 + 0.75) x 80 x 1.8"},
    // Transceive, symmetric transmit set: whole gain analysis.
    {"case:trace-transceive-symmetric/expected/cfg.anl",
     "Gain from gain block is 4.031494 (G = 16513)\nGain from filter is 0.031006 (FIR_SUM = 1016, fir_shift = 7)\n"
     "Gain from cic is 1.000000 (cic_shift = 26)\n",
     "1016 / (2 x 2^14); floor(4096 / (0.031006 x 8))"},
    {"case:trace-transceive-symmetric/expected/cfg.anl",
     "CIC       2.000000             1.000000\nFIR       0.024414             0.024414\n"
     "AGC       81.919922             1.999998 = final actual overall gain\n",
     "C: 8 taps summing to -400, CIC shift 25, 400 / 2^14"},
    {"case:trace-transceive-symmetric/expected/cfg.tbl", "gain_lsb 16513 16513 7864 7864; gain_msb 0 0 5 5",
     "floor(81.92 x 4096 + 0.5) = 5 x 65536 + 7864"},
    {"case:trace-transceive-symmetric/expected/cfg.anl", "Estimate power is   369mW",
     "(4 x 0.55 x 0.25 + 0.75 + 0.75) x 180"},
};

std::string path_of(const std::string& file) {
  const std::string root = CMD7420_SOURCE_DIR;
  if (file.rfind("case:", 0) == 0) return root + "/tests/cases/" + file.substr(5);
  if (file.rfind("ex:", 0) == 0) return root + "/examples/expected/" + file.substr(3);
  return root + "/" + file;
}

std::string words_of(const std::string& line) {
  std::istringstream in(line);
  std::string joined;
  for (std::string w; in >> w;) joined += (joined.empty() ? "" : " ") + w;
  return joined;
}

// The table's row of `name`, single-spaced.
std::string table_row(const std::string& tbl, const std::string& name) {
  std::istringstream in(tbl);
  for (std::string line; std::getline(in, line);)
    if (words_of(line).rfind(name + " ", 0) == 0) return words_of(line);
  return "(no row)";
}

}  // namespace

TEST(HandWorked, PinnedOutputsHoldTheValuesWorkedByHand) {
  std::map<std::string, std::string> files;
  for (const Row& r : kRows) {
    std::string file = r.file;
    if (file.find('.') == std::string::npos) file += ".tbl";
    if (!files.count(file)) {
      std::ifstream in(path_of(file), std::ios::binary);
      files[file] = std::string(std::istreambuf_iterator<char>(in), {});
      ASSERT_FALSE(files[file].empty()) << file;
    }
    const std::string& text = files[file];
    if (file.size() < 4 || file.compare(file.size() - 4, 4, ".tbl") != 0) {
      EXPECT_NE(text.find(r.text), std::string::npos) << file << " lacks " << r.text << "\n  (" << r.why << ")";
      continue;
    }
    std::istringstream rows(r.text);
    for (std::string row; std::getline(rows, row, ';');) {
      row = words_of(row);
      std::string have = table_row(text, row.substr(0, row.find(' ')));
      EXPECT_EQ(have.substr(0, row.size()), row) << have << "\n  " << file << " (" << r.why << ")";
      EXPECT_TRUE(have.size() == row.size() || have[row.size()] == ' ') << have;
    }
  }
}
