// response.cpp — the filter-chain model behind `print response`: the CIC as
// a sinc^N, the PFIR as the transform of its taps, both in the channel's own
// rates, evaluated on one grid for all live channels, and the band edge,
// droop and alias or image figures of each chain.
#include "verify/response.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "diag.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMinGridSteps = 4096;
constexpr int kStepsPerCicLobe = 8;
constexpr int kBandSteps = 1024;  // from 0 to the slow rate, at least
constexpr long long kMaxGridSteps = 1 << 20;
// ncic holds 12 bits: a larger count comes only from a configuration
// already reported as wrong.
constexpr int kCicCounts = 4096;
constexpr int kMaxPfirFactor = 31;  // the 5 bits of fir_dec and fir_int
// The alias search samples each PFIR sidelobe this many times, and no more
// than this many points up to half the fast rate.
constexpr int kSamplesPerSidelobe = 16;
constexpr long long kMaxAliasLattice = 1 << 21;
constexpr int kBisections = 100;
// The band edge is where the chain's gain first falls this far below 0 Hz.
constexpr double kBandEdgeDb = -3.0;

double to_db(double gain) { return 20.0 * std::log10(gain); }
// The chain's gain in dB: the sum of the CIC's and the PFIR's.
double chain_db(const FilterChain& c, double f) { return cic_db(c, f) + pfir_db(c, f); }
double floored(double db) { return std::isnan(db) ? kResponseFloorDb : std::max(db, kResponseFloorDb); }

double tap_sum(const std::vector<double>& h) {
  double s = 0;
  for (double t : h) s += t;
  return s;
}

// The PFIR's gain at 0 Hz; for a filter that blocks 0 Hz, the sum of the
// tap magnitudes (the most it can gain anywhere) instead.
double pfir_reference(const std::vector<double>& h) {
  double dc = std::fabs(tap_sum(h));
  if (dc > 0) return dc;
  double s = 0;
  for (double t : h) s += std::fabs(t);
  return s;
}

// |sum of h[n] e^(-j 2 pi nu n)| in dB relative to the reference. A
// symmetric set (linear phase, as most filters are) is a cosine series over
// half its taps, summed by Clenshaw's recurrence in real arithmetic; any
// other set goes by Horner's rule on the unit circle.
class PfirTransform {
 public:
  explicit PfirTransform(const std::vector<double>& h) : h_(h), ref_(pfir_reference(h)) {
    size_t n = h.size(), m = n / 2;
    symmetric_ = std::equal(h.begin(), h.begin() + static_cast<long>(m), h.rbegin());
    odd_ = n % 2 == 1;
    // Odd count: h[m] + sum over k of 2 h[m-k] cos(k w); even count: sum
    // over k of 2 h[m-k] cos((k - 1/2) w); k from 1 to m.
    if (odd_) series_.push_back(h[m]);
    for (size_t k = 1; k <= m; ++k) series_.push_back(2 * h[m - k]);
  }

  double db(double nu) const { return to_db((symmetric_ ? cosine_series(nu) : horner(nu)) / ref_); }

 private:
  double cosine_series(double nu) const {
    double w = 2 * kPi * nu;
    double alpha = 2 * std::cos(w);
    double b1 = 0, b2 = 0;
    size_t first = odd_ ? 1 : 0;  // the constant term of an odd count stays out
    for (size_t k = series_.size(); k-- > first;) {
      double b = series_[k] + alpha * b1 - b2;
      b2 = b1;
      b1 = b;
    }
    if (odd_) return std::fabs(series_[0] + b1 * std::cos(w) - b2);
    return std::fabs((b1 - b2) * std::cos(w / 2));
  }

  double horner(double nu) const {
    double zr = std::cos(2 * kPi * nu), zi = -std::sin(2 * kPi * nu);
    double ar = 0, ai = 0;
    for (size_t n = h_.size(); n-- > 0;) {
      double r = ar * zr - ai * zi + h_[n];
      ai = ar * zi + ai * zr;
      ar = r;
    }
    return std::hypot(ar, ai);
  }

  const std::vector<double>& h_;
  double ref_;
  bool symmetric_ = false, odd_ = false;
  std::vector<double> series_;
};

// A frequency in PFIR cycles folded into 0..1/2, where the response of real
// taps repeats.
double folded_cycles(double nu) {
  nu -= std::floor(nu);
  return nu > 0.5 ? 1.0 - nu : nu;
}

// The PFIR in dB at frequencies that recur (a grid spans many periods of
// the PFIR response, and the alias search walks a lattice in each period):
// a folded frequency on a multiple of 2^-16 cycles, which every grid and
// lattice point of a power-of-two rate change is, is computed once.
class PfirCurve {
 public:
  explicit PfirCurve(const FilterChain& c)
      : c_(c), transform_(c.taps), memo_(kSteps / 2 + 1, std::numeric_limits<double>::quiet_NaN()) {}
  double db_at(double f) {
    double nu = folded_cycles(f / c_.pfir_rate());
    double step = nu * kSteps;
    double index = std::nearbyint(step);
    if (std::fabs(step - index) > 1e-9) return transform_.db(nu);
    double& v = memo_[static_cast<size_t>(index)];
    if (std::isnan(v)) v = transform_.db(index / kSteps);
    return v;
  }

