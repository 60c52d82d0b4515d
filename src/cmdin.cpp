// cmdin.cpp — the command interpreter: the control file cleaned into the temporary command file, and its two interpretation passes.
#include "cmdin.h"

int err = 0;

int createTmpCmdFile(const std::string&) { return 0; }
int cmdin(const std::string&, int*) { return err; }
void reset_cmdin() { err = 0; }
