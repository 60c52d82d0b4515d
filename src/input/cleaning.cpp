// cleaning.cpp — the control file and its includes cleaned into one text:
// blank lines dropped, a literal "^M" cut, characters that are not ASCII
// deleted, includes expanded in place within bounds, every line kept with the
// file and line it comes from.
#include "input/cleaning.h"

#include <sys/stat.h>

#include <cerrno>

#include "diag.h"
#include "diagloc.h"
#include "input/reading.h"

namespace {

// Fixed output text, not source lines: the cleaning reports as the
// interpreter, whose first step it is.
const char* const kModuleCmdin = "cmdin";
constexpr int kLineCannotOpen = 84;       // "Couldn't open command file ..."
constexpr int kLineReadsTemporary = 86;   // "... is the temporary command file"
constexpr int kLineTooLong = 96;          // "Line %d of %s is too long"
constexpr int kLineNonAscii = 103;        // "Non ascii character on line ..."
constexpr int kLineNestedTooDeeply = 112; // "Include files nested too deeply ..."
constexpr int kLineTooManyLines = 113;    // "Control file expands to too many ..."

constexpr size_t kLongestLine = 999;  // of the control file, line end included
constexpr int kMaxIncludeDepth = 32;  // the control file and its nested includes
// The whole expansion is bounded too: includes that each include the next
// twice stay within the depth and would still grow without end.
constexpr int kMaxIncludeOpenings = 10000;
constexpr int kMaxIncludedLines = 100000;  // lines taken from included files
const char* const kContinueNonAscii =
    "If there are problems, delete and re-write the line by hand.\n";

ExpandedControl expanded;  // the cleaned control file
std::string tmp_cmd_file;  // where the driver writes the temporary command file

// What one cleaning keeps track of besides its text.
struct Cleaning {
  int include_openings = 0;  // include files opened
  int included_lines = 0;    // lines taken from included files
  FileId tmp_dir{};          // the directory the temporary command file goes to
  bool tmp_exists = false;   // an earlier run's temporary command file is there,
  FileId tmp{};              // and this is it
};
Cleaning cleaning;

// The separators of the words of a control-file line.
bool is_separator(char c) { return c == ' ' || c == '\t' || c == ',' || c == '=' || c == '\r'; }

// A line's text without its line end: [0, text_end).
size_t text_end(const std::string& line) {
  return !line.empty() && line.back() == '\n' ? line.size() - 1 : line.size();
}

std::vector<std::string> command_file_names(const std::string& name) {
  std::string cut = name_stem(name);
  return {name, cut, strfmt("%s.%s", cut.c_str(), "tq7420"), strfmt("%s.%s", cut.c_str(), "txt")};
}

FilePtr open_command_file(const std::string& name, std::string* found) {
  for (const std::string& candidate : command_file_names(name)) {
    FilePtr f(open_readable(candidate));
    if (f) {
      *found = candidate;
      return f;
    }
  }
  return nullptr;
}

// The control file as the check for the temporary command file opened it,
// kept for the cleaning, so that it is opened once: `name` as given and the
// name it was found under.
struct OpenedControl {
  std::string name, found;
  FilePtr file;
};
OpenedControl opened_control;

// The kept control file when the cleaning asks for `candidate` of `name`.
FilePtr take_opened_control(const std::string& name, const std::string& candidate) {
  if (!opened_control.file || opened_control.name != name || opened_control.found != candidate)
    return nullptr;
  return std::move(opened_control.file);
}

// True when `path` is the temporary command file that this run writes: the
// entry of that name in its directory, or the file now under that name
// reached by another name. Reading it would copy an earlier run's expansion
// into this one.
bool is_temporary_command_file(const std::string& path) {
  FileId dir, id;
  if (file_name_part(path) == file_name_part(tmp_cmd_file) && path_id(directory_part(path), &dir) &&
      same_file(dir, cleaning.tmp_dir))
    return true;
  return cleaning.tmp_exists && path_id(path, &id) && same_file(id, cleaning.tmp);
}

// Adds a piece of cleaned text read from line `line` of expanded.files[file];
// a piece that does not end its line is continued by the next one.
void add_cleaned(std::string piece, size_t file, int line) {
  if (piece.empty()) return;  // a line the cleaning emptied
  if (!expanded.lines.empty() && expanded.lines.back().text.back() != '\n')
    expanded.lines.back().text += piece;
  else
    expanded.lines.push_back({std::move(piece), file, line});
}

bool at_end_of_file(std::FILE* f) {
  int c = std::getc(f);
  if (c == EOF) return true;
  std::ungetc(c, f);
  return false;
}

// True when every character before the line's last one is a space or tab.
bool blank_line(const std::string& line) {
  for (size_t i = 0; i + 1 < line.size(); ++i)
    if (line[i] != ' ' && line[i] != '\t') return false;
  return true;
}

// A literal "^M" left by some editors ends the line's text.
void cut_caret_m(std::string& line) {
  size_t caret = line.find("^M");
  if (caret == std::string::npos) return;
  bool had_line_end = line.back() == '\n';
  line.erase(caret);
  if (had_line_end) line += '\n';
}

bool kept_character(unsigned char c) { return (c >= ' ' && c <= '~') || c == '\n' || c == '\t'; }

void delete_non_ascii(std::string& line, int lineno) {
  // Nearly every line is plain text and stays as it is, uncopied.
  size_t i = 0;
  while (i < line.size() && kept_character(static_cast<unsigned char>(line[i]))) ++i;
  if (i == line.size()) return;
  std::string kept = line.substr(0, i);
  for (char c : line.substr(i)) {
    if (kept_character(static_cast<unsigned char>(c))) {
      kept += c;
    } else {
      mywarningfun(strfmt("Non ascii character on line %d; character was deleted.", lineno),
                   kModuleCmdin, kLineNonAscii);
      mywarningC(kContinueNonAscii);
    }
  }
  line = kept;
}

bool names_nothing(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

// `name` in the directory of `naming_file`; `name` itself when it is
// absolute or `naming_file` is in the current directory.
std::string beside(const std::string& name, const std::string& naming_file) {
  size_t slash = naming_file.rfind('/');
  if (name.empty() || name[0] == '/' || slash == std::string::npos) return name;
  return naming_file.substr(0, slash + 1) + name;
}

// Opens the control or include file `name`, named by `naming_file` (empty
// for the control file), under the names it is looked up by: in the current
// directory, or, when none of them exists there, beside the naming file.
// Null, with the error reported, when none of them can be read.
FilePtr open_for_cleaning(const std::string& name, const std::string& naming_file,
                          std::string* found) {
  bool not_regular = false;
  std::vector<std::string> names = command_file_names(name);
  bool here = false;
  for (const std::string& candidate : names) here = here || !names_nothing(candidate);
  if (!here && !naming_file.empty()) names = command_file_names(beside(name, naming_file));
  for (const std::string& candidate : names) {
    if (is_temporary_command_file(candidate)) {
      myerrfun(strfmt("%s is the temporary command file", name.c_str()),
               kModuleCmdin, kLineReadsTemporary);
      return nullptr;
    }
    // Only the name as written earns a reason; the other names are guesses.
    FilePtr f = take_opened_control(name, candidate);
    if (!f) f.reset(open_readable(candidate, &candidate == &names[0] ? &not_regular : nullptr));
    if (f) {
      *found = candidate;
      return f;
    }
  }
  myerrfun(strfmt("Couldn't open command file %s%s", name.c_str(),
                  not_regular ? ": not a regular file" : ""),
           kModuleCmdin, kLineCannotOpen);
  return nullptr;
}

// The word after a leading "include", when `line` is an include line; the
// words of any other line are never split out.
bool include_line(const std::string& line, std::string* target) {
  static const char kInclude[] = "include";
  size_t begin = 0, end = 0;
  if (!next_word(line, 0, &begin, &end) || end - begin != sizeof kInclude - 1 ||
      line.compare(begin, end - begin, kInclude) != 0)
    return false;
  if (!next_word(line, end, &begin, &end)) return false;
  target->assign(line, begin, end - begin);
  return true;
}

bool too_many_lines(const std::string& name) {
  myerrfun(strfmt("Control file expands to too many lines through its includes: %s", name.c_str()),
           kModuleCmdin, kLineTooManyLines);
  return false;
}

// Cleans the file `name`, named by `naming_file`, into `expanded`; false
// once an error has been reported, which ends the cleaning.
bool preprocess(const std::string& name, const std::string& naming_file, int depth) {
  std::string found;
  FilePtr f = open_for_cleaning(name, naming_file, &found);
  if (!f) return false;
  if (depth == 1) set_control_file_found(found);
  note_control_input(f.get());
  const size_t file = expanded.files.size();
  expanded.files.push_back(found);
  std::string line, included;
  int lineno = 0;
  ReadingAt reading_at(&found, 0);
  while (read_piece(f.get(), kLongestLine, line)) {
    reading_at.at(++lineno);
    // A longer line would be split into two lines and lose a character.
    if (line.size() == kLongestLine && line.back() != '\n' && !at_end_of_file(f.get())) {
      myerrfun(strfmt("Line %d of %s is too long", lineno, name.c_str()), kModuleCmdin, kLineTooLong);
      return false;
    }
    if (blank_line(line)) continue;
    cut_caret_m(line);
    delete_non_ascii(line, lineno);
    if (include_line(line, &included)) {
      // Bounds the nesting, so an include cycle ends instead of exhausting
      // the open files and the stack.
      if (depth >= kMaxIncludeDepth) {
        myerrfun(strfmt("Include files nested too deeply: %s", included.c_str()),
                 kModuleCmdin, kLineNestedTooDeeply);
        return false;
      }
      if (++cleaning.include_openings > kMaxIncludeOpenings) return too_many_lines(included);
      if (!preprocess(included, found, depth + 1)) return false;
      continue;
    }
    if (depth > 1 && ++cleaning.included_lines > kMaxIncludedLines) return too_many_lines(name);
    add_cleaned(std::move(line), file, lineno);
  }
  add_cleaned("\n", file, lineno + 1);
  return true;
}

}  // namespace

std::string coefficient_path(const std::string& name, const std::string& naming_file) {
  if (!names_nothing(name)) return name;
  std::string other = beside(name, naming_file);
  return names_nothing(other) ? name : other;
}

bool next_word(const std::string& line, size_t pos, size_t* begin, size_t* end) {
  const size_t stop = text_end(line);
  while (pos < stop && is_separator(line[pos])) ++pos;
  if (pos == stop) return false;
  *begin = pos;
  while (pos < stop && !is_separator(line[pos])) ++pos;
  *end = pos;
  return true;
}

int createTmpCmdFile(const std::string& name) {
  expanded = ExpandedControl();
  cleaning = Cleaning();
  const std::string& tmp = tmp_cmd_file;
  path_id(directory_part(tmp), &cleaning.tmp_dir);
  cleaning.tmp_exists = path_id(tmp, &cleaning.tmp);
  const bool cleaned = preprocess(name, "", 1);
  opened_control = OpenedControl();
  return cleaned ? 0 : 1;
}

std::string expanded_text() {
  std::string text;
  for (const ControlLine& line : expanded.lines) text += line.text;
  return text;
}

bool names_temporary_command_file(const std::string& name) {
  FileId id, tmp;
  std::string found;
  FilePtr f = open_command_file(name, &found);
  if (file_id(f.get(), &id) && path_id(tmp_cmd_file, &tmp) && same_file(id, tmp))
    return true;
  opened_control = {name, found, std::move(f)};
  return false;
}

const ExpandedControl& expanded_control() { return expanded; }

void set_temporary_command_file(const std::string& path) { tmp_cmd_file = path; }

void reset_cleaning() {
  opened_control = OpenedControl();
  expanded = ExpandedControl();
}
