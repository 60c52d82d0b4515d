// origins.cpp — a mark per value field of the records and two copies of
// them, indexed alike: a field's slot is its offset in g's or a channel's
// variables, in ints.
#include "vartable/origins.h"

#include <cstdint>
#include <cstring>

#include "records.h"

namespace {

constexpr size_t kGeneralSlots = sizeof(GeneralVars) / sizeof(int);
constexpr size_t kChanSlots = sizeof(ChanVars) / sizeof(int);
constexpr size_t kSlots = kGeneralSlots + kNumChannels * kChanSlots;
constexpr size_t kNoSlot = kSlots;

struct Values {
  GeneralVars g;
  ChanVars chan[kNumChannels];
};

Origin marks[kSlots + 1];  // the last one takes what has no slot
Values as_read, as_computed;
bool read_noted = false, computed_noted = false;

uintptr_t address(const void* p) { return reinterpret_cast<uintptr_t>(p); }

// The field that holds channel `ch`'s value of `s`, null when it has none.
const void* field_of(const yyy_STRTAB* s, int ch) {
  int c = s->regtype == 0 ? 0 : ch;
  if (c < 0 || c >= kNumChannels) return nullptr;
  return is_double(s) ? static_cast<const void*>(s->dvalue[c]) : s->value[c];
}

size_t slot_of(const void* field) {
  uintptr_t p = address(field);
  uintptr_t base = address(static_cast<const GeneralVars*>(&g));
  if (p >= base && p < base + sizeof(GeneralVars)) return (p - base) / sizeof(int);
  for (int c = 0; c < kNumChannels; ++c) {
    base = address(static_cast<const ChanVars*>(&chan[c]));
    if (p >= base && p < base + sizeof(ChanVars))
      return kGeneralSlots + c * kChanSlots + (p - base) / sizeof(int);
  }
  return kNoSlot;
}

// The same field in a copy of the values.
const void* in_copy(const Values& copy, size_t slot) {
  if (slot < kGeneralSlots) return reinterpret_cast<const char*>(&copy.g) + slot * sizeof(int);
  const size_t k = slot - kGeneralSlots;
  return reinterpret_cast<const char*>(&copy.chan[k / kChanSlots]) + k % kChanSlots * sizeof(int);
}

bool differs(const yyy_STRTAB* s, const void* field, const Values& copy, size_t slot) {
  size_t size = is_double(s) ? sizeof(double) : sizeof(int);
  return std::memcmp(field, in_copy(copy, slot), size) != 0;
}

bool unset(const yyy_STRTAB* s, const void* field) {
  if (is_double(s)) return *static_cast<const double*>(field) == -1.0;
  return *static_cast<const int*>(field) == -1;
}

void mark(const yyy_STRTAB* s, int ch, Origin origin) {
  if (const void* field = field_of(s, ch)) marks[slot_of(field)] = origin;
}

void take(Values& copy) {
  copy.g = g;
  for (int c = 0; c < kNumChannels; ++c) copy.chan[c] = chan[c];
}

}  // namespace

const char* origin_name(Origin origin) {
  switch (origin) {
    case Origin::kControlFile: return "control_file";
    case Origin::kDefault: return "default";
    case Origin::kComputed: return "computed";
    case Origin::kOverride: return "override";
    default: return "unset";
  }
}

void reset_origins() {
  for (Origin& m : marks) m = Origin::kUnset;
  read_noted = computed_noted = false;
}

void note_assigned(const yyy_STRTAB* s, int ch, bool override_pass) {
  mark(s, ch, override_pass ? Origin::kOverride : Origin::kControlFile);
}

void note_defaulted(const yyy_STRTAB* s, int ch) { mark(s, ch, Origin::kDefault); }

void note_channel_copied(int to, int from) {
  const size_t to_base = kGeneralSlots + to * kChanSlots;
  const size_t from_base = kGeneralSlots + from * kChanSlots;
  for (size_t k = 0; k < kChanSlots; ++k) marks[to_base + k] = marks[from_base + k];
}

void note_values_read() {
  take(as_read);
  read_noted = true;
}

void note_values_computed() {
  take(as_computed);
  computed_noted = true;
}

Origin origin_of(const yyy_STRTAB* s, int ch) {
  const void* field = field_of(s, ch);
  if (!field) return Origin::kUnset;
  size_t slot = slot_of(field);
  if (slot == kNoSlot) return unset(s, field) ? Origin::kUnset : Origin::kControlFile;
  // The override section may also change fields by fir_coef or copy_channel.
  if (marks[slot] == Origin::kOverride || (computed_noted && differs(s, field, as_computed, slot)))
    return Origin::kOverride;
  if (read_noted && differs(s, field, as_read, slot)) return Origin::kComputed;
  if (unset(s, field)) return Origin::kUnset;
  return marks[slot] == Origin::kDefault ? Origin::kDefault : Origin::kControlFile;
}
