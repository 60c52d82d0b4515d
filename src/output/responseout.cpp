// responseout.cpp — the two texts of `print response` for the run's records.
#include "output/responseout.h"

#include "records.h"
#include "verify/response.h"
#include "output/responseplot.h"

ResponseTexts response_texts(const std::string& control_name) {
  ChipResponse resp = chip_response(g, chan);
  return {response_csv(resp, control_name), response_svg(resp, control_name)};
}
