// origins.h — how each variable got its final value: set in the control
// file (by an assignment or a command such as fir_coef), its default,
// computed, set in the override section, or never set. The interpreter and
// the defaults pass note what they store; the values as read and as computed
// are kept to tell what the passes after them changed.
#pragma once
#include "vartable/strtab.h"

enum class Origin { kUnset, kControlFile, kDefault, kComputed, kOverride };

// "unset", "control_file", "default", "computed" or "override".
const char* origin_name(Origin origin);

// Forgets everything noted (a new run).
void reset_origins();

// Channel `ch`'s value of `s` (0 for a chip-wide one) was assigned by a
// control-file line, in the override section when `override_pass`.
void note_assigned(const yyy_STRTAB* s, int ch, bool override_pass);
// Channel `ch`'s value of `s` took its default.
void note_defaulted(const yyy_STRTAB* s, int ch);
// Channel `to` became a copy of channel `from`.
void note_channel_copied(int to, int from);
// The first interpreter pass has ended: the values as read.
void note_values_read();
// The computation has ended, before the override section: the values as
// computed.
void note_values_computed();

// Where channel `ch`'s value of `s` came from.
Origin origin_of(const yyy_STRTAB* s, int ch);
