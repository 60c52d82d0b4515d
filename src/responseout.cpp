// responseout.cpp — writes the two texts of `print response` to their files.
#include "responseout.h"

#include <cstdio>

#include "cmdin.h"
#include "diag.h"
#include "driver.h"
#include "records.h"
#include "response.h"
#include "responseplot.h"

namespace {

void write_whole_file(const std::string& path, const std::string& text) {
  // A control file named like the output (rx.csv asking for its response)
  // would be emptied.
  if (is_control_input(path)) {
    std::fprintf(stderr, "Couldn't open %s: it is the control file or one it includes\n", path.c_str());
    end_program(1);
  }
  FilePtr f(std::fopen(path.c_str(), "w"));
  if (!f) {
    std::fprintf(stderr, "Couldn't open %s\n", path.c_str());
    end_program(1);
  }
  bool written = std::fwrite(text.data(), 1, text.size(), f.get()) == text.size();
  if (std::fclose(f.release()) != 0 || !written) {
    std::fprintf(stderr, "Couldn't write %s\n", path.c_str());
    end_program(1);
  }
}

}  // namespace

void write_response(const std::string& control_name) {
  ChipResponse resp = chip_response(g, chan);
  write_whole_file(output_path(control_name, "csv"), response_csv(resp, control_name));
  write_whole_file(output_path(control_name, "svg"), response_svg(resp, control_name));
}
