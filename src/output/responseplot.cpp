// responseplot.cpp — the CSV table and the SVG plot of `print response`.
// Numbers are written with a fixed number of decimals by a small formatter
// of our own: locale-free, the same bytes on every run, and fast enough for
// the tens of thousands of values in a table.
#include "output/responseplot.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "diag.h"

namespace {

const char kChannelLetters[] = "ABCD";

// printf's fixed ('f') or general ('g') form with `precision`; the program
// never leaves the C locale, so the point is always '.'.
std::string number(double v, char conversion, int precision) {
  std::string s = conversion == 'f' ? strfmt("%.*f", precision, v) : strfmt("%.*g", precision, v);
  // A value that rounds to zero is written without a sign.
  if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
  return s;
}
// Appends n / 10^decimals with all its decimals.
void append_scaled(std::string& out, long long n, int decimals) {
  char buf[32];
  char* p = buf + sizeof buf;
  unsigned long long m = n < 0 ? 0ULL - static_cast<unsigned long long>(n) : static_cast<unsigned long long>(n);
  for (int k = 0; k < decimals; ++k, m /= 10) *--p = static_cast<char>('0' + m % 10);
  if (decimals > 0) *--p = '.';
  do {
    *--p = static_cast<char>('0' + m % 10);
    m /= 10;
  } while (m > 0);
  if (n < 0) *--p = '-';
  out.append(p, static_cast<size_t>(buf + sizeof buf - p));
}

// Appends v with `decimals` (0 to 6) digits after the point, rounded half
// away from zero. A tenth of the work of the exact conversion, which counts
// in a table of fifty thousand numbers.
void append_fixed(std::string& out, double v, int decimals) {
  static const double kScale[] = {1, 10, 100, 1000, 1e4, 1e5, 1e6};
  double scaled = v * kScale[decimals];
  if (!(std::fabs(scaled) < 9e15)) {
    out += number(v, 'f', decimals);
    return;
  }
  append_scaled(out, static_cast<long long>(scaled < 0 ? scaled - 0.5 : scaled + 0.5), decimals);
}
std::string fixed(double v, int decimals) {
  std::string s;
  append_fixed(s, v, decimals);
  return s;
}
// Rates as a person writes them: 100, 12.5, 3.125.
std::string rate(double mhz) { return number(mhz, 'g', 9); }
constexpr int kMhzDecimals = 6;
constexpr int kDbDecimals = 3;
std::string mhz(double f) { return fixed(f, kMhzDecimals); }
std::string db(double v) { return fixed(v, kDbDecimals); }

std::string printable(const std::string& s) {
  std::string out = s;
  for (char& ch : out)
    if (ch < ' ' || ch > '~') ch = '?';
  return out;
}

std::string xml_escaped(const std::string& s) {
  std::string out;
  for (char ch : s) {
    switch (ch) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += ch;
    }
  }
  return out;
}

std::string letter(const ChannelResponse& r) { return std::string(1, kChannelLetters[r.channel]); }

std::string chain_text(const FilterChain& c) {
  std::string cic = "CIC of " + std::to_string(c.cic_stages) + " stages";
  std::string pfir = "PFIR of " + std::to_string(c.taps.size()) + (c.taps.size() == 1 ? " tap" : " taps");
  std::string factor = std::to_string(c.pfir_factor);
  std::string cic_factor = std::to_string(c.cic_factor);
  if (c.transmit)
    return "transmit: " + pfir + " interpolating by " + factor + " from " + rate(c.slow_rate()) +
           " MHz to " + rate(c.pfir_rate()) + " MHz, then " + cic + " interpolating by " + cic_factor +
           " to " + rate(c.fast_rate) + " MHz";
  return "receive: " + cic + " decimating by " + cic_factor + " at " + rate(c.fast_rate) + " MHz, then " +
         pfir + " at " + rate(c.pfir_rate()) + " MHz decimating by " + factor + " to " +
         rate(c.slow_rate()) + " MHz";
}

