// defaults.cpp — catalogue defaults by direction, and the mandatory check.
#include "vartable/defaults.h"

#include <cstdio>
#include <vector>

#include "vartable/catalog.h"
#include "diag.h"
#include "vartable/origins.h"
#include "records.h"

int missing_mandatory = 0;

namespace {

const char* const kModule = "defaults";

// The channel indices a record stands for, by its kind of storage; empty
// for a kind of storage that no rule covers.
std::vector<int> channels_of(int regtype) {
  switch (regtype) {
    case 0:
    case 10: return {0};
    case 1:
    case 2: return {0, 1, 2, 3};
    case 11: return {1};
    case 12: return {2};
    case 13: return {3};
    case 14: return {0, 1};
    case 15: return {2, 3};
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

}  // namespace

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
  if (chans.empty()) std::fputs("Should never get here yyysetdefault\n", stderr);
  for (int c : chans) setregdefalt(s, c);
  return 0;
}

void setdefaults() { yyystrings(yyysetdefault); }

void ck_man(yyy_STRTAB* s, int c) {
  if (class_code(s, c) != kMandatory) return;
  if (chan[c].powerdown != 0) return;
  if (!value_unset(s, c)) return;
  myerrfun(strfmt("Must set %s", s->ptr.c_str()), kModule, 66);
  missing_mandatory = 1;
}

int ck_man_field(yyy_STRTAB* s) {
  std::vector<int> chans = channels_of(s->regtype);
  if (chans.empty()) std::fputs("Should never get here ck_man_field\n", stderr);
  for (int c : chans) {
    WorkingOnChannel working(s->regtype == 0 ? -1 : c);
    ck_man(s, c);
  }
  return 0;
}

void ck_mandatory() {
  missing_mandatory = 0;
  const char* const pair_msgs[2] = {"Must declare mode for AB or powerdown both A & B",
                                    "Must declare mode for CD or powerdown both C & D"};
  const int pair_lines[2] = {119, 120};
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
    myerrfun(strfmt("Must declare coefficients for channel %d", c), kModule, 128);
    missing_mandatory = 1;
  }
  if (missing_mandatory) end_run(1);
}
