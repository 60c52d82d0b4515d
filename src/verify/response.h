// response.h — the frequency response of each live channel's filter chain
// (CIC and PFIR in the rates, stage count and coefficients that the
// configuration settled) and the figures read off it: the -3 dB band edge,
// the CIC droop at that edge and the worst alias (receive) or image
// (transmit). Pure functions from the records to data; the text formats
// are in responseplot.
#pragma once
#include <string>
#include <vector>

#include "records.h"

// Gains below this many dB are held at it (a CIC null is minus infinity).
constexpr double kResponseFloorDb = -300.0;

// One channel's chain, rates in MHz. Receive: the CIC decimating by
// cic_factor at fast_rate, then the PFIR at fast_rate / cic_factor
// decimating by pfir_factor. Transmit: the PFIR interpolating by
// pfir_factor up to fast_rate / cic_factor, then the CIC interpolating by
// cic_factor up to fast_rate.
struct FilterChain {
  bool transmit = false;
  double fast_rate = 0;
  int cic_factor = 1;
  int cic_stages = 5;
  int pfir_factor = 1;
  std::vector<double> taps;

  double pfir_rate() const { return fast_rate / cic_factor; }
  // The chain's output rate (receive) or input rate (transmit).
  double slow_rate() const { return pfir_rate() / pfir_factor; }
  bool operator==(const FilterChain& o) const;
};

struct FrequencyBand {
  double lo, hi;  // MHz
};

// The figures of one chain. The output band runs from 0 Hz to its edge: the
// -3 dB band edge, or half the slow rate when the chain stays above -3 dB
// up to there. Alias bands (receive) are the frequencies that the
// decimations fold onto the output band; image bands (transmit) are the
// copies of the input band that the interpolations leave.
struct ChainFigures {
  bool defined = false;     // false when the chain's gain at 0 Hz is zero
  bool edge_found = false;  // a -3 dB point at or below half the slow rate
  double band_edge = 0;     // MHz: the output band edge
  double droop_db = 0;      // the CIC's gain at the output band edge
  std::vector<FrequencyBand> alias_bands;  // clipped to half the fast rate
  double worst_alias_db = 0;  // the chain's highest gain in alias_bands
};

// The gains in dB: the CIC's relative to its gain at 0 Hz, the PFIR's
// relative to its gain at 0 Hz (or, when that is zero, to the sum of the
// tap magnitudes). Not held at the floor.
double cic_db(const FilterChain& c, double f);
double pfir_db(const FilterChain& c, double f);

// A live channel as modelled. The curves hold the gains in dB (held at the
// floor) at the grid frequencies up to half the channel's fast rate.
struct ChannelResponse {
  int channel = 0;           // 0 to 3 for A to D
  std::string not_modelled;  // why the chain has no model; empty when it has
  FilterChain chain;
  ChainFigures figures;
  std::vector<double> cic, pfir, combined;
};

struct ChipResponse {
  std::vector<double> freq;  // MHz, ascending from 0; shared by the channels
  std::vector<ChannelResponse> channels;  // the live channels, A to D
};

// The chain of one channel, or the reason why it has none in *why.
bool chain_of(const CHAN& c, int mode, double fck, FilterChain* chain, std::string* why);

// The frequency grid for a set of chains: 0 to half the highest fast rate,
// uniform with at least 4,096 steps within each chain's range and at least
// 8 steps per CIC lobe, with every CIC null of every chain on it, and at
// least 1,024 steps from 0 to each chain's slow rate.
std::vector<double> response_grid(const std::vector<FilterChain>& chains);

// One chain's curves on `grid` and its figures.
ChannelResponse respond(const FilterChain& c, const std::vector<double>& grid);

// Every live channel of the configuration: powered up and of a declared
// direction.
ChipResponse chip_response(const GENERAL& gen, const CHAN (&chans)[kNumChannels]);
