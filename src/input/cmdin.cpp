// cmdin.cpp — the command interpreter. createTmpCmdFile cleans the control
// file and its includes into one text in memory (which the driver also saves
// as the temporary command file); cmdin interprets that text once before the
// computation and, after an `override` line, a second time after it, storing
// variables and carrying out the commands.
#include "input/cmdin.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "vartable/catalog.h"
#include "input/chancopy.h"
#include "vartable/defaults.h"
#include "diag.h"
#include "diagloc.h"
#include "input/numword.h"
#include "input/reading.h"
#include "vartable/origins.h"
#include "records.h"

namespace {

// Fixed output text, not source lines: the module and line tags of the
// interpreter's reports, as users and their scripts know them.
const char* const kModule = "cmdin";
// Cleaning the control file.
constexpr int kLineCannotOpen = 84;
constexpr int kLineReadsTemporary = 86;
constexpr int kLineTooLong = 96;
constexpr int kLineNonAscii = 103;
constexpr int kLineNestedTooDeeply = 112;
constexpr int kLineTooManyLines = 113;
// Commands.
constexpr int kLineModeChanged = 180;
constexpr int kLineUnknownPrint = 205;
constexpr int kLinePrintOptions = 206;
constexpr int kLineUnknownCommand = 231;
// Assignments and their value words.
constexpr int kLineModesFirst = 252;
constexpr int kLineNoValue = 259;
constexpr int kLineNotANumber = 266;
constexpr int kLineOutOfRange = 267;
constexpr int kLineNotWhole = 268;
constexpr int kLineTooWide = 271;
constexpr int kLineExpert = 285;
constexpr int kLineBeforeChannel = 297;
constexpr int kLineSecondNumber = 299;

constexpr size_t kLongestLine = 999;  // of the control file, line end included
constexpr int kMaxIncludeDepth = 32;  // the control file and its nested includes
// The whole expansion is bounded too: includes that each include the next
// twice stay within the depth and would still grow without end.
constexpr int kMaxIncludeOpenings = 10000;
constexpr int kMaxIncludedLines = 100000;  // lines taken from included files
const char* const kContinueNonAscii =
    "If there are problems, delete and re-write the line by hand.\n";

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
ExpandedControl expanded;  // the cleaned control file

// What the driver gives: where the temporary command file is written, and
// how the print command opens an output.
std::string tmp_cmd_file;
OutputOpener open_output_for_print = nullptr;

// What one cleaning keeps track of besides its text.
struct Cleaning {
  int include_openings = 0;  // include files opened
  int included_lines = 0;    // lines taken from included files
  FileId tmp_dir{};          // the directory the temporary command file goes to
  bool tmp_exists = false;   // an earlier run's temporary command file is there,
  FileId tmp{};              // and this is it
};
Cleaning cleaning;

// Interpreter state kept between the two passes.
size_t next_line = 0;     // the line of the cleaned control file read next
int ch = 0;               // current channel
int chanSet = 0;          // a `channel` command was seen in this pass
int defaults_done = 0;    // both modes declared and the defaults applied
int linecnt = 1;          // line of the cleaned control file being read
bool override_pass = false;       // the pass after the `override` line
const ControlLine* reading = nullptr;  // the line being interpreted
std::string help_prefix;  // the prefix the help command lists

// The separators of the words of a control-file line: space, tab, comma,
// '=' and carriage return.
bool is_separator(char c) { return c == ' ' || c == '\t' || c == ',' || c == '=' || c == '\r'; }

// A line's text without its line end: [0, text_end).
size_t text_end(const std::string& line) {
  return !line.empty() && line.back() == '\n' ? line.size() - 1 : line.size();
}

// The word of `line` that starts at or after `pos`: [*begin, *end); false
// when there is none before the line end.
bool next_word(const std::string& line, size_t pos, size_t* begin, size_t* end) {
  const size_t stop = text_end(line);
  while (pos < stop && is_separator(line[pos])) ++pos;
  if (pos == stop) return false;
  *begin = pos;
  while (pos < stop && !is_separator(line[pos])) ++pos;
  *end = pos;
  return true;
}

// A line whose first word begins so is a comment; no variable's name does.
bool is_comment_start(char c) { return c == '#' || c == '/' || c == ';'; }

// The first `max` words of `line` into `words`; a line holds more words
// than any command reads, and the vector keeps its room from line to line.
void split_words(const std::string& line, size_t max, std::vector<std::string>& words) {
  words.clear();
  size_t begin = 0, end = 0;
  while (words.size() < max && next_word(line, end, &begin, &end))
    words.emplace_back(line, begin, end - begin);
}

bool starts_with(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

// ---- Cleaning the control file ----

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
                   kModule, kLineNonAscii);
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

// The coefficient file `name` named by `naming_file`: as written, unless it
// names nothing in the current directory and does beside the naming file.
std::string coefficient_path(const std::string& name, const std::string& naming_file) {
  if (!names_nothing(name)) return name;
  std::string other = beside(name, naming_file);
  return names_nothing(other) ? name : other;
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
      myerrfun(strfmt("%s is the temporary command file", name.c_str()), kModule, kLineReadsTemporary);
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
           kModule, kLineCannotOpen);
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
           kModule, kLineTooManyLines);
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
      myerrfun(strfmt("Line %d of %s is too long", lineno, name.c_str()), kModule, kLineTooLong);
      return false;
    }
    if (blank_line(line)) continue;
    cut_caret_m(line);
    delete_non_ascii(line, lineno);
    if (include_line(line, &included)) {
      // Bounds the nesting, so an include cycle ends instead of exhausting
      // the open files and the stack.
      if (depth >= kMaxIncludeDepth) {
        myerrfun(strfmt("Include files nested too deeply: %s", included.c_str()), kModule, kLineNestedTooDeeply);
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

// ---- Values ----

enum class Parsed { kValue, kNotANumber, kOutOfRange, kNotWhole };

Parsed parse_decimal_fraction(const std::string& word, int* out) {
  switch (whole_number(word.c_str(), out)) {
    case WholeNumber::kWhole: return Parsed::kValue;
    case WholeNumber::kNotWhole: return Parsed::kNotWhole;
    default: return Parsed::kOutOfRange;
  }
}

// A value word read as "0x%x" or "%d" would read it, without their
// undefined behaviour beyond 32 bits. A decimal fraction or exponent is no
// longer cut off at the point or the 'e' ("%d" reads 10 from "10.5" and 1
// from "1e3"): it must make a whole number.
Parsed parse_int_word(const std::string& word, int* out) {
  errno = 0;
  char* end = nullptr;
  if (starts_with(word, "0x")) {
    const char* digits = word.c_str() + 2;
    unsigned long long v = std::strtoull(digits, &end, 16);
    if (end == digits) return Parsed::kNotANumber;
    bool negative = *digits == '-';
    unsigned long long magnitude = negative ? 0ULL - v : v;
    if (errno == ERANGE || magnitude > 0xFFFFFFFFULL) return Parsed::kOutOfRange;
    uint32_t bits = static_cast<uint32_t>(magnitude);
    *out = static_cast<int>(negative ? 0u - bits : bits);
    return Parsed::kValue;
  }
  if (has_fraction_or_exponent(word.c_str())) return parse_decimal_fraction(word, out);
  long long v = std::strtoll(word.c_str(), &end, 10);
  if (end == word.c_str()) return Parsed::kNotANumber;
  if (errno == ERANGE || v < INT_MIN || v > INT_MAX) return Parsed::kOutOfRange;
  *out = static_cast<int>(v);
  return Parsed::kValue;
}

// True when strtod stopped at the 'x' of a "0x" prefix that no hex digit
// (or point) follows: "%lf" reads nothing from such a word, while strtod
// takes its "0".
bool bare_hex_prefix(const char* word, const char* end) {
  const char* p = word;
  if (*p == '+' || *p == '-') ++p;
  if (end != p + 1 || p[0] != '0' || (p[1] != 'x' && p[1] != 'X')) return false;
  return !std::isxdigit(static_cast<unsigned char>(p[2])) && p[2] != '.';
}

Parsed parse_double_word(const std::string& word, double* out) {
  char* end = nullptr;
  double v = std::strtod(word.c_str(), &end);
  if (end == word.c_str() || bare_hex_prefix(word.c_str(), end) || !std::isfinite(v))
    return Parsed::kNotANumber;
  *out = v;
  return Parsed::kValue;
}

bool fits_width(int v, int bits) {
  if (v < 0) return false;
  return bits >= 31 || static_cast<int64_t>(v) < (int64_t{1} << bits);
}

// The class that decides the expert warning: R for a chip-wide variable,
// the current channel's direction for a per-channel one.
int assignment_class(const yyy_STRTAB* s) {
  if (s->regtype == 0) return class_in(s, 0);
  return class_code(s, ch);
}

// True when the value word could not be read; the error is then reported.
bool report_unreadable(const yyy_STRTAB* s, const std::string& word, Parsed p) {
  if (p == Parsed::kValue) return false;
  if (p == Parsed::kNotANumber)
    myerrfun(strfmt("Value of %s is not a number: %s", s->ptr.c_str(), word.c_str()), kModule, kLineNotANumber);
  else if (p == Parsed::kNotWhole)
    myerrfun(strfmt("Value of %s is not a whole number: %s", s->ptr.c_str(), word.c_str()), kModule,
             kLineNotWhole);
  else
    myerrfun(strfmt("Value of %s is out of range: %s", s->ptr.c_str(), word.c_str()), kModule, kLineOutOfRange);
  err = 1;
  return true;
}

// `next` is the word after the value word, null when there is none.
void assign(yyy_STRTAB* s, const std::string* word, const std::string* next) {
  if (!defaults_done)
    myerrfun("Must set mode ab and mode cd before setting other variables\n", kModule, kLineModesFirst);
  std::string value = "0";
  if (word) {
    value = *word;
  } else {
    myerrfun(strfmt("%s Usage: %s\n", s->ptr.c_str(), s->msg.c_str()), kModule, kLineNoValue);
    err = 1;
  }

  int d = 0;
  double dd = 0.0;
  if (is_double(s)) {
    if (report_unreadable(s, value, parse_double_word(value, &dd))) return;
  } else {
    if (report_unreadable(s, value, parse_int_word(value, &d))) return;
    if (!fits_width(d, s->bits)) {
      myerrfun(strfmt("%s has only %d bits\nUsage: %s\n", s->ptr.c_str(), s->bits, s->msg.c_str()),
               kModule, kLineTooWide);
      err = 1;
    }
  }

  if (assignment_class(s) == kExpert) {
    mywarningfun("Manually setting a variable that is normally computed", kModule, kLineExpert);
    mywarningC("Experts only.  Black diamond run. ");
    mywarningC(strfmt("Variable %s\n", s->ptr.c_str()));
  }

  int idx = s->regtype == 0 ? 0 : ch;
  if (is_double(s))
    *s->dvalue[idx] = dd;
  else
    *s->value[idx] = d;
  note_assigned(s, idx, override_pass);
  if (s->regtype == 1 && !chanSet) {
    mywarningfun("Setting a channel variable before channel declaration...putting in channel 0.",
                 kModule, kLineBeforeChannel);
    mywarningC("To fix, put variable under channel declaration.");
    mywarningC(strfmt("Variable %s\n", s->ptr.c_str()));
  }
  // A decimal comma (freq 21,4) splits a value into two words; a comment
  // after the value is left alone unless it starts like a number.
  if (next && begins_with_number(next->c_str()))
    mywarningfun(strfmt("Value of %s is followed by a second number, ignored: %s", s->ptr.c_str(),
                        next->c_str()),
                 kModule, kLineSecondNumber);
}

// ---- Commands ----

// When `c` is the command `str`: reads `next` (null when the line has no
// further word) as an integer into *var if it lies in [vmin, vmax], reports
// the range otherwise, and returns 1. Returns 0 for any other command.
int getint(const std::string& c, const char* str, const std::string* next, int* var, int vmin,
           int vmax) {
  if (c != str) return 0;
  int v = 0;
  if (next && parse_int_word(*next, &v) == Parsed::kValue && v >= vmin && v <= vmax) {
    *var = v;
    return 1;
  }
  // A missing or unreadable number fails the same way as one out of range,
  // and leaves *var as it was.
  report_stderr_only(Severity::kError, strfmt("%s must be between %d and %d\n", str, vmin, vmax));
  err = 1;
  return 1;
}

const char* const kClassNames[] = {"Status",  "NotUsed", "Default",
                                   "Compute", "Expert",  "Mandatory"};

const char* class_name(int code) {
  return code >= 0 && code <= 5 ? kClassNames[code] : kClassNames[0];
}

// The help command's walk callback: prints the help of a variable whose
// name begins with the prefix being listed; always 0.
int print_help(yyy_STRTAB* s) {
  if (!starts_with(s->ptr, help_prefix)) return 0;
  mymsgfun(strfmt("\n%s  %s-variable with %d bits.  In receive %s.  In transmit %s.\n%s\n",
                  s->ptr.c_str(), s->page == kPseudoPage ? "Pseudo" : "Real", s->bits,
                  class_name(class_in(s, 0)), class_name(class_in(s, 1)), s->msg.c_str()));
  return 0;
}


// False when the words do not form a mode command.
bool mode_command(const std::string* pair_word, const std::string* dir_word) {
  if (!pair_word || !dir_word) return false;
  char p = (*pair_word)[0];
  char dch = (*dir_word)[0];
  if ((p != 'a' && p != 'c') || (dch != 'r' && dch != 't')) return false;
  int pair = p == 'a' ? 0 : 1;
  int mode = dch == 't' ? kModeTransmit : kModeReceive;
  int other = mode == kModeTransmit ? kModeReceive : kModeTransmit;
  if (g.mode[pair] == other) {
    myerrfun("mode may not be changed ", kModule, kLineModeChanged);
  } else {
    g.mode[pair] = mode;
    chan[2 * pair].xmt = chan[2 * pair + 1].xmt = mode == kModeTransmit ? kXmtTransmit : kXmtReceive;
  }
  // Every mode command after both pairs are declared restores the defaults.
  if (g.mode[0] != kModeUnset && g.mode[1] != kModeUnset) {
    setdefaults();
    defaults_done = 1;
  }
  return true;
}

struct PrintOutput {
  char letter;
  int bit;
  const char* ext;
};
const PrintOutput kPrintOutputs[] = {
    {'a', kOutAnl, "anl"}, {'d', kOutDbg, "dbg"}, {'k', kOutKx330, "kx330"},
    {'s', kOutSim, "sim"}, {'t', kOutTbl, "tbl"}, {'h', kOutH, "h"},
    // Written whole at the end of the run.
    {'r', kOutResponse, nullptr}, {'j', kOutJson, nullptr},
};

void print_command(const std::string& cmds, const std::string& word) {
  char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(word[0])));
  for (const PrintOutput& out : kPrintOutputs) {
    if (out.letter != letter) continue;
    // Reopening would truncate the reports already written to the file.
    if (g.printout & out.bit) return;
    if (!out.ext) g.printout |= out.bit;
    else if (open_output_for_print) open_output_for_print(cmds, out.ext, out.bit);
    return;
  }
  myerrfun(strfmt("Unrecognized print command %s\n", word.c_str()), kModule, kLineUnknownPrint);
  myerrfun("Options are: analysis, debug, kx330, sim, table and hfile", kModule, kLinePrintOptions);
  err = 1;
}

