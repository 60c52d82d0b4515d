// responseout.cpp — the two texts of `print response`, handed to the outputs.
#include "output/responseout.h"

#include "output/outputs.h"
#include "records.h"
#include "verify/response.h"
#include "output/responseplot.h"

void write_response(const std::string& control_name) {
  ChipResponse resp = chip_response(g, chan);
  add_output_text(control_name, "csv", kOutResponse, response_csv(resp, control_name));
  add_output_text(control_name, "svg", kOutResponse, response_svg(resp, control_name));
}
