// The response model against closed forms: a CIC alone (sinc^N, nulls at
// multiples of its output rate), a flat one-tap PFIR, a half-band filter at
// a quarter of its rate, the figures of chains whose band edge and stopband
// are known, and a transmit chain that mirrors its receive twin. The hand
// values come from the formulas in the comments, not from the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "response.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

FilterChain receive_chain(double fast, int cic_factor, int stages, int pfir_factor, std::vector<double> taps) {
  FilterChain c;
  c.fast_rate = fast;
  c.cic_factor = cic_factor;
  c.cic_stages = stages;
  c.pfir_factor = pfir_factor;
  c.taps = taps;
  return c;
}

// A CIC decimating by 8 with 5 stages at 100 MHz, and a one-tap PFIR.
FilterChain cic_alone() { return receive_chain(100, 8, 5, 1, {1}); }

double value_at(const std::vector<double>& grid, const std::vector<double>& curve, double f) {
  auto it = std::find(grid.begin(), grid.end(), f);
  EXPECT_NE(it, grid.end()) << f << " MHz is not on the grid";
  return it == grid.end() ? 0 : curve[static_cast<size_t>(it - grid.begin())];
}

}  // namespace

// 5 * 20 log10 |sin(pi R f / F) / (R sin(pi f / F))| with R 8, F 100 MHz.
TEST(ResponseCic, DroopOfTheSincFormula) {
  const double cases[][2] = {{1.0, -0.4510293470025785},
                             {3.125, -4.490701255360938},
                             {6.25, -19.332571256666316},
                             {10.0, -62.38536657829494},
                             {20.0, -69.41023467419647}};
  for (const auto& c : cases) EXPECT_NEAR(cic_db(cic_alone(), c[0]), c[1], 1e-9) << c[0];
}

TEST(ResponseCic, NullsAtMultiplesOfTheOutputRateLieOnTheGrid) {
  for (int cic_factor : {8, 5, 7}) {
    FilterChain c = receive_chain(100, cic_factor, 5, 1, {1});
    std::vector<double> grid = response_grid({c});
    ChannelResponse r = respond(c, grid);
    EXPECT_GE(grid.size(), 4097u);
    EXPECT_EQ(grid.back(), 50.0);
    for (int k = 1; k <= cic_factor / 2; ++k) {
      double null = 100.0 * k / cic_factor;
      EXPECT_EQ(value_at(grid, r.cic, null), kResponseFloorDb) << cic_factor << " " << k;
      EXPECT_EQ(value_at(grid, r.combined, null), kResponseFloorDb) << cic_factor << " " << k;
    }
  }
}

// A one-tap filter is flat; a half-band filter passes its centre tap alone
// at a quarter of its rate (16 of the 32 it passes at 0 Hz); pairs of taps at
// 100 MHz: |1 + e^-jw| = 2 cos(w/2) of 2, |1 + 2 e^-jw| = sqrt(5 + 4 cos w)
// of 3, and |1 - e^-jw| = 2 sin(w/2) of 2 (a set that blocks 0 Hz, against
// the sum of its tap magnitudes).
TEST(ResponsePfir, ClosedForms) {
  FilterChain flat = receive_chain(100, 1, 5, 1, {12345});
  ChannelResponse r = respond(flat, response_grid({flat}));
  for (double v : r.pfir) ASSERT_NEAR(v, 0.0, 1e-12);
  EXPECT_FALSE(r.figures.edge_found);
  EXPECT_EQ(r.figures.band_edge, 50.0);  // half the output rate
  EXPECT_TRUE(r.figures.alias_bands.empty());
  EXPECT_NEAR(pfir_db(receive_chain(100, 1, 5, 2, {-1, 0, 9, 16, 9, 0, -1}), 25.0), -6.020599913279624, 1e-9);
  const struct {
    std::vector<double> taps;
    double db;
  } cases[] = {{{1, 1}, 20 * std::log10(std::cos(kPi / 6))},
               {{1, 2}, 20 * std::log10(std::sqrt(5 + 4 * std::cos(kPi / 3)) / 3)},
               {{1, -1}, 20 * std::log10(std::sin(kPi / 6))}};
  for (const auto& c : cases) EXPECT_NEAR(pfir_db(receive_chain(100, 1, 5, 1, c.taps), 100.0 / 6), c.db, 1e-12);
}

