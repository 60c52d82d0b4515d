// diag.h — the seven report functions (into the open outputs of outputs.h
// and standard error), the exit status, and the one place where the process
// ends, which decides which outputs replace their files.
#pragma once
#include <string>

#include "outputs.h"

// Writes the open outputs and renames them over their names, as a run that
// has been through its writers ends; a write error is reported, and then the
// register outputs keep their old files.
void close_outputs();

extern int exit_status;

void myerrfun(const std::string& str, const char* tfile, int tline);
void myerrorC(const std::string& str);
void mywarningfun(const std::string& str, const char* tfile, int tline);
void mywarningC(const std::string& str);
void mydebugfun(const std::string& str, const char* tfile, int tline);
void mydebugC(const std::string& str);
void mymsgfun(const std::string& str);

// Reports that the file `name` could not be written (`error`: an errno).
void report_write_error(const std::string& name, int error);

// printf-style formatting into a string of any length.
std::string strfmt(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Ends the process with `status` (-1 reaches the shell as 255). Outputs still
// open belong to a run that stopped before its writers: the analysis and
// debug files, which carry this run's reports, replace the earlier ones; the
// register outputs keep theirs. A write error then makes a status of 0 a 1.
[[noreturn]] void end_program(int status);

// In-process harnesses (fuzzing) replace the exit by a hook that must not
// return, for example one that throws; null restores the exit.
void set_end_hook(void (*hook)(int status));