std::vector<std::string> figure_texts(const ChannelResponse& r) {
  const ChainFigures& f = r.figures;
  const FilterChain& c = r.chain;
  if (!f.defined)
    return {"figures: none (the chain's gain at 0 Hz is zero; its PFIR curve is relative to the "
            "sum of the tap magnitudes)"};
  std::vector<std::string> lines;
  std::string half = c.transmit ? "half the input rate" : "half the output rate";
  if (f.edge_found)
    lines.push_back("-3 dB band edge: " + mhz(f.band_edge) + " MHz");
  else
    lines.push_back("-3 dB band edge: none up to " + mhz(f.band_edge) + " MHz (" + half +
                    "), the band taken up to there");
  lines.push_back("CIC droop at the band edge: " + db(f.droop_db) + " dB");
  if (c.transmit)
    lines.push_back(f.alias_bands.empty() ? "largest image: none (no image band below half the output rate)"
                                          : "largest image: " + db(f.worst_alias_db) + " dB");
  else
    lines.push_back(f.alias_bands.empty() ? "worst-case alias attenuation: none (nothing folds onto the band)"
                                          : "worst-case alias attenuation: " + db(-f.worst_alias_db) + " dB");
  return lines;
}

// The lines that describe one channel in both texts, each beginning with
// the channel letter: its chain, then its figures (or why it has none).
std::vector<std::string> channel_lines(const ChannelResponse& r) {
  std::string head = letter(r) + ": ";
  if (!r.not_modelled.empty()) return {head + "not drawn: " + r.not_modelled};
  std::vector<std::string> lines = {head + chain_text(r.chain)};
  for (const std::string& t : figure_texts(r)) lines.push_back(head + t);
  return lines;
}

// ---- CSV ----

// For each channel, the index of the first channel with the same chain:
// copied channels and split-I/Q pairs have the same curves, formatted once.
std::vector<size_t> first_of_same_chain(const std::vector<const ChannelResponse*>& drawn) {
  std::vector<size_t> first(drawn.size());
  for (size_t k = 0; k < drawn.size(); ++k) {
    first[k] = k;
    for (size_t j = 0; j < k; ++j)
      if (drawn[j]->chain == drawn[k]->chain) {
        first[k] = j;
        break;
      }
  }
  return first;
}

}  // namespace

std::string response_csv(const ChipResponse& resp, const std::string& title) {
  std::string out = "# cmd7420 frequency response of " + printable(title) + "\n";
  out += "# frequencies in MHz; gains in dB relative to each curve's gain at 0 Hz, " + db(kResponseFloorDb) +
         " standing for that or less\n";
  if (resp.channels.empty()) out += "# no live channel\n";
  std::vector<const ChannelResponse*> drawn;
  for (const ChannelResponse& r : resp.channels) {
    for (const std::string& line : channel_lines(r)) out += "# " + line + "\n";
    if (r.not_modelled.empty()) drawn.push_back(&r);
  }
  out += "frequency_MHz";
  for (const ChannelResponse* r : drawn)
    for (const char* curve : {"cic", "pfir", "combined"}) out += "," + letter(*r) + "_" + curve + "_dB";
  out += "\n";
  std::vector<size_t> first = first_of_same_chain(drawn);
  std::vector<std::string> cells(drawn.size());
  out.reserve(out.size() + resp.freq.size() * (12 + 30 * drawn.size()));
  for (size_t i = 0; i < resp.freq.size() && !drawn.empty(); ++i) {
    append_fixed(out, resp.freq[i], kMhzDecimals);
    for (size_t k = 0; k < drawn.size(); ++k) {
      const ChannelResponse& r = *drawn[k];
      if (first[k] == k) {
        cells[k].clear();
        for (const std::vector<double>* v : {&r.cic, &r.pfir, &r.combined}) {
          cells[k] += ',';
          // Empty beyond half this channel's fast rate.
          if (i < v->size()) append_fixed(cells[k], (*v)[i], kDbDecimals);
        }
      }
      out += cells[first[k]];
    }
    out += '\n';
  }
  return out;
}

