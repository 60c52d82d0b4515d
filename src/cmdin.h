// cmdin.h — the command interpreter: the control file cleaned into the temporary command file, and
// its two interpretation passes.
#pragma once
#include <cstdio>
#include <string>

#include "strtab.h"

extern int err;  // the interpreter's input-error flag

// The characters that separate the words of a control-file line.
extern const char* const seps;

// Cleans the control file `name` and the files it includes into the open
// temporary command file f_tmpCmdW; ends the process with status 1 when a
// file cannot be opened, a line is too long or includes nest too deeply.
int createTmpCmdFile(const std::string& name);

// One interpretation pass over the temporary command file: the first when
// *over_ride is 0, the override pass otherwise. Returns `err`.
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
// opened or is a directory (which would open but read as an empty file).
std::FILE* open_readable(const std::string& path);

// Forgets the interpreter state kept between passes (tests start afresh)
// and closes the temporary command file when it is still being read.
void reset_cmdin();
