// diag.h — the seven report functions, the open output files they write to,
// the exit status, and the one place where the process ends.
#pragma once
#include <cstdio>
#include <memory>
#include <string>

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Output files, one per `printout` bit of g.
enum OutputBit {
  kOutAnl = 1,
  kOutKx330 = 2,
  kOutSim = 4,
  kOutTbl = 8,
  kOutDbg = 16,
  kOutH = 32,
};
extern FilePtr f_anl, f_kx330, f_sim, f_tbl, f_dbg, f_h;

// The handle slot of one output bit (kOutAnl ... kOutH).
FilePtr& output_file(int bit);
// Closes the open outputs in the order anl, kx330, sim, tbl, dbg, h and
// clears their printout bits.
void close_outputs();

extern int exit_status;

void myerrfun(const std::string& str, const char* tfile, int tline);
void myerrorC(const std::string& str);
void mywarningfun(const std::string& str, const char* tfile, int tline);
void mywarningC(const std::string& str);
void mydebugfun(const std::string& str, const char* tfile, int tline);
void mydebugC(const std::string& str);
void mymsgfun(const std::string& str);

// printf-style formatting into a string of any length.
std::string strfmt(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Registers a file that must be closed when the process ends early
// (the temporary command file handles).
void register_closer(void (*closer)());

// Ends the process: closes the output files in their fixed order and every
// other open file, then exits with `status` (-1 reaches the shell as 255).
[[noreturn]] void end_program(int status);

// In-process harnesses (fuzzing) replace the exit by a hook that must not
// return, for example one that throws; null restores the exit.
void set_end_hook(void (*hook)(int status));
