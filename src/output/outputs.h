// outputs.h — the six output files of a run. An output is collected in memory
// from its print line on, while the diagnostics and writers add to it; at the
// end of the run it is written to a hidden temporary beside its final name
// and renamed over that name. So every output file is either one that a run
// wrote whole or the one that was there before. A dry run (--check) checks
// the names as a run does but creates no file at all.
#pragma once
#include <cstdio>
#include <string>

#include "outstreams.h"

// True when an open output would replace the file open as `f` (an input of
// the run that must not be lost).
bool output_replaces(std::FILE* f);

// Writes the open outputs and renames them over their names, as a run that
// has been through its writers ends; a write error is reported, and then the
// register outputs keep their old files.
void close_outputs();

// Finishes a run with `status`. Outputs still open belong to a run that
// stopped before its writers: the analysis and debug files, which carry this
// run's reports, replace the earlier ones; the register outputs keep theirs.
// A write error then makes a status of 0 a 1. Returns the status.
int finish_run(int status);

// Drops every open output (an abandoned in-process run).
void discard_outputs();

// From now on outputs are opened and added as usual, with the same refusals
// and a failure where a temporary could not be created, but no file is
// created, written or replaced.
void set_dry_run(bool dry);

// ---- Names of the outputs ----

// The output directory of `-o` (empty: the outputs go beside the control
// file); the driver sets it for the whole command line.
void set_output_directory(const std::string& dir);

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
