// responseout.cpp — the two texts of `print response`, handed to the outputs.
#include "responseout.h"

#include <cstdio>

#include "cmdin.h"
#include "diag.h"
#include "driver.h"
#include "records.h"
#include "response.h"
#include "responseplot.h"

namespace {

// Adds one file to the outputs replaced at the end of the run; refused as
// the other outputs are refused.
void add_file(const std::string& path, std::string text) {
  // A control file named like the output (rx.csv asking for its response)
  // would be replaced.
  if (is_control_input(path)) {
    std::fprintf(stderr, "Couldn't open %s: it is the control file or one it includes\n", path.c_str());
    end_program(1);
  }
  switch (add_whole_output(kOutResponse, path, std::move(text))) {
    case OutputOpen::kOpened:
      return;
    case OutputOpen::kNotRegular:
      std::fprintf(stderr, "Couldn't open %s: not a regular file\n", path.c_str());
      end_program(1);
    case OutputOpen::kFailed:
      std::fprintf(stderr, "Couldn't open %s\n", path.c_str());
      end_program(1);
  }
}

}  // namespace

void write_response(const std::string& control_name) {
  ChipResponse resp = chip_response(g, chan);
  add_file(output_path(control_name, "csv"), response_csv(resp, control_name));
  add_file(output_path(control_name, "svg"), response_svg(resp, control_name));
}
