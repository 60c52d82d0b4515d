// driver.h — start-up, the fixed order of passes and output-file naming.
#pragma once
#include <cstdio>
#include <string>

#include "diag.h"

extern const char* const kRevision;   // "revWorking"
extern const char* const kBuildDate;  // "Feb 14 2005"
extern const char* const kTmpCmdFile;  // "cmd7420TmpCmdFile"

// The temporary command file while it is being written.
extern FilePtr f_tmpCmdW;

// Resets every global record, table and flag, then registers the catalogue.
void init();

// The path of an output file: the control-file name cut at the first '.' of
// its file-name part, then "." and the extension.
std::string output_path(const std::string& firstname, const char* lastname);

// Opens an output file named after the control file; ends the process with
// status 1 when it cannot be created.
std::FILE* myopen(const std::string& firstname, const char* lastname);

// The whole run; returns the exit status for main.
int run_program(int argc, char** argv);
