// responseout.h — the files of `print response`: NAME.csv and NAME.svg
// beside the other outputs, written whole after them. The only part of the
// response that touches the file system.
#pragma once
#include <string>

// The printout bit of `print response`. It opens no file when the request
// is read; the two files are written at the end of a run.
constexpr int kOutResponse = 64;

// Models every live channel and writes both files, named after the control
// file as typed. A file that cannot be written ends the run with status 1.
void write_response(const std::string& control_name);