// ---- SVG ----

namespace {

constexpr double kWidth = 1000;
constexpr double kPlotLeft = 80, kPlotRight = 970;
constexpr double kFirstPanelTop = 80;
constexpr double kHeadingHeight = 48;  // the channel's line above its plot
constexpr double kPlotHeight = 260;
constexpr double kPanelHeight = kHeadingHeight + kPlotHeight + 52;
constexpr double kHeadingOnlyHeight = 32;

const char* const kCombinedColour = "#1f3f8f";
const char* const kCicColour = "#d2691e";
const char* const kPfirColour = "#2e8b57";
const char* const kBandColour = "#2e8b57";
const char* const kAliasColour = "#d62728";

// Where one panel's plot area lies and what its axes span.
struct Axes {
  double top_px, bottom_px;
  double f_max;           // MHz at the right edge
  double db_top, db_bottom;
  double x(double f) const { return kPlotLeft + f / f_max * (kPlotRight - kPlotLeft); }
  double y(double v) const { return top_px + (db_top - v) / (db_top - db_bottom) * (bottom_px - top_px); }
};

std::string px(double v) { return fixed(v, 1); }

// A step of 1, 2 or 5 times a power of ten giving at most `most` intervals.
double tick_step(double span, int most) {
  double raw = span / most;
  double mag = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (m * mag >= raw * (1 - 1e-9)) return m * mag;
  return 10 * mag;
}

int decimals_for(double step) { return std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9))); }

double highest_gain(const ChannelResponse& r) {
  double top = 0;
  for (const std::vector<double>* v : {&r.cic, &r.pfir, &r.combined})
    for (double d : *v) top = std::max(top, d);
  return top;
}

// Deep enough for the stopband: 60 dB below the worst alias or image.
double axis_bottom(const ChannelResponse& r) {
  const ChainFigures& f = r.figures;
  double depth = f.defined && !f.alias_bands.empty() ? -f.worst_alias_db : 60;
  double bottom = -20 * std::ceil((depth + 60) / 20);
  return std::min(-120.0, std::max(-200.0, bottom));
}

// Points in tenths of a pixel as the polyline attribute writes them: "x,y"
// in pixels with one decimal, separated by blanks.
std::string points_text(const std::vector<std::pair<long long, long long>>& pts) {
  std::string out;
  out.reserve(pts.size() * 12);
  for (const auto& p : pts) {
    if (!out.empty()) out += ' ';
    append_scaled(out, p.first, 1);
    out += ',';
    append_scaled(out, p.second, 1);
  }
  return out;
}

// The curve as points in tenths of a pixel, one lowest and one highest per
// pixel column (in their order along the curve), with the inner points of
// level runs left out: the same picture from far fewer points. Plot
// coordinates are positive, so a tenth's column is its quotient by ten.
std::string polyline_points(const std::vector<double>& curve, const std::vector<double>& freq, const Axes& a) {
  double lowest = a.db_bottom - (a.db_top - a.db_bottom) * 0.02;
  auto tenths = [](double v) { return static_cast<long long>(v * 10 + 0.5); };  // v > 0
  std::vector<std::pair<long long, long long>> pts;
  auto add = [&](long long x, double value) {
    long long y = tenths(a.y(std::max(value, lowest)));
    if (!pts.empty() && pts.back() == std::make_pair(x, y)) return;
    if (pts.size() >= 2 && pts[pts.size() - 1].second == y && pts[pts.size() - 2].second == y)
      pts.back().first = x;
    else
      pts.emplace_back(x, y);
  };
  if (curve.empty()) return "";
  // The ends stay, so that the curve spans its axis.
  add(tenths(a.x(freq[0])), curve[0]);
  size_t i = 0;
  while (i < curve.size()) {
    long long x = tenths(a.x(freq[i]));
    long long column = x / 10;
    long long lo_x = x, hi_x = x;
    size_t lo = i, hi = i, j = i + 1;
    for (; j < curve.size(); ++j) {
      long long xj = tenths(a.x(freq[j]));
      if (xj / 10 != column) break;
      if (curve[j] < curve[lo]) lo = j, lo_x = xj;
      if (curve[j] > curve[hi]) hi = j, hi_x = xj;
    }
    if (lo <= hi) {
      add(lo_x, curve[lo]);
      if (lo != hi) add(hi_x, curve[hi]);
    } else {
      add(hi_x, curve[hi]);
      add(lo_x, curve[lo]);
    }
    i = j;
  }
  add(tenths(a.x(freq[curve.size() - 1])), curve.back());
  return points_text(pts);
}

