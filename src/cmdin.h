// cmdin.h — the command interpreter: the control file cleaned into the temporary command file, and its two interpretation passes.
#pragma once
#include <string>

extern int err;  // the interpreter's input-error flag

int createTmpCmdFile(const std::string& name);
int cmdin(const std::string& cmds, int* over_ride);

// Forgets the interpreter state kept between passes (tests start afresh).
void reset_cmdin();
