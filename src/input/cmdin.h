// cmdin.h — the command interpreter: the control file and its includes
// cleaned into one text in memory (the temporary command file's content), and
// its two interpretation passes over that text.
#pragma once
#include <string>

// Cleans the control file `name` and the files it includes into the
// expanded control file. Returns 0, or 1 after reporting a file that cannot
// be opened, a line that is too long, includes nested too deeply or an
// expansion past its bound; what was cleaned until then is kept.
int createTmpCmdFile(const std::string& name);

// The cleaned control file as one text: the content of the temporary command
// file.
std::string expanded_text();

// True when the control file `name`, looked up as the cleaning looks it up,
// is the temporary command file, which opening for writing would empty.
bool names_temporary_command_file(const std::string& name);

// What the interpreter needs from the run's outputs, which the driver above
// it owns, given at the start of every run: where the temporary command file
// is written (the cleaning must not read it), and how the print command opens
// the output of `bit`, named after the control file `control` with the
// extension `ext` (it ends the run when the output cannot be opened).
using OutputOpener = void (*)(const std::string& control, const char* ext, int bit);
void set_run_outputs(const std::string& temporary_command_file, OutputOpener open_for_print);

// The two interpretation passes: the first, before the computation, ends at
// an `override` line; the override pass goes on after it.
enum class Pass { kFirst, kOverride };

// One interpretation pass over the cleaned control file. *override_seen
// (when given) tells whether the pass ended at an `override` line. Returns
// `err`.
int cmdin(const std::string& cmds, Pass pass, bool* override_seen);

// Forgets the interpreter state kept between passes and the cleaned control
// file (tests start afresh).
void reset_cmdin();
