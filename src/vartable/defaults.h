// defaults.h — the defaults pass (run at the mode commands) and the check
// that every mandatory variable and coefficient file was given.
#pragma once

// Stores the default of every variable whose class in its channel's
// direction takes one (not used, or default), over any value there.
void setdefaults();
// Reports every mandatory declaration missing (a pair's mode, a mandatory
// variable, a channel's coefficients), then ends the run with status 1 if
// there was any.
void ck_mandatory();
