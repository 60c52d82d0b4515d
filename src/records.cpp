// records.cpp — the global records g and chan[4].
#include "records.h"

GENERAL g;
CHAN chan[kNumChannels];

void reset_records() {
  g = GENERAL{};
  for (CHAN& c : chan) c = CHAN{};
}
