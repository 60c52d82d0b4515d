// diag.cpp — errors, warnings, debug notes and messages: standard error gets
// the short form, every open output file the located form; the errors and
// warnings are also kept, with where in the user's files they come from.
#include "diag.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>


int exit_status = 0;
int err = 0;

namespace {

void (*end_hook)(int) = nullptr;

// Fixed output text, not a source line: the tag of the write error (writing
// the outputs is the driver's last step).
const char* const kWriteModule = "driver";
constexpr int kWriteLine = 10;

// Writes `text` to each listed output that is open.
void to_outputs(std::initializer_list<int> bits, const std::string& text) {
  for (int bit : bits) {
    if (output_file(bit))
      std::fputs(text.c_str(), output_file(bit).get());
  }
}

std::string located(const char* kind, const std::string& str, const char* tfile, int tline) {
  return strfmt("%s(%s L%d): %s\n", kind, tfile, tline, str.c_str());
}

const std::initializer_list<int> kErrorFiles = {kOutAnl, kOutKx330, kOutSim, kOutTbl, kOutDbg};

std::vector<RunDiagnostic> diagnostics;

void keep(Severity severity, const std::string& text) {
  diagnostics.push_back({severity, text, diagnostic_location()});
}

// A continuation belongs to the report just made.
void keep_continuation(Severity severity, const std::string& text) {
  if (diagnostics.empty())
    keep(severity, text);
  else
    diagnostics.back().text += "\n" + text;
}

}  // namespace

std::string strfmt(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string out(n > 0 ? static_cast<size_t>(n) : 0, '\0');
  if (n > 0) std::vsnprintf(&out[0], out.size() + 1, format, again);
  va_end(again);
  return out;
}

void myerrfun(const std::string& str, const char* tfile, int tline) {
  to_outputs(kErrorFiles, located("Error", str, tfile, tline));
  std::fprintf(stderr, "Error: %s\n", str.c_str());
  keep(Severity::kError, str);
  exit_status = 1;
}

void myerrorC(const std::string& str) {
  to_outputs(kErrorFiles, str);
  std::fputs(str.c_str(), stderr);
  keep_continuation(Severity::kError, str);
  exit_status = 1;
}

void mywarningfun(const std::string& str, const char* tfile, int tline) {
  to_outputs({kOutAnl, kOutDbg}, located("Warning", str, tfile, tline));
  std::fprintf(stderr, "Warning: %s\n", str.c_str());
  keep(Severity::kWarning, str);
}

void mywarningC(const std::string& str) {
  to_outputs({kOutDbg, kOutAnl}, str);
  std::fputs(str.c_str(), stderr);
  keep_continuation(Severity::kWarning, str);
}

void mydebugfun(const std::string& str, const char* tfile, int tline) {
  to_outputs({kOutDbg}, located("Debug", str, tfile, tline));
}

void mydebugC(const std::string& str) { to_outputs({kOutDbg}, str); }

void mymsgfun(const std::string& str) {
  to_outputs({kOutDbg, kOutAnl}, str);
  std::fputs(str.c_str(), stderr);
}

void report_write_error(const std::string& name, int error) {
  myerrfun(strfmt("Couldn't write %s: %s", name.c_str(), std::strerror(error)), kWriteModule,
           kWriteLine);
}

void report_stderr_only(Severity severity, const std::string& text) {
  std::fputs(text.c_str(), stderr);
  keep(severity, text);
}

void report_outside_run(const std::string& text) { std::fputs(text.c_str(), stderr); }

void report_stderr_and_analysis(Severity severity, const std::string& text) {
  report_stderr_only(severity, text);
  to_outputs({kOutAnl}, text);
}

const std::vector<RunDiagnostic>& run_diagnostics() { return diagnostics; }

void reset_run_diagnostics() { diagnostics.clear(); }

std::string one_line(const std::string& text) {
  const char* const blanks = " \t\r";
  std::string out;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    size_t first = text.find_first_not_of(blanks, start);
    if (first != std::string::npos && first < end) {
      size_t last = text.find_last_not_of(blanks, end - 1);
      if (!out.empty()) out += ' ';
      out.append(text, first, last + 1 - first);
    }
    start = end + 1;
  }
  return out;
}

std::string located_line(const RunDiagnostic& d) {
  return strfmt("%s:%d: %s: %s\n", d.where.file.c_str(), d.where.line,
                d.severity == Severity::kError ? "error" : "warning", one_line(d.text).c_str());
}

void end_run(int status) { throw RunEnded{status}; }

void end_program(int status) {
  std::fflush(stdout);
  std::fflush(stderr);
  if (end_hook) end_hook(status);
  std::exit(status);
}

void set_end_hook(void (*hook)(int status)) { end_hook = hook; }

// ---- Shared helpers of the reporting code ----

bool analysis_open() { return f_anl != nullptr; }

// --- Notes of the configuration on standard output ------------------------

void plan_note(const std::string& text) {
  std::fputs(text.c_str(), stdout);
  std::fputc('\n', stdout);
}

// ---- The analysis texts of the cross-checks and the PFIR report ----

void write_analysis(const std::string& text) {
  if (analysis_open()) std::fputs(text.c_str(), f_anl.get());
}
