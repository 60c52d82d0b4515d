// driver.h — start-up, the runs of the control files one after another, the
// fixed order of passes in each, and the temporary command file.
#pragma once
#include <string>

#include "diag.h"
#include "version.h"


// Resets every global record, table and flag, then registers the catalogue.
void init();

// The whole command line: each control file run in turn; returns the exit
// status for main (the highest of the runs).
int run_program(int argc, char** argv);
