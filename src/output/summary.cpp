// summary.cpp — the rows of the plan table, read from the records after the
// run: the rates from the filter chain that the response model uses, the
// gain as the analysis reports it, and the NCO frequency from its words.
#include "output/summary.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "diag.h"
#include "records.h"
#include "verify/response.h"
#include "verify/sanity.h"

namespace {

constexpr double kWord = 65536.0;  // weight of one 16-bit frequency word
constexpr double kHzPerMHz = 1e6;

enum class Align { kLeft, kRight };

struct Column {
  const char* heading;
  Align align;
};

const Column kColumns[] = {
    {"ch", Align::kLeft},        {"direction", Align::kLeft},   {"power", Align::kLeft},
    {"in_MHz", Align::kRight},   {"out_MHz", Align::kRight},    {"CIC", Align::kLeft},
    {"stages", Align::kRight},   {"shift", Align::kRight},      {"PFIR", Align::kLeft},
    {"taps", Align::kRight},     {"case", Align::kLeft},        {"freq_MHz", Align::kRight},
    {"nco_MHz", Align::kRight},  {"nco_diff_Hz", Align::kRight}, {"gain", Align::kRight},
    {"output", Align::kLeft},
};
constexpr size_t kNumColumns = sizeof kColumns / sizeof kColumns[0];

using Row = std::vector<std::string>;

const char* direction_of(int mode) {
  return mode == kModeTransmit ? "transmit" : mode == kModeReceive ? "receive" : "-";
}

std::string rate_change(const char* kind, int factor, bool bypassed) {
  return bypassed ? "bypass" : strfmt("%s %d", kind, factor);
}

std::string receive_output(const CHAN& c) {
  return strfmt("%s, %d bits on %d pins", c.routf_iqmux == 1 ? "complex" : "real", c.bits, c.pins);
}

// A transmit channel goes through the sum tree to the chip's output.
std::string transmit_output() {
  const char* rates[] = {"half", "full", "double"};
  const char* resolutions[] = {"", ", high resolution", ", complementary"};
  const char* rate = g.tout_rate >= 0 && g.tout_rate <= 2 ? rates[g.tout_rate] : "?";
  const char* res = g.tout_res >= 0 && g.tout_res <= 2 ? resolutions[g.tout_res] : "";
  return strfmt("%d %s signal%s at %s rate%s", g.tout_nsig, g.tout_cmplx == 1 ? "complex" : "real",
                g.tout_nsig == 1 ? "" : "s", rate, res);
}

// A difference in Hz to the µHz, without the sign of one that rounds to 0.
std::string hertz(double hz) {
  std::string text = strfmt("%.6f", hz);
  return text == "-0.000000" ? text.substr(1) : text;
}

Row channel_row(int ch) {
  const CHAN& c = chan[ch];
  const int mode = g.mode[ch / 2];
  const bool transmit = mode == kModeTransmit;
  Row row = {std::string(1, static_cast<char>('A' + ch)), direction_of(mode),
             c.powerdown != 0 ? "down" : "up"};
  FilterChain chain;
  std::string why;
  if (c.powerdown != 0 || mode == kModeUnset || !chain_of(c, mode, g.fck, &chain, &why)) {
    row.resize(kNumColumns, "-");
    if (c.powerdown == 0 && mode != kModeUnset) row.back() = "not planned: " + why;
    return row;
  }
  const double slow = chain.slow_rate();
  row.push_back(strfmt("%.4f", transmit ? slow : c.fsample));
  row.push_back(strfmt("%.4f", transmit ? c.fsample : slow));
  row.push_back(rate_change(transmit ? "int" : "dec", chain.cic_factor, c.bypass_cic == 1));
  row.push_back(strfmt("%d", chain.cic_stages));
  row.push_back(strfmt("%d", c.cic_shift));
  row.push_back(rate_change(transmit ? "int" : "dec", chain.pfir_factor, c.bypass_fir == 1));
  row.push_back(strfmt("%d", c.ncoefs));
  row.push_back(c.filter_case[0] ? c.filter_case : "-");
  const double nco = programmed_frequency(c.freq_msb, c.freq_mid, c.freq_lsb, g.fck, c.freq < 0);
  row.push_back(strfmt("%.6f", c.freq));
  row.push_back(strfmt("%.6f", nco));
  row.push_back(hertz((nco - c.freq) * kHzPerMHz));
  row.push_back(strfmt("%.6f", final_overall_gain(ch)));
  row.push_back(transmit ? transmit_output() : receive_output(c));
  return row;
}

std::string aligned(const std::vector<Row>& rows) {
  size_t width[kNumColumns] = {};
  for (const Row& row : rows)
    for (size_t k = 0; k < kNumColumns; ++k) width[k] = std::max(width[k], row[k].size());
  std::string text;
  for (const Row& row : rows) {
    std::string line;
    for (size_t k = 0; k < kNumColumns; ++k) {
      std::string pad(width[k] - row[k].size(), ' ');
      if (k > 0) line += "  ";
      line += kColumns[k].align == Align::kRight ? pad + row[k] : row[k] + pad;
    }
    line.erase(line.find_last_not_of(' ') + 1);
    text += line + "\n";
  }
  return text;
}

}  // namespace

double programmed_frequency(int msb, int mid, int lsb, double fck, bool negative) {
  // Unset words (-1) pack as 0.
  auto word = [](int w) { return w < 0 ? 0.0 : static_cast<double>(w); };
  double fraction = (word(msb) + (word(mid) + word(lsb) / kWord) / kWord) / kWord;
  return (negative ? fraction - 1.0 : fraction) * fck;
}

std::string summary_table(const std::string& control_name) {
  std::vector<Row> rows;
  Row heading;
  for (const Column& col : kColumns) heading.push_back(col.heading);
  rows.push_back(heading);
  for (int ch = 0; ch < kNumChannels; ++ch) rows.push_back(channel_row(ch));
  return "\n" + control_name + "\n" + aligned(rows);
}
