// cmdin.cpp — the command interpreter: cmdin interprets the cleaned control
// file (cleaning.h) once before the computation and, after an `override`
// line, a second time after it, storing variables and carrying out the
// commands.
#include "input/cmdin.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "vartable/catalog.h"
#include "input/chancopy.h"
#include "input/cleaning.h"
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
// Commands.
constexpr int kLineModeChanged = 180;     // "mode may not be changed "
constexpr int kLineUnknownPrint = 205;    // "Unrecognized print command ..."
constexpr int kLinePrintOptions = 206;    // "Options are: analysis, ..."
constexpr int kLineUnknownCommand = 231;  // "Unrecognized command on line ..."
// Assignments and their value words.
constexpr int kLineModesFirst = 252;      // "Must set mode ab and mode cd ..."
constexpr int kLineNoValue = 259;         // "%s Usage: %s"
constexpr int kLineNotANumber = 266;      // "Value of %s is not a number ..."
constexpr int kLineOutOfRange = 267;      // "Value of %s is out of range ..."
constexpr int kLineNotWhole = 268;        // "... is not a whole number ..."
constexpr int kLineTooWide = 271;         // "%s has only %d bits ..."
constexpr int kLineExpert = 285;          // "Manually setting a variable ..."
constexpr int kLineBeforeChannel = 297;   // "Setting a channel variable ..."
constexpr int kLineSecondNumber = 299;    // "... followed by a second number ..."

// What the driver gives: how the print command opens an output.
OutputOpener open_output_for_print = nullptr;

// Interpreter state kept between the two passes.
size_t next_line = 0;     // the line of the cleaned control file read next
int ch = 0;               // current channel
int chanSet = 0;          // a `channel` command was seen in this pass
int defaults_done = 0;    // both modes declared and the defaults applied
int linecnt = 1;          // line of the cleaned control file being read
bool override_pass = false;       // the pass after the `override` line
const ControlLine* reading = nullptr;  // the line being interpreted
std::string help_prefix;  // the prefix the help command lists

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
    myerrfun(strfmt("Value of %s is not a number: %s", s->ptr.c_str(), word.c_str()),
             kModule, kLineNotANumber);
  else if (p == Parsed::kNotWhole)
    myerrfun(strfmt("Value of %s is not a whole number: %s", s->ptr.c_str(), word.c_str()), kModule,
             kLineNotWhole);
  else
    myerrfun(strfmt("Value of %s is out of range: %s", s->ptr.c_str(), word.c_str()),
             kModule, kLineOutOfRange);
  err = 1;
  return true;
}

// `next` is the word after the value word, null when there is none.
void assign(yyy_STRTAB* s, const std::string* word, const std::string* next) {
  if (!defaults_done)
    myerrfun("Must set mode ab and mode cd before setting other variables\n",
             kModule, kLineModesFirst);
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
  myerrfun(strfmt("Unrecognized command on line %d: %s\n", linecnt, word.c_str()),
           kModule, kLineUnknownCommand);
}

// The `channel` and `copy_channel` commands; false for any other word.
bool channel_command(const std::string& w, const std::string* arg1) {
  if (getint(w, "channel", arg1, &ch, 0, 3)) {
    chanSet = 1;
    note_channel_command(ch, expanded_control().files[reading->file], reading->line);
    return true;
  }
  int from = -1;
  if (getint(w, "copy_channel", arg1, &from, 0, 3)) {
    if (from >= 0) copy_channel(ch, from);
    return true;
  }
  return false;
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
    case 'c':
      if (channel_command(w, arg1)) return LineResult::kGoOn;
      break;
    case 'f':
      if (w == "fir_coef" && arg1) {
        if (!readcoef(ch, coefficient_path(*arg1, expanded_control().files[reading->file])))
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

void set_print_opener(OutputOpener open_for_print) { open_output_for_print = open_for_print; }

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
  const ExpandedControl& expanded = expanded_control();
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
  reset_cleaning();
  forget_inputs();
  next_line = 0;
  ch = 0;
  chanSet = 0;
  defaults_done = 0;
  linecnt = 1;
  help_prefix.clear();
}
