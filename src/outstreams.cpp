// outstreams.cpp — the handle slots of the output files and the texts their
// streams collect into.
#include "outstreams.h"

FilePtr f_anl, f_kx330, f_sim, f_tbl, f_dbg, f_h;

namespace {

struct Collecting {
  std::FILE* stream = nullptr;
  OutputText* text = nullptr;
};
Collecting collecting[6];  // by the bit's position, kOutAnl ... kOutH

int position(int bit) {
  int i = 0;
  while (i < 5 && (1 << i) != bit) ++i;
  return i;
}

}  // namespace

FilePtr& output_file(int bit) {
  switch (bit) {
    case kOutAnl: return f_anl;
    case kOutKx330: return f_kx330;
    case kOutSim: return f_sim;
    case kOutTbl: return f_tbl;
    case kOutDbg: return f_dbg;
    default: return f_h;
  }
}

OutputText* collected_text(int bit) {
  const Collecting& c = collecting[position(bit)];
  std::FILE* f = output_file(bit).get();
  return f && f == c.stream ? c.text : nullptr;
}

void set_collected_text(int bit, std::FILE* stream, OutputText* text) {
  collecting[position(bit)] = {stream, text};
}
