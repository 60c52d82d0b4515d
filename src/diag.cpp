// diag.cpp — errors, warnings, debug notes and messages: standard error gets
// the short form, every open output file the located form.
#include "diag.h"

#include <cstdarg>
#include <cstdlib>
#include <vector>

#include "records.h"

FilePtr f_anl, f_kx330, f_sim, f_tbl, f_dbg, f_h;
int exit_status = 0;

namespace {
void (*end_hook)(int) = nullptr;
}  // namespace

namespace {

std::vector<void (*)()>& closers() {
  static std::vector<void (*)()> list;
  return list;
}

// Writes `text` to each listed output whose printout bit is set.
void to_outputs(std::initializer_list<int> bits, const std::string& text) {
  for (int bit : bits) {
    if ((g.printout & bit) && output_file(bit))
      std::fputs(text.c_str(), output_file(bit).get());
  }
}

std::string located(const char* kind, const std::string& str, const char* tfile, int tline) {
  return strfmt("%s(%s L%d): %s\n", kind, tfile, tline, str.c_str());
}

const std::initializer_list<int> kErrorFiles = {kOutAnl, kOutKx330, kOutSim, kOutTbl, kOutDbg};

}  // namespace

FilePtr& output_file(int bit) {
  switch (bit) {
    case kOutAnl: return f_anl;
    case kOutKx330: return f_kx330;
    case kOutSim: return f_sim;
    case kOutTbl: return f_tbl;
    case kOutDbg: return f_dbg;
    default: return f_h;
  }
}

void close_outputs() {
  for (int bit : {kOutAnl, kOutKx330, kOutSim, kOutTbl, kOutDbg, kOutH}) {
    output_file(bit).reset();
    g.printout &= ~bit;
  }
}

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
  exit_status = 1;
}

void myerrorC(const std::string& str) {
  to_outputs(kErrorFiles, str);
  std::fputs(str.c_str(), stderr);
  exit_status = 1;
}

void mywarningfun(const std::string& str, const char* tfile, int tline) {
  to_outputs({kOutAnl, kOutDbg}, located("Warning", str, tfile, tline));
  std::fprintf(stderr, "Warning: %s\n", str.c_str());
}

void mywarningC(const std::string& str) {
  to_outputs({kOutDbg, kOutAnl}, str);
  std::fputs(str.c_str(), stderr);
}

void mydebugfun(const std::string& str, const char* tfile, int tline) {
  to_outputs({kOutDbg}, located("Debug", str, tfile, tline));
}

void mydebugC(const std::string& str) { to_outputs({kOutDbg}, str); }

void mymsgfun(const std::string& str) {
  to_outputs({kOutDbg, kOutAnl}, str);
  std::fputs(str.c_str(), stderr);
}

void register_closer(void (*closer)()) {
  for (auto c : closers())
    if (c == closer) return;
  closers().push_back(closer);
}

void end_program(int status) {
  close_outputs();
  for (auto c : closers()) c();
  std::fflush(stdout);
  std::fflush(stderr);
  if (end_hook) end_hook(status);
  std::exit(status);
}

void set_end_hook(void (*hook)(int status)) { end_hook = hook; }