std::string band_rect(const Axes& a, const FrequencyBand& b, const char* cls, const char* colour, double opacity) {
  return "<rect class=\"" + std::string(cls) + "\" data-lo=\"" + mhz(b.lo) + "\" data-hi=\"" + mhz(b.hi) +
         "\" x=\"" + px(a.x(b.lo)) + "\" y=\"" + px(a.top_px) + "\" width=\"" + px(a.x(b.hi) - a.x(b.lo)) +
         "\" height=\"" + px(a.bottom_px - a.top_px) + "\" fill=\"" + colour + "\" fill-opacity=\"" +
         fixed(opacity, 2) + "\"/>\n";
}

std::string grid_and_ticks(const Axes& a) {
  std::string out;
  double fstep = tick_step(a.f_max, 10);
  int fdec = decimals_for(fstep);
  for (int k = 0; k * fstep <= a.f_max * (1 + 1e-9); ++k) {
    double x = a.x(k * fstep);
    out += "<line class=\"grid\" x1=\"" + px(x) + "\" y1=\"" + px(a.top_px) + "\" x2=\"" + px(x) + "\" y2=\"" +
           px(a.bottom_px) + "\"/>\n";
    out += "<text x=\"" + px(x) + "\" y=\"" + px(a.bottom_px + 16) + "\" text-anchor=\"middle\">" +
           fixed(k * fstep, fdec) + "</text>\n";
  }
  double dstep = a.db_top - a.db_bottom > 100 ? 20 : 10;
  for (double v = dstep * std::floor(a.db_top / dstep); v >= a.db_bottom - 1e-9; v -= dstep) {
    double y = a.y(v);
    out += "<line class=\"grid\" x1=\"" + px(kPlotLeft) + "\" y1=\"" + px(y) + "\" x2=\"" + px(kPlotRight) +
           "\" y2=\"" + px(y) + "\"/>\n";
    out += "<text x=\"" + px(kPlotLeft - 6) + "\" y=\"" + px(y + 4) + "\" text-anchor=\"end\">" + fixed(v, 0) +
           "</text>\n";
  }
  out += "<text class=\"axis-label\" x=\"" + px((kPlotLeft + kPlotRight) / 2) + "\" y=\"" + px(a.bottom_px + 38) +
         "\" text-anchor=\"middle\">frequency (MHz)</text>\n";
  double mid = (a.top_px + a.bottom_px) / 2;
  out += "<text class=\"axis-label\" x=\"24\" y=\"" + px(mid) + "\" text-anchor=\"middle\" transform=\"rotate(-90 24 " +
         px(mid) + ")\">gain (dB)</text>\n";
  return out;
}

std::string figures_box(const Axes& a, const std::vector<std::string>& lines) {
  double width = 0;
  for (const std::string& l : lines) width = std::max(width, 6.6 * static_cast<double>(l.size()));
  double height = 16.0 * static_cast<double>(lines.size()) + 8;
  double right = kPlotRight - 6, top = a.top_px + 6;
  std::string out = "<rect x=\"" + px(right - width - 8) + "\" y=\"" + px(top) + "\" width=\"" + px(width + 8) +
                    "\" height=\"" + px(height) + "\" fill=\"#ffffff\" fill-opacity=\"0.88\" stroke=\"#999999\"/>\n";
  for (size_t k = 0; k < lines.size(); ++k)
    out += "<text class=\"figure\" x=\"" + px(right - 4) + "\" y=\"" + px(top + 17 + 16.0 * k) +
           "\" text-anchor=\"end\">" + xml_escaped(lines[k]) + "</text>\n";
  return out;
}

