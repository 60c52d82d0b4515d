// responseout.h — the files of `print response`: NAME.csv and NAME.svg
// beside the other outputs, replaced together with them. The only part of the
// response that touches the file system.
#pragma once
#include <string>

#include "outstreams.h"  // kOutResponse, the printout bit of `print response`

// Models every live channel and adds both files to the outputs that replace
// their names at the end of the run, named after the control file as typed.
// A name that cannot take an output ends the run with status 1.
void write_response(const std::string& control_name);