 private:
  static constexpr int kSteps = 1 << 16;
  const FilterChain& c_;
  PfirTransform transform_;
  std::vector<double> memo_;
};

long long next_power_of_two(long long n) {
  long long p = 1;
  while (p < n) p *= 2;
  return p;
}

// The first frequency in (a, b] where the chain falls to the band-edge
// level, given that it is above it at a and at or below it at b.
double bisect_band_edge(const FilterChain& c, double a, double b) {
  for (int k = 0; k < kBisections && b - a > 1e-13 * b; ++k) {
    double m = 0.5 * (a + b);
    if (chain_db(c, m) <= kBandEdgeDb)
      b = m;
    else
      a = m;
  }
  return 0.5 * (a + b);
}

void find_band_edge(const FilterChain& c, const std::vector<double>& grid,
                    const std::vector<double>& combined, ChainFigures* fig) {
  double half_slow = c.slow_rate() / 2;
  double below = 0;  // the highest frequency known to be above the edge level
  for (size_t i = 1; i < combined.size() && grid[i] < half_slow; ++i) {
    if (combined[i] <= kBandEdgeDb) {
      fig->band_edge = bisect_band_edge(c, below, grid[i]);
      fig->edge_found = true;
      return;
    }
    below = grid[i];
  }
  fig->edge_found = chain_db(c, half_slow) <= kBandEdgeDb;
  fig->band_edge = fig->edge_found ? bisect_band_edge(c, below, half_slow) : half_slow;
}

// Receive: every frequency f with |f - k * slow| <= edge for some k >= 1
// folds onto the output band at the last decimation. Transmit: the same
// bands hold the images of the input band.
std::vector<FrequencyBand> alias_bands(const FilterChain& c, double edge) {
  std::vector<FrequencyBand> bands;
  double half_fast = c.fast_rate / 2;
  double slow = c.slow_rate();
  for (long long k = 1; k * slow - edge < half_fast; ++k) {
    double lo = std::max(0.0, k * slow - edge);
    double hi = std::min(half_fast, k * slow + edge);
    if (hi > lo) bands.push_back({lo, hi});
  }
  return bands;
}

// The highest gain of the chain in the bands: at each band's ends and on a
// lattice fine enough to catch every PFIR sidelobe (a power of two per PFIR
// period, so that its PFIR values repeat and are shared with the grid's).
double worst_in_bands(const FilterChain& c, const std::vector<FrequencyBand>& bands, PfirCurve* pfir) {
  long long q = next_power_of_two(std::max<long long>(64, kSamplesPerSidelobe * (long long)c.taps.size()));
  while (q > 2 && c.cic_factor * q / 2 > kMaxAliasLattice) q /= 2;
  double step = c.pfir_rate() / q;
  double worst = -std::numeric_limits<double>::infinity();
  for (const FrequencyBand& b : bands) {
    worst = std::max({worst, chain_db(c, b.lo), chain_db(c, b.hi)});
    for (long long j = static_cast<long long>(std::floor(b.lo / step)) + 1; j * step < b.hi; ++j) {
      // The CIC never gains: a point whose PFIR gain is below the worst so
      // far cannot beat it.
      double p = pfir->db_at(j * step);
      if (p > worst) worst = std::max(worst, cic_db(c, j * step) + p);
    }
  }
  return floored(worst);
}

ChainFigures chain_figures(const FilterChain& c, const std::vector<double>& grid,
                           const std::vector<double>& combined, PfirCurve* pfir) {
  ChainFigures fig;
  fig.defined = tap_sum(c.taps) != 0;
  if (!fig.defined) return fig;
  find_band_edge(c, grid, combined, &fig);
  fig.droop_db = floored(cic_db(c, fig.band_edge));
  fig.alias_bands = alias_bands(c, fig.band_edge);
  if (!fig.alias_bands.empty()) fig.worst_alias_db = worst_in_bands(c, fig.alias_bands, pfir);
  return fig;
}

}  // namespace

bool FilterChain::operator==(const FilterChain& o) const {
  return transmit == o.transmit && fast_rate == o.fast_rate && cic_factor == o.cic_factor &&
         cic_stages == o.cic_stages && pfir_factor == o.pfir_factor && taps == o.taps;
}

double cic_db(const FilterChain& c, double f) {
  if (c.cic_factor <= 1) return 0;
  double x = kPi * f / c.fast_rate;
  double den = c.cic_factor * std::sin(x);
  if (den == 0) return 0;
  return c.cic_stages * to_db(std::fabs(std::sin(c.cic_factor * x) / den));
}

double pfir_db(const FilterChain& c, double f) { return PfirTransform(c.taps).db(f / c.pfir_rate()); }