std::string curve(const char* cls, const char* colour, const char* dash, double width,
                  const std::vector<double>& values, const std::vector<double>& freq, const Axes& a) {
  std::string out = "<polyline class=\"" + std::string(cls) + "\" clip-path=\"url(#plot)\" fill=\"none\" stroke=\"" +
                    colour + "\" stroke-width=\"" + fixed(width, 1) + "\"";
  if (*dash) out += " stroke-dasharray=\"" + std::string(dash) + "\"";
  return out + " points=\"" + polyline_points(values, freq, a) + "\"/>\n";
}

// The axes of a panel, in the panel's own coordinates.
Axes panel_axes(const ChannelResponse& r) {
  Axes a;
  a.top_px = kHeadingHeight;
  a.bottom_px = a.top_px + kPlotHeight;
  a.f_max = r.chain.fast_rate / 2;
  a.db_top = std::max(10.0, 10 * std::ceil((highest_gain(r) + 1) / 10));
  a.db_bottom = axis_bottom(r);
  return a;
}

// Everything of a modelled panel below its heading; the same for every
// channel of one chain.
std::string panel_body(const ChannelResponse& r, const std::vector<double>& freq) {
  Axes a = panel_axes(r);
  std::string out = "<rect x=\"" + px(kPlotLeft) + "\" y=\"" + px(a.top_px) + "\" width=\"" +
                    px(kPlotRight - kPlotLeft) + "\" height=\"" + px(kPlotHeight) +
                    "\" fill=\"#ffffff\" stroke=\"#444444\"/>\n";
  const ChainFigures& f = r.figures;
  if (f.defined) {
    out += band_rect(a, {0, f.band_edge}, "output-band", kBandColour, 0.18);
    for (const FrequencyBand& b : f.alias_bands) out += band_rect(a, b, "alias-band", kAliasColour, 0.10);
  }
  out += grid_and_ticks(a);
  out += curve("cic", kCicColour, "7 4", 1.3, r.cic, freq, a);
  out += curve("pfir", kPfirColour, "2 3", 1.3, r.pfir, freq, a);
  out += curve("combined", kCombinedColour, "", 1.8, r.combined, freq, a);
  return out + figures_box(a, figure_texts(r));
}

// A panel's group, moved to its place; its data attributes give the plot
// area and the axes in the panel's coordinates.
std::string panel_open(const ChannelResponse& r, double top) {
  std::string out = "<g class=\"panel\" data-channel=\"" + letter(r) + "\" transform=\"translate(0 " + px(top) + ")\"";
  if (r.not_modelled.empty()) {
    Axes a = panel_axes(r);
    out += " data-x-left=\"" + px(kPlotLeft) + "\" data-x-right=\"" + px(kPlotRight) + "\" data-y-top=\"" +
           px(a.top_px) + "\" data-y-bottom=\"" + px(a.bottom_px) + "\" data-f-max=\"" + mhz(a.f_max) +
           "\" data-db-top=\"" + fixed(a.db_top, 0) + "\" data-db-bottom=\"" + fixed(a.db_bottom, 0) + "\"";
  }
  return out + ">\n<text class=\"heading\" x=\"" + px(kPlotLeft) + "\" y=\"20\">" + xml_escaped(channel_lines(r)[0]) +
         "</text>\n";
}

