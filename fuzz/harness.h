// harness.h — what the fuzz targets share: a scratch directory per fuzzing
// process, emptied before every input, and whole runs of the program that
// return instead of ending the process (an end hook throws instead of
// exiting).
#pragma once
#include <cstddef>
#include <string>

// Creates the scratch directory on the first call and changes into it (the
// program writes its temporary command file into the current directory);
// on every call removes whatever the previous input left there.
void enter_clean_scratch_dir();

// Writes `size` bytes to the file `name` in the current directory.
void write_bytes(const std::string& name, const unsigned char* data, size_t size);

// Runs "cmd7420 `control_file`" in-process and returns its exit status as
// main would end with it, also when the run ends early.
int run_in_process(const std::string& control_file);

// True when `text` names a path into the system's device, process or
// run-time directories: devices and FIFOs are refused by the program, but
// files of the process and system directories pass as regular files and may
// block or never end, which is no bad input it can be asked to survive.
bool names_special_files(const std::string& text);