void unrecognised(const std::string& word) {
  err = 1;
  myerrfun(strfmt("Unrecognized command on line %d: %s\n", linecnt, word.c_str()), kModule, kLineUnknownCommand);
}

// What follows a line: the next line, the end of the pass (an `override`
// line), or the end of the run (a coefficient file that cannot be read).
enum class LineResult { kGoOn, kEndPass, kEndRun };

LineResult interpret_line(const std::string& cmds, const std::vector<std::string>& words,
                          bool* override_seen) {
  const std::string& w = words[0];
  const std::string* arg1 = words.size() > 1 ? &words[1] : nullptr;
  const std::string* arg2 = words.size() > 2 ? &words[2] : nullptr;
  if (yyy_STRTAB* s = yyysearchstr(w.c_str())) {
    assign(s, arg1, arg2);
    return LineResult::kGoOn;
  }
  switch (w[0]) {
    case '#':
    case '/':
    case ';':
      return LineResult::kGoOn;
    case 'c': {
      if (getint(w, "channel", arg1, &ch, 0, 3)) {
        chanSet = 1;
        note_channel_command(ch, expanded.files[reading->file], reading->line);
        return LineResult::kGoOn;
      }
      int from = -1;
      if (getint(w, "copy_channel", arg1, &from, 0, 3)) {
        if (from >= 0) copy_channel(ch, from);
        return LineResult::kGoOn;
      }
      break;
    }
    case 'f':
      if (w == "fir_coef" && arg1) {
        if (!readcoef(ch, coefficient_path(*arg1, expanded.files[reading->file])))
          return LineResult::kEndRun;
        return LineResult::kGoOn;
      }
      break;
    case 'h':
      if (w == "help" && arg1) {
        help_prefix = *arg1;
        yyystrings(print_help);
        return LineResult::kGoOn;
      }
      break;
    case 'm':
      if (w == "mode" && mode_command(arg1, arg2)) return LineResult::kGoOn;
      break;
    case 'o':
      if (w == "override") {
        if (override_seen) *override_seen = true;
        return LineResult::kEndPass;
      }
      break;
    case 'p':
      if (w == "print" && arg1) {
        print_command(cmds, *arg1);
        return LineResult::kGoOn;
      }
      break;
    default:
      break;
  }
  unrecognised(w);
  return LineResult::kGoOn;
}

}  // namespace

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

