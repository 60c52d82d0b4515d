// strtab.h — the hashed variable table: one yyy_STRTAB record per control-file
// variable, kept in 1000 buckets (newest first within a bucket) and, in
// registration order, in `fields`.
#pragma once
#include <string>
#include <vector>

struct yyy_STRTAB {
  yyy_STRTAB* nxt = nullptr;  // next record in the same bucket
  std::string ptr;            // the variable's name
  int refcnt = 0;
  int type = 0;     // class codes: R bits 0-2, T bits 3-5, X bits 6-8
  int bits = 0;     // width; above 32 marks a double variable
  int page = 0;     // 4095 marks a pseudo-variable without a register
  int addr = 0;
  int start = 0;
  int defalt = 0;
  int regtype = 0;  // 0 chip-wide, 1 and 2 per channel
  std::string msg;  // help text, wrapped
  int* value[4] = {nullptr, nullptr, nullptr, nullptr};
  double* dvalue[4] = {nullptr, nullptr, nullptr, nullptr};
};

constexpr int kPseudoPage = 4095;

extern std::vector<yyy_STRTAB*> fields;  // registration order
extern int nfields;

int hash(const char* name);
yyy_STRTAB* yyycheckstr(const char* name);
yyy_STRTAB* yyysearchstr(const char* name);
// Calls fn for every record in table order; stops when fn returns non-zero.
void yyystrings(int (*fn)(yyy_STRTAB*));

void setparam(int* p, int v);
void setparamd(double* p, int v);

// Empties the table (tests and init start from nothing).
void reset_strtab();

// True for a double variable.
inline bool is_double(const yyy_STRTAB* s) { return s->bits > 32; }
