// The response model against closed forms: a CIC alone (sinc^N, nulls at
// multiples of its output rate), PFIRs whose magnitude is known, the figures
// of chains whose band edge and stopband are known, and a transmit chain
// that mirrors its receive twin. The values come from the formulas in the
// comments, not from the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "verify/response.h"

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

}  // namespace

// 5 x 20 log10 |sin(pi R f / F) / (R sin(pi f / F))| with R 8, F 100 MHz;
// the nulls at multiples of the output rate lie on the grid, at the floor.
TEST(ResponseCic, SincFormulaAndNulls) {
  const double cases[][2] = {{1.0, -0.4510293470025785}, {3.125, -4.490701255360938},
                             {6.25, -19.332571256666316}, {10.0, -62.38536657829494}, {20.0, -69.41023467419647}};
  for (const auto& c : cases) EXPECT_NEAR(cic_db(cic_alone(), c[0]), c[1], 1e-9) << c[0];
  for (int factor : {8, 5, 7}) {
    FilterChain c = receive_chain(100, factor, 5, 1, {1});
    std::vector<double> grid = response_grid({c});
    ChannelResponse r = respond(c, grid);
    EXPECT_GE(grid.size(), 4097u);
    EXPECT_EQ(grid.back(), 50.0);
    for (int k = 1; k <= factor / 2; ++k) {
      auto at = std::find(grid.begin(), grid.end(), 100.0 * k / factor);
      ASSERT_NE(at, grid.end()) << factor << " " << k;
      EXPECT_EQ(r.combined[static_cast<size_t>(at - grid.begin())], kResponseFloorDb) << factor << " " << k;
    }
  }
}

// A half-band filter passes its centre tap alone at a quarter of its rate
// (16 of the 32 it passes at 0 Hz); pairs of taps at 100 MHz: |1 + e^-jw| =
// 2 cos(w/2) of 2, |1 + 2 e^-jw| = sqrt(5 + 4 cos w) of 3, and |1 - e^-jw| =
// 2 sin(w/2) of 2 (a set that blocks 0 Hz, against the sum of its taps).
TEST(ResponsePfir, ClosedForms) {
  EXPECT_NEAR(pfir_db(receive_chain(100, 1, 5, 2, {-1, 0, 9, 16, 9, 0, -1}), 25.0), -6.020599913279624, 1e-9);
  const struct {
    std::vector<double> taps;
    double db;
  } cases[] = {{{1, 1}, 20 * std::log10(std::cos(kPi / 6))},
               {{1, 2}, 20 * std::log10(std::sqrt(5 + 4 * std::cos(kPi / 3)) / 3)},
               {{1, -1}, 20 * std::log10(std::sin(kPi / 6))}};
  for (const auto& c : cases) EXPECT_NEAR(pfir_db(receive_chain(100, 1, 5, 1, c.taps), 100.0 / 6), c.db, 1e-12);
}

// - the CIC alone: the edge where its sinc^5 is at -3 dB, found by bisection
//   of the formula; the worst alias where the band around 12.5 MHz starts
//   (12.5 MHz - edge), checked against a dense scan of every alias band;
// - a two-tap average [1 1] decimating by 2 at 100 MHz, |cos(pi f / 100)|:
//   the edge at 100/pi acos(10^(-3/20)), and the alias band from 50 MHz -
//   edge up, where the gain is at most sin(pi edge / 100), that is
//   sqrt(1 - 10^(-3/10));
// - a one-tap filter: flat, so no edge below half the output rate.
TEST(ResponseFigures, BandEdgeDroopAndWorstAlias) {
  const struct {
    FilterChain chain;
    bool edge_found;
    double edge, droop, worst_alias;
  } cases[] = {
      {cic_alone(), true, 2.5633749612902657, -3.0, -61.18196292048582},
      {receive_chain(100, 1, 5, 2, {1, 1}), true, 24.962209144411478, 0.0, -3.0206243992830037},
      {receive_chain(100, 1, 5, 1, {12345}), false, 50.0, 0.0, 0.0},
  };
  for (const auto& c : cases) {
    const ChainFigures f = respond(c.chain, response_grid({c.chain})).figures;
    EXPECT_TRUE(f.defined);
    EXPECT_EQ(f.edge_found, c.edge_found);
    EXPECT_NEAR(f.band_edge, c.edge, 1e-9);
    EXPECT_NEAR(f.droop_db, c.droop, 1e-6);
    if (c.edge_found) {
      EXPECT_NEAR(f.worst_alias_db, c.worst_alias, 1e-6);
    }
  }
  FilterChain blocking = receive_chain(100, 8, 5, 2, {1, -1});
  EXPECT_FALSE(respond(blocking, response_grid({blocking})).figures.defined);
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
  EXPECT_TRUE(a.figures.band_edge == b.figures.band_edge && a.figures.worst_alias_db == b.figures.worst_alias_db);
}
