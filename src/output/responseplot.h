// responseplot.h — the two texts of `print response`: a CSV table of every
// live channel's CIC, PFIR and combined gains with the figures as comment
// lines, and a self-contained SVG plot with one panel per live channel.
// Both are built in memory with fixed precision, so that a run gives the
// same bytes every time; writing them out is the caller's business.
#pragma once
#include <string>

#include "verify/response.h"

// `title` names the control file; characters other than printable ASCII
// become '?'.
std::string response_csv(const ChipResponse& resp, const std::string& title);
std::string response_svg(const ChipResponse& resp, const std::string& title);