bool chain_of(const CHAN& c, int mode, double fck, FilterChain* chain, std::string* why) {
  FilterChain out;
  out.transmit = mode == kModeTransmit;
  if (!(fck > 0) || !std::isfinite(fck)) {
    *why = "the chip clock fck is not a positive rate";
    return false;
  }
  int doubled = c.cic_2x == 1 ? 2 : 1;
  out.fast_rate = fck * doubled;
  if (!std::isfinite(out.fast_rate)) {
    *why = "the chip clock fck is too large";
    return false;
  }
  if (c.bypass_cic == 1) {
    out.cic_factor = 1;
  } else if (c.ncic < 0 || c.ncic >= kCicCounts) {
    *why = strfmt("the CIC count ncic (%d) is outside 0 to 4095", c.ncic);
    return false;
  } else {
    out.cic_factor = (c.ncic + 1) * doubled;
  }
  out.cic_stages = out.transmit && c.cic_xmt_5stg != 1 ? 6 : 5;
  out.pfir_factor = out.transmit ? c.fir_int : c.fir_dec;
  if (out.pfir_factor < 1 || out.pfir_factor > kMaxPfirFactor) {
    *why = strfmt("%s (%d) is outside 1 to %d", out.transmit ? "fir_int" : "fir_dec", out.pfir_factor,
                  kMaxPfirFactor);
    return false;
  }
  if (c.ncoefs < 1) {
    *why = "the PFIR has no coefficients";
    return false;
  }
  out.taps.assign(c.coefs, c.coefs + std::min(c.ncoefs, kMaxCoefs));
  *chain = out;
  return true;
}

std::vector<double> response_grid(const std::vector<FilterChain>& chains) {
  if (chains.empty()) return {};
  double fmax = 0, fmin = std::numeric_limits<double>::infinity();
  int rmax = 1;
  for (const FilterChain& c : chains) {
    fmax = std::max(fmax, c.fast_rate);
    fmin = std::min(fmin, c.fast_rate);
    rmax = std::max(rmax, c.cic_factor);
  }
  long long steps = kMinGridSteps;
  while ((steps < kMinGridSteps * fmax / fmin || steps < (long long)kStepsPerCicLobe / 2 * rmax) &&
         steps < kMaxGridSteps)
    steps *= 2;
  double step = fmax / (2.0 * steps);
  std::vector<double> grid;
  grid.reserve(static_cast<size_t>(steps + 1));
  for (long long i = 0; i <= steps; ++i) grid.push_back(fmax * i / (2.0 * steps));
  for (const FilterChain& c : chains) {
    // A null between two grid points would be drawn as a shallow dip.
    for (int k = 1; k <= c.cic_factor / 2; ++k) {
      double null = c.fast_rate * k / c.cic_factor;
      double u = null / step;
      if (std::fabs(u - std::nearbyint(u)) > 1e-6) grid.push_back(null);
    }
    // After a large decimation the band and its first aliases would get only
    // a few points of the uniform grid.
    for (int j = 1; j <= kBandSteps && c.slow_rate() * j / kBandSteps <= c.fast_rate / 2; ++j)
      grid.push_back(c.slow_rate() * j / kBandSteps);
  }
  std::sort(grid.begin(), grid.end());
  // The same frequency reached by two computations is one row.
  double same = 1e-12 * fmax;
  grid.erase(std::unique(grid.begin(), grid.end(), [same](double a, double b) { return b - a <= same; }),
             grid.end());
  return grid;
}

ChannelResponse respond(const FilterChain& c, const std::vector<double>& grid) {
  ChannelResponse r;
  r.chain = c;
  PfirCurve pfir(c);
  double top = c.fast_rate / 2 * (1 + 1e-12);
  for (size_t i = 0; i < grid.size() && grid[i] <= top; ++i) {
    double cic = cic_db(c, grid[i]);
    double p = pfir.db_at(grid[i]);
    r.cic.push_back(floored(cic));
    r.pfir.push_back(floored(p));
    r.combined.push_back(floored(cic + p));
  }
  r.figures = chain_figures(c, grid, r.combined, &pfir);
  return r;
}

ChipResponse chip_response(const GENERAL& gen, const CHAN (&chans)[kNumChannels]) {
  ChipResponse out;
  std::vector<FilterChain> chains;
  for (int ch = 0; ch < kNumChannels; ++ch) {
    int mode = gen.mode[ch / 2];
    if (chans[ch].powerdown != 0 || (mode != kModeTransmit && mode != kModeReceive)) continue;
    ChannelResponse r;
    r.channel = ch;
    if (chain_of(chans[ch], mode, gen.fck, &r.chain, &r.not_modelled)) chains.push_back(r.chain);
    out.channels.push_back(r);
  }
  out.freq = response_grid(chains);
  for (size_t i = 0; i < out.channels.size(); ++i) {
    ChannelResponse& r = out.channels[i];
    if (!r.not_modelled.empty()) continue;
    // Copied channels and split-I/Q pairs share their chain: model it once.
    auto same = std::find_if(out.channels.begin(), out.channels.begin() + i, [&](const ChannelResponse& o) {
      return o.not_modelled.empty() && o.chain == r.chain;
    });
    int channel = r.channel;
    r = same != out.channels.begin() + i ? *same : respond(r.chain, out.freq);
    r.channel = channel;
  }
  return out;
}
