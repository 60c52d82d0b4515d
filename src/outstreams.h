// outstreams.h — the streams of the open output files, one per printout bit.
// The outputs module (output/outputs) opens and drops them; the reports
// (diag) and the writers add to them. They sit on the ground floor so that
// every stage that writes text reaches them without including the outputs.
#pragma once
#include <cstdio>
#include <memory>

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Output files, one per `printout` bit of g.
enum OutputBit {
  kOutAnl = 1,
  kOutKx330 = 2,
  kOutSim = 4,
  kOutTbl = 8,
  kOutDbg = 16,
  kOutH = 32,
  kOutResponse = 64,  // NAME.csv and NAME.svg, whole texts added at the end
  kOutJson = 128,     // NAME.json, a whole text added at the end
};
constexpr int kAllOutputs = 255;
// The outputs that carry the reports of a run rather than its register image.
constexpr int kReportOutputs = kOutAnl | kOutDbg;

// Null while the output is not open.
extern FilePtr f_anl, f_kx330, f_sim, f_tbl, f_dbg, f_h;

// The handle slot of one output bit (kOutAnl ... kOutH).
FilePtr& output_file(int bit);

class OutputText;
// The text that output `bit` collects, for writers that add to it directly
// (textblock.h); null unless the output's handle is the stream that
// collects it.
OutputText* collected_text(int bit);

// Output `bit`'s stream `stream` collects into `text` (both null: it no
// longer does); the outputs module says so as it opens and drops outputs.
void set_collected_text(int bit, std::FILE* stream, OutputText* text);
