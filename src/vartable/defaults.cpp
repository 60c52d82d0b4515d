// defaults.cpp — catalogue defaults by direction, and the mandatory check.
#include "vartable/defaults.h"

#include <vector>

#include "vartable/catalog.h"
#include "diag.h"
#include "vartable/origins.h"
#include "records.h"

namespace {

// The mandatory check's report tags: fixed output text, not source lines.
const char* const kModule = "defaults";
constexpr int kLineMustSet = 66;        // "Must set %s"
constexpr int kLineModeAB = 119;        // "Must declare mode for AB ..."
constexpr int kLineModeCD = 120;        // "Must declare mode for CD ..."
constexpr int kLineCoefficients = 128;  // "Must declare coefficients for channel %d"

// Set by the mandatory check as it finds a declaration missing; the check
// ends the run once it has reported them all.
int missing_mandatory = 0;

// The channel indices a record stands for, by its kind of storage (0
// chip-wide, 1 and 2 per channel, the only kinds the catalogue uses); empty
// for any other.
std::vector<int> channels_of(int regtype) {
  switch (regtype) {
    case 0: return {0};
    case 1:
    case 2: return {0, 1, 2, 3};
    default: return {};
  }
}

bool value_unset(const yyy_STRTAB* s, int c) {
  if (is_double(s)) return *s->dvalue[c] == -1.0;
  return *s->value[c] == -1;
}

bool both_powered_down(int pair) {
  return chan[2 * pair].powerdown != 0 && chan[2 * pair + 1].powerdown != 0;
}

void setregdefalt(yyy_STRTAB* s, int c) {
  int code = class_code(s, c);
  if (code != kNotUsed && code != kDefault) return;
  if (is_double(s))
    *s->dvalue[c] = s->defalt;
  else
    *s->value[c] = s->defalt;
  note_defaulted(s, c);
}

int yyysetdefault(yyy_STRTAB* s) {
  std::vector<int> chans = channels_of(s->regtype);
  if (chans.empty()) report_outside_run("Should never get here yyysetdefault\n");
  for (int c : chans) setregdefalt(s, c);
  return 0;
}

void ck_man(yyy_STRTAB* s, int c) {
  if (class_code(s, c) != kMandatory) return;
  if (chan[c].powerdown != 0) return;
  if (!value_unset(s, c)) return;
  myerrfun(strfmt("Must set %s", s->ptr.c_str()), kModule, kLineMustSet);
  missing_mandatory = 1;
}

int ck_man_field(yyy_STRTAB* s) {
  std::vector<int> chans = channels_of(s->regtype);
  if (chans.empty()) report_outside_run("Should never get here ck_man_field\n");
  for (int c : chans) {
    WorkingOnChannel working(s->regtype == 0 ? -1 : c);
    ck_man(s, c);
  }
  return 0;
}

}  // namespace

void setdefaults() { yyystrings(yyysetdefault); }

void ck_mandatory() {
  missing_mandatory = 0;
  const char* const pair_msgs[2] = {"Must declare mode for AB or powerdown both A & B",
                                    "Must declare mode for CD or powerdown both C & D"};
  const int pair_lines[2] = {kLineModeAB, kLineModeCD};
  for (int pair = 0; pair < 2; ++pair) {
    if (g.mode[pair] == kModeTransmit || g.mode[pair] == kModeReceive) continue;
    if (both_powered_down(pair)) continue;
    missing_mandatory = 1;
    myerrfun(pair_msgs[pair], kModule, pair_lines[pair]);
  }
  yyystrings(ck_man_field);
  for (int c = 0; c < kNumChannels; ++c) {
    WorkingOnChannel working(c);
    if (chan[c].powerdown != 0 || chan[c].ncoefs != -1) continue;
    myerrfun(strfmt("Must declare coefficients for channel %d", c), kModule, kLineCoefficients);
    missing_mandatory = 1;
  }
  if (missing_mandatory) end_run(1);
}