void set_run_outputs(const std::string& temporary_command_file, OutputOpener open_for_print) {
  tmp_cmd_file = temporary_command_file;
  open_output_for_print = open_for_print;
}

int cmdin(const std::string& cmds, Pass pass, bool* override_seen) {
  bool first_pass = pass == Pass::kFirst;
  if (override_seen) *override_seen = false;
  if (first_pass) {
    next_line = 0;
    defaults_done = 0;
    err = 0;
    g.mode[0] = g.mode[1] = kModeUnset;
    for (CHAN& c : chan) c.origcoefs = 0;
  }
  override_pass = !first_pass;
  ch = 0;
  chanSet = 0;
  linecnt = 1;
  ReadingAt reading_at(nullptr, 0);
  std::vector<std::string> words;
  while (next_line < expanded.lines.size()) {
    reading = &expanded.lines[next_line++];
    reading_at.at(&expanded.files[reading->file], reading->line);
    const std::string& line = reading->text;
    // A command reads at most its name and two words after it.
    size_t begin = 0, end = 0;
    if (next_word(line, 0, &begin, &end) && !is_comment_start(line[begin])) {
      split_words(line, 3, words);
      // err is set when the run must end.
      if (interpret_line(cmds, words, override_seen) != LineResult::kGoOn) return err;
    }
    ++linecnt;
  }
  return err;
}

void reset_cmdin() {
  err = 0;
  opened_control = OpenedControl();
  forget_inputs();
  expanded = ExpandedControl();
  next_line = 0;
  ch = 0;
  chanSet = 0;
  defaults_done = 0;
  linecnt = 1;
  help_prefix.clear();
}
