// defaults.h — the defaults pass (run at the mode commands) and the check
// that every mandatory variable and coefficient file was given.
#pragma once
#include "vartable/strtab.h"

extern int missing_mandatory;

void setdefaults();
int yyysetdefault(yyy_STRTAB* s);
void setregdefalt(yyy_STRTAB* s, int c);
void ck_mandatory();
int ck_man_field(yyy_STRTAB* s);
void ck_man(yyy_STRTAB* s, int c);
