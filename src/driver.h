// driver.h — start-up, the fixed order of passes, the temporary command file
// and output-file naming.
#pragma once
#include <cstdio>
#include <string>

#include "diag.h"

extern const char* const kRevision;   // "revWorking"
extern const char* const kBuildDate;  // "Feb 14 2005"
extern const char* const kTmpCmdFile;  // "cmd7420TmpCmdFile"

// Resets every global record, table and flag, then registers the catalogue.
void init();

// The path of an output file: the control-file name cut at the first '.' of
// its file-name part, then "." and the extension.
std::string output_path(const std::string& firstname, const char* lastname);

// Opens the output file of `bit` (extension `lastname`) named after the
// control file, to replace that file at the end of the run; ends the process
// with status 1 when it cannot be created or its name leads to anything but
// a regular file.
std::FILE* myopen(const std::string& firstname, const char* lastname, int bit);

// The whole run; returns the exit status for main.
int run_program(int argc, char** argv);
