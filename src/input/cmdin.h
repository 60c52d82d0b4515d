// cmdin.h — the command interpreter: the control file and its includes
// cleaned into one text in memory (the temporary command file's content), and
// its two interpretation passes over that text.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "vartable/strtab.h"

extern int err;  // the interpreter's input-error flag

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

// True when `path` is the control file or one of its includes (the same file,
// under any name), which an output file must not overwrite.
bool is_control_input(const std::string& path);

// Notes the open coefficient file `f`, which no output may replace either.
void note_coefficient_input(std::FILE* f);
// True when `path` is a coefficient file the run has read (under any name).
bool is_coefficient_input(const std::string& path);

// One interpretation pass over the cleaned control file: the first when
// *over_ride is 0, the override pass (going on after the `override` line)
// otherwise. Returns `err`.
int cmdin(const std::string& cmds, int* over_ride);

// When `c` is the command `str`: reads `next` (null when the line has no
// further word) as an integer into *var if it lies in [vmin, vmax], reports
// the range otherwise, and returns 1. Returns 0 for any other command.
int getint(const std::string& c, const char* str, const std::string* next, int* var, int vmin,
           int vmax);

// The help command's walk callback: prints the help of a variable whose
// name begins with the prefix being listed; always 0.
int print_help(yyy_STRTAB* s);

// Reads the next piece of a line from `f`: up to `max` characters, ending
// after a line end when one comes first. False at the end of the file.
bool read_piece(std::FILE* f, size_t max, std::string& out);

// Opens a control or coefficient file for reading; null when it cannot be
// opened or is not a regular file: a directory would read as empty, a FIFO
// would block, a device might never end. Sets *not_regular (when given) when
// the name exists but is not a regular file. Never blocks.
std::FILE* open_readable(const std::string& path, bool* not_regular = nullptr);

// Called with the path of every control, include or coefficient file before
// it is opened (the driver settles a file that `path` may name and that it
// has not yet put in place); null for none.
void set_before_reading(void (*hook)(const std::string& path));

// Forgets the interpreter state kept between passes and the cleaned control
// file (tests start afresh).
void reset_cmdin();
