// responseout.h — the texts of `print response`, NAME.csv and NAME.svg, for
// the run as the records stand; the driver adds them to the outputs that
// replace their names at the end of the run.
#pragma once
#include <string>

struct ResponseTexts {
  std::string csv;
  std::string svg;
};

// Models every live channel and renders both texts, titled with the control
// file's name as typed.
ResponseTexts response_texts(const std::string& control_name);