// Figures of chains known in closed form:
// - the CIC alone: the edge where its sinc^5 is at -3 dB, found by bisection
//   of the formula; the worst alias where the band around 12.5 MHz starts
//   (12.5 MHz - edge), checked against a dense scan of every alias band;
// - a two-tap average [1 1] decimating by 2 at 100 MHz, |cos(pi f / 100)|:
//   the edge at 100/pi acos(10^(-3/20)), and the alias band from 50 MHz -
//   edge up, where the gain is at most sin(pi edge / 100), that is
//   sqrt(1 - 10^(-3/10)).
TEST(ResponseFigures, BandEdgeDroopAndWorstAlias) {
  struct Case {
    FilterChain chain;
    double edge, droop, worst_alias;
  };
  const Case cases[] = {
      {cic_alone(), 2.5633749612902657, -3.0, -61.18196292048582},
      {receive_chain(100, 1, 5, 2, {1, 1}), 24.962209144411478, 0.0, -3.0206243992830037},
  };
  for (const Case& c : cases) {
    ChannelResponse r = respond(c.chain, response_grid({c.chain}));
    const ChainFigures& f = r.figures;
    EXPECT_TRUE(f.defined && f.edge_found);
    EXPECT_NEAR(f.band_edge, c.edge, 1e-9);
    EXPECT_NEAR(f.droop_db, c.droop, 1e-6);
    EXPECT_NEAR(f.worst_alias_db, c.worst_alias, 1e-6);
  }
}

TEST(ResponseFigures, AliasBandsFoldOntoTheBandAndStopAtHalfTheFastRate) {
  ChannelResponse r = respond(cic_alone(), response_grid({cic_alone()}));
  const double edge = r.figures.band_edge;
  ASSERT_EQ(r.figures.alias_bands.size(), 4u);
  for (int k = 1; k <= 3; ++k) {
    EXPECT_DOUBLE_EQ(r.figures.alias_bands[k - 1].lo, 12.5 * k - edge);
    EXPECT_DOUBLE_EQ(r.figures.alias_bands[k - 1].hi, 12.5 * k + edge);
  }
  EXPECT_DOUBLE_EQ(r.figures.alias_bands[3].lo, 50 - edge);
  EXPECT_DOUBLE_EQ(r.figures.alias_bands[3].hi, 50);
}

TEST(ResponseFigures, NoneForAChainThatBlocksZeroHertz) {
  FilterChain c = receive_chain(100, 8, 5, 2, {1, -1});
  ChannelResponse r = respond(c, response_grid({c}));
  EXPECT_FALSE(r.figures.defined);
}

// Interpolating by the same factors through the same filters gives the same
// magnitudes: the images of transmit lie where receive's aliases come from.
TEST(ResponseTransmit, MirrorsReceive) {
  FilterChain rx = receive_chain(100, 8, 5, 2, {-1, 0, 9, 16, 9, 0, -1});
  FilterChain tx = rx;
  tx.transmit = true;
  std::vector<double> grid = response_grid({rx});
  EXPECT_EQ(response_grid({tx}), grid);
  ChannelResponse a = respond(rx, grid), b = respond(tx, grid);
  EXPECT_TRUE(a.cic == b.cic && a.pfir == b.pfir && a.combined == b.combined);
  EXPECT_TRUE(a.figures.band_edge == b.figures.band_edge && a.figures.droop_db == b.figures.droop_db &&
              a.figures.worst_alias_db == b.figures.worst_alias_db);
  EXPECT_EQ(a.figures.alias_bands.size(), b.figures.alias_bands.size());
}
