// jsonout.cpp — the JSON document of a run, built with nlohmann::ordered_json
// so that variables keep the catalogue order of the table output.
#include "output/jsonout.h"

#include <nlohmann/json.hpp>

#include "diag.h"
#include "version.h"
#include "vartable/origins.h"
#include "records.h"
#include "output/setregs.h"
#include "vartable/strtab.h"

namespace {

using Json = nlohmann::ordered_json;

constexpr int kFormatVersion = 1;
constexpr int kRamWords = 16;
constexpr int kCoefRamWords = 256;

const char* direction_of(int mode) {
  return mode == kModeTransmit ? "transmit" : mode == kModeReceive ? "receive" : nullptr;
}

Json direction_json(int mode) {
  const char* d = direction_of(mode);
  return d ? Json(d) : Json(nullptr);
}

bool has_values(const yyy_STRTAB* s) {
  return is_double(s) ? s->dvalue[0] != nullptr : s->value[0] != nullptr;
}

Json variable(const yyy_STRTAB* s, int ch) {
  int c = s->regtype == 0 ? 0 : ch;
  Json v = Json::object();
  if (is_double(s))
    v["value"] = *s->dvalue[c];
  else
    v["value"] = *s->value[c];
  v["origin"] = origin_name(origin_of(s, ch));
  return v;
}

// Chip-wide (`per_channel` false) or one channel's variables, in catalogue order.
Json variables(bool per_channel, int ch) {
  Json vars = Json::object();
  for (int i = 0; i < nfields; ++i) {
    const yyy_STRTAB* s = fields[i];
    if (!has_values(s) || (s->regtype != 0) != per_channel) continue;
    vars[s->ptr] = variable(s, ch);
  }
  return vars;
}

Json words(const int* w, int n) { return Json(std::vector<int>(w, w + n)); }

Json channel(int ch) {
  const CHAN& c = chan[ch];
  Json j = Json::object();
  j["channel"] = ch;
  j["name"] = std::string(1, static_cast<char>('A' + ch));
  j["direction"] = direction_json(g.mode[ch / 2]);
  j["powered_down"] = c.powerdown != 0;
  j["filter_case"] = c.filter_case[0] ? Json(c.filter_case) : Json(nullptr);
  j["variables"] = variables(true, ch);
  j["coefficients"] = words(c.coefs, c.ncoefs > 0 ? std::min(c.ncoefs, kMaxCoefs) : 0);
  j["coefficient_ram"] = words(c.coefram, kCoefRamWords);
  j["swap_ram"] = words(c.swapram, kRamWords);
  j["back_end_ram"] = words(c.beram, kRamWords);
  return j;
}

Json registers() {
  Json list = Json::array();
  for (int i = 0; i < kNumRegs; ++i) {
    if (regs[i] == kRegUnwritten) continue;
    RegLocation at = reg_location(i);
    Json r = Json::object();
    r["page"] = at.page == kDirectPage ? Json(nullptr) : Json(at.page);
    r["address"] = at.addr;
    r["value"] = regs[i];
    list.push_back(r);
  }
  return list;
}

Json diagnostics() {
  Json list = Json::array();
  for (const RunDiagnostic& d : run_diagnostics()) {
    Json j = Json::object();
    j["severity"] = d.severity == Severity::kError ? "error" : "warning";
    j["text"] = one_line(d.text);
    j["file"] = d.where.file;
    j["line"] = d.where.line;
    list.push_back(j);
  }
  return list;
}

}  // namespace

std::string json_text(const std::string& control_name) {
  Json doc = Json::object();
  doc["format"] = "cmd7420";
  doc["format_version"] = kFormatVersion;
  doc["program_version"] = strfmt("%s, %s", kRevision, kBuildDate);
  doc["control_file"] = control_name;
  doc["modes"] = {{"AB", direction_json(g.mode[0])}, {"CD", direction_json(g.mode[1])}};
  doc["chip"] = variables(false, 0);
  Json channels = Json::array();
  for (int ch = 0; ch < kNumChannels; ++ch) channels.push_back(channel(ch));
  doc["channels"] = channels;
  doc["registers"] = registers();
  doc["diagnostics"] = diagnostics();
  // Control-file text need not be UTF-8: bytes that are not are replaced.
  return doc.dump(1, ' ', false, Json::error_handler_t::replace) + "\n";
}
