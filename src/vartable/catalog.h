// catalog.h — the 250 chip variables: registration into the variable table
// with their classes, widths, register fields, defaults and help texts.
#pragma once
#include <string>

#include "vartable/strtab.h"

// Class codes of a variable in one direction.
enum VarClass { kStatus = 0, kNotUsed = 1, kDefault = 2, kCompute = 3, kExpert = 4, kMandatory = 5 };

constexpr int kCatalogSize = 250;

void initstrtab();

yyy_STRTAB* set_gstrtab(const char* name, int type, int bits, int page, int addr, int start,
                        int defalt, int regtype, const char* help);
yyy_STRTAB* set_cstrtab(const char* name, int type, int bits, int page, int addr, int start,
                        int defalt, int regtype, const char* help);
void set_gstrtabi(const char* name, int type, int bits, int page, int addr, int start, int defalt,
                  int regtype, const char* help, int* v);
void set_gstrtabd(const char* name, int type, int bits, int page, int addr, int start, int defalt,
                  int regtype, const char* help, double* v);
void set_cstrtabi(const char* name, int type, int bits, int page, int addr, int start, int defalt,
                  int regtype, const char* help, int* a, int* b, int* c, int* d);
void set_cstrtabd(const char* name, int type, int bits, int page, int addr, int start, int defalt,
                  int regtype, const char* help, double* a, double* b, double* c, double* d);

// Wraps a help text at 80 columns by turning spaces or tabs into newlines.
void add_newlines(std::string& text);

// The class code of a record for channel index c, following that channel's
// direction; 0 for a channel whose pair has no mode yet (xmt not 0 or 1).
int class_code(const yyy_STRTAB* s, int c);
// The class code of a record in one direction (0 receive, 1 transmit).
inline int class_in(const yyy_STRTAB* s, int xmt) { return (s->type >> (3 * xmt)) & 7; }
