// cmdin.h — the command interpreter: the control file and its includes
// cleaned into one text in memory (the temporary command file's content), and
// its two interpretation passes over that text.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "vartable/strtab.h"

// The characters that separate the words of a control-file line.
extern const char* const seps;

// A line of the cleaned control file, with its line end, and where it comes
// from: the file it was read from (an index into ExpandedControl::files) and
// its line number there. The empty line that ends each file counts as the
// line after that file's last one.
struct ControlLine {
  std::string text;
  size_t file;
  int line;
};

// The cleaned control file: the names of the files read, in the order they
// were opened (the name found by the lookup, so "part2.txt" for
// "include part2"), and the lines.
struct ExpandedControl {
  std::vector<std::string> files;
  std::vector<ControlLine> lines;
};

// Cleans the control file `name` and the files it includes into the
// expanded control file. Returns 0, or 1 after reporting a file that cannot
// be opened, a line that is too long, includes nested too deeply or an
// expansion past its bound; what was cleaned until then is kept.
int createTmpCmdFile(const std::string& name);

// The control file as the last cleaning left it.
const ExpandedControl& expanded_control();
// Its lines joined: the content of the temporary command file.
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

// When `c` is the command `str`: reads `next` (null when the line has no
// further word) as an integer into *var if it lies in [vmin, vmax], reports
// the range otherwise, and returns 1. Returns 0 for any other command.
int getint(const std::string& c, const char* str, const std::string* next, int* var, int vmin,
           int vmax);

// The help command's walk callback: prints the help of a variable whose
// name begins with the prefix being listed; always 0.
int print_help(yyy_STRTAB* s);

// Forgets the interpreter state kept between passes and the cleaned control
// file (tests start afresh).
void reset_cmdin();
