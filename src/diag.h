// diag.h — the one error path: the seven report functions (into the open
// output streams of outstreams.h and standard error) and the few others
// below, the errors and warnings of the run kept with where they come from,
// the flags of a run, the early end of a run, and the one place where the
// process ends. Nothing in it reads the chip records or the driver: the
// outputs module says which output streams are open.
#pragma once
#include <string>
#include <vector>

#include "diagloc.h"
#include "outstreams.h"

// The flags of a run, set afresh at its start (init):
// exit_status: the run's exit status so far. Every error report (myerrfun,
//   myerrorC) makes it 1; a run that goes through all its passes ends with it.
extern int exit_status;
// err: the input-error flag. The control file or a coefficient file held
//   something the interpreter refused (a value, a command, a coefficient
//   line); the interpreter pass returns it, and a pass that returns 1 stops
//   the run with status 1. It stays apart from exit_status: some errors
//   let the run go on (a mode changed, a copy between directions), and some
//   refusals are reported on standard error only, which leaves exit_status
//   as it is.
extern int err;

// The seven report functions. An error (myerrfun) or a warning
// (mywarningfun) goes to standard error as "Error: TEXT" or "Warning: TEXT",
// located as "Error(MODULE LLINE): TEXT" into the open outputs (an error into
// the analysis, kx330, sim, table and debug outputs, a warning into the
// analysis and debug outputs), and is kept; `tfile` and `tline` are the
// fixed tag of the message, not a source line. The ...C forms continue the
// report just made, their text as it stands. Debug notes go to the debug
// output only; mymsgfun's text to standard error and the debug and analysis
// outputs. Errors make exit_status 1.
void myerrfun(const std::string& str, const char* tfile, int tline);
void myerrorC(const std::string& str);
void mywarningfun(const std::string& str, const char* tfile, int tline);
void mywarningC(const std::string& str);
void mydebugfun(const std::string& str, const char* tfile, int tline);
void mydebugC(const std::string& str);
void mymsgfun(const std::string& str);

// Reports that the file `name` could not be written (`error`: an errno).
void report_write_error(const std::string& name, int error);

enum class Severity { kError, kWarning };

// As report_stderr_only, and into the analysis output when it is open.
void report_stderr_and_analysis(Severity severity, const std::string& text);

// Text for standard error alone, outside the reports of a run (the usage,
// an unusable output directory, the located list of --check, a case that
// cannot happen): not kept, no status.
void report_outside_run(const std::string& text);

// A report that goes to standard error only, `text` as it stands (it carries
// its own line end); kept among the run's diagnostics. The exit status is
// the caller's business.
void report_stderr_only(Severity severity, const std::string& text);

// An error or warning of the run: its text with the continuations that
// followed it, and where it comes from.
struct RunDiagnostic {
  Severity severity;
  std::string text;
  SourceLocation where;
};

// The errors and warnings of the run so far, in the order they were made.
const std::vector<RunDiagnostic>& run_diagnostics();
// Forgets them (a new run).
void reset_run_diagnostics();
// The text on one line: its lines trimmed and joined by single spaces.
std::string one_line(const std::string& text);
// "FILE:LINE: error: TEXT\n" or "FILE:LINE: warning: TEXT\n", as compilers
// write them.
std::string located_line(const RunDiagnostic& d);

// printf-style formatting into a string of any length.
std::string strfmt(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The places that end a run early, each with end_run (a throw of RunEnded,
// which the driver catches; the run's outputs are then finished by
// finish_run and the next control file starts afresh):
//   - an output that cannot be opened or added, or whose name is an input
//     of the run (myopen, add_output_text in output/outputs), status 1;
//   - a mandatory declaration missing (ck_mandatory in vartable/defaults),
//     status 1, once every missing one is reported;
//   - the filter planning giving up (the planner's fail in pfir/agenconf,
//     place_in_ram in pfir/firconfig), status -1.
// Every other end of a run is a status the driver's passes return (compile
// in driver/driver: the temporary command file, the cleaning, an
// interpreter pass that returns err, the coefficient reader among them).
// The process itself ends in one place only: end_program, from main, once
// every control file has run.
//
// What an early end of a run throws: the run's status (-1 when the filter
// planning gave up).
struct RunEnded {
  int status;
};

// Ends the current run early with `status`: unwinds to the driver, which
// finishes the run and goes on with the next control file.
[[noreturn]] void end_run(int status);

// Ends the process with `status` (-1 reaches the shell as 255), after
// standard output and standard error are flushed.
[[noreturn]] void end_program(int status);

// In-process harnesses (fuzzing) replace the exit by a hook that must not
// return, for example one that throws; null restores the exit.
void set_end_hook(void (*hook)(int status));

// ---- Shared helpers of the reporting code (one home each) ----

// True when the analysis output is open for this run: what the analysis
// texts check before writing.
bool analysis_open();

// --- Notes of the configuration on standard output ------------------------
// A configuring run writes two kinds of lines to standard output: the FIR
// decimation of each channel as the per-channel loop reaches it, and an
// empty line for each interpolating PFIR plan. They are the program's
// defined standard output, not diagnostics. Writes `text` and a line end.
void plan_note(const std::string& text);

// ---- The analysis texts of the cross-checks and the PFIR report ----

// Adds `text`, as it stands, to the analysis file when the run writes one.
void write_analysis(const std::string& text);
