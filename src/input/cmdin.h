// cmdin.h — the command interpreter: its two interpretation passes over the
// cleaned control file (cleaning.h).
#pragma once
#include <string>

// How the print command opens the output of `bit`, named after the control
// file `control` with the extension `ext` (it ends the run when the output
// cannot be opened): the outputs sit above the input, and the driver gives
// the opener at the start of every run.
using OutputOpener = void (*)(const std::string& control, const char* ext, int bit);
void set_print_opener(OutputOpener open_for_print);

// The two interpretation passes: the first, before the computation, ends at
// an `override` line; the override pass goes on after it.
enum class Pass { kFirst, kOverride };

// One interpretation pass over the cleaned control file. *override_seen
// (when given) tells whether the pass ended at an `override` line. Returns
// `err`.
int cmdin(const std::string& cmds, Pass pass, bool* override_seen);

// Forgets the interpreter state kept between passes, the cleaned control
// file and the inputs read (a new run; tests start afresh).
void reset_cmdin();
