// driver.h — start-up, the runs of the control files one after another, the
// fixed order of passes in each, the temporary command file, and the naming
// and placing of the output files.
#pragma once
#include <cstdio>
#include <string>

#include "diag.h"
#include "version.h"


// Resets every global record, table and flag, then registers the catalogue.
void init();

// The name of an output file: the control-file name cut at the first '.' of
// its file-name part, then "." and the extension.
std::string output_path(const std::string& firstname, const char* lastname);

// Where that output is written: under its name, or under its file-name part
// in the output directory of `-o`.
std::string output_location(const std::string& firstname, const char* lastname);

// Where the temporary command file is written: the current directory or
// the output directory.
std::string temporary_command_file();

// Opens the output file of `bit` (extension `lastname`) named after the
// control file, to replace that file at the end of the run; ends the run
// with status 1 when it cannot be created or its name leads to anything but
// a regular file.
std::FILE* myopen(const std::string& firstname, const char* lastname, int bit);

// Adds an output of `bit` whose whole text is known at the end of the run,
// named after the control file with the extension `lastname`, to replace its
// file with the other outputs; refused and ending the run as myopen.
void add_output_text(const std::string& firstname, const char* lastname, int bit,
                     std::string text);

// The whole command line: each control file run in turn; returns the exit
// status for main (the highest of the runs).
int run_program(int argc, char** argv);
