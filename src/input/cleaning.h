// cleaning.h — the control file and its includes cleaned into one text in
// memory (the temporary command file's content), line by line with where
// each line comes from; the words of a cleaned line; where a file named in
// the control file is looked up.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

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
// The cleaned control file as one text: the content of the temporary command
// file.
std::string expanded_text();

// Where the driver writes the temporary command file, which the cleaning
// must not read; given at the start of every run.
void set_temporary_command_file(const std::string& path);

// True when the control file `name`, looked up as the cleaning looks it up,
// is the temporary command file, which opening for writing would empty.
bool names_temporary_command_file(const std::string& name);

// The word of `line` that starts at or after `pos`: [*begin, *end); false
// when there is none before the line end. Words are separated by space,
// tab, comma, '=' and carriage return.
bool next_word(const std::string& line, size_t pos, size_t* begin, size_t* end);

// The coefficient file `name` named by `naming_file`: as written, unless it
// names nothing in the current directory and does beside the naming file.
std::string coefficient_path(const std::string& name, const std::string& naming_file);

// Forgets the cleaned control file (a new run).
void reset_cleaning();