std::string legend(double y, bool transmit_only, bool receive_only) {
  std::string band_name = transmit_only ? "image bands" : receive_only ? "alias bands" : "alias / image bands";
  struct Item {
    const char* text;
    const char* colour;
    const char* dash;
    bool shade;
  };
  const Item items[] = {{"combined", kCombinedColour, "", false},
                        {"CIC", kCicColour, "7 4", false},
                        {"PFIR", kPfirColour, "2 3", false},
                        {"output band", kBandColour, "", true},
                        {nullptr, kAliasColour, "", true}};
  std::string out;
  double x = kPlotLeft;
  for (const Item& it : items) {
    std::string text = it.text ? it.text : band_name;
    if (it.shade)
      out += "<rect x=\"" + px(x) + "\" y=\"" + px(y - 9) + "\" width=\"28\" height=\"12\" fill=\"" + it.colour +
             "\" fill-opacity=\"0.25\"/>\n";
    else
      out += "<line x1=\"" + px(x) + "\" y1=\"" + px(y - 4) + "\" x2=\"" + px(x + 28) + "\" y2=\"" + px(y - 4) +
             "\" stroke=\"" + it.colour + "\" stroke-width=\"1.8\"" +
             (*it.dash ? " stroke-dasharray=\"" + std::string(it.dash) + "\"" : std::string()) + "/>\n";
    out += "<text x=\"" + px(x + 34) + "\" y=\"" + px(y) + "\">" + text + "</text>\n";
    x += 34 + 7.2 * static_cast<double>(text.size()) + 26;
  }
  return out;
}

}  // namespace

std::string response_svg(const ChipResponse& resp, const std::string& title) {
  size_t panels = resp.channels.size();
  // A channel without a model gets its heading line only.
  std::vector<double> tops;
  double height = kFirstPanelTop;
  bool any_tx = false, any_rx = false;
  for (const ChannelResponse& r : resp.channels) {
    tops.push_back(height);
    height += r.not_modelled.empty() ? kPanelHeight : kHeadingOnlyHeight;
    if (r.not_modelled.empty()) (r.chain.transmit ? any_tx : any_rx) = true;
  }
  height += panels ? 10 : 50;
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + px(kWidth) + "\" height=\"" + px(height) +
         "\" viewBox=\"0 0 " + px(kWidth) + " " + px(height) + "\" font-family=\"sans-serif\" font-size=\"12\">\n";
  out += "<style>.grid{stroke:#dddddd;stroke-width:1}.heading{font-size:13px;font-weight:bold}"
         ".axis-label{font-size:12px}.figure{font-size:12px}</style>\n";
  out += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
  out += "<text class=\"title\" x=\"" + px(kWidth / 2) + "\" y=\"28\" text-anchor=\"middle\" font-size=\"18\">" +
         xml_escaped(printable(title)) + "</text>\n";
  if (panels == 0)
    out += "<text x=\"" + px(kWidth / 2) + "\" y=\"" + px(kFirstPanelTop) +
           "\" text-anchor=\"middle\">no live channel: nothing to draw</text>\n";
  if (any_tx || any_rx) {
    out += legend(56, any_tx && !any_rx, any_rx && !any_tx);
    // One clip for every panel: they share their coordinates.
    out += "<defs><clipPath id=\"plot\"><rect x=\"" + px(kPlotLeft) + "\" y=\"" + px(kHeadingHeight) +
           "\" width=\"" + px(kPlotRight - kPlotLeft) + "\" height=\"" + px(kPlotHeight) +
           "\"/></clipPath></defs>\n";
  }
  std::vector<std::string> bodies(panels);
  for (size_t k = 0; k < panels; ++k) {
    const ChannelResponse& r = resp.channels[k];
    out += panel_open(r, tops[k]);
    if (r.not_modelled.empty()) {
      size_t same = 0;
      while (!(resp.channels[same].not_modelled.empty() && resp.channels[same].chain == r.chain)) ++same;
      if (same == k) bodies[k] = panel_body(r, resp.freq);
      out += bodies[same];
    }
    out += "</g>\n";
  }
  return out + "</svg>\n";
}
