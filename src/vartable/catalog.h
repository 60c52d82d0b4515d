// catalog.h — the 250 chip variables: registration into the variable table
// with their classes, widths, register fields, defaults and help texts.
#pragma once
#include <string>

#include "vartable/strtab.h"

// Class codes of a variable in one direction.
enum VarClass { kStatus = 0, kNotUsed = 1, kDefault = 2, kCompute = 3, kExpert = 4, kMandatory = 5 };

// Registers the catalogue into the variable table, in its order, binding
// each variable to its field of g or chan[].
void initstrtab();

// The class code of a record for channel index c, following that channel's
// direction; 0 for a channel whose pair has no mode yet (xmt not 0 or 1).
int class_code(const yyy_STRTAB* s, int c);
// The class code of a record in one direction (0 receive, 1 transmit).
inline int class_in(const yyy_STRTAB* s, int xmt) { return (s->type >> (3 * xmt)) & 7; }
