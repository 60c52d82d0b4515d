// jsonout.h — `print json`: NAME.json beside the other outputs, the run's
// final state for scripts: every variable's value and origin, the register
// image, each channel's RAMs, and the run's errors and warnings.
#pragma once
#include <string>

// The JSON text of the run as it stands (after packing and writing).
std::string json_text(const std::string& control_name);
