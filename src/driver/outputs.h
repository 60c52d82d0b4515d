// outputs.h — the six output files of a run. An output is collected in memory
// from its print line on, while the diagnostics and writers add to it; at the
// end of the run it is written to a hidden temporary beside its final name
// and renamed over that name. So every output file is either one that a run
// wrote whole or the one that was there before. A dry run (--check) checks
// the names as a run does but creates no file at all.
#pragma once
#include <cstdio>
#include <memory>
#include <string>

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

extern FilePtr f_anl, f_kx330, f_sim, f_tbl, f_dbg, f_h;

// The handle slot of one output bit (kOutAnl ... kOutH).
FilePtr& output_file(int bit);

class OutputText;
// The text that output `bit` collects, for writers that add to it directly
// (textblock.h); null unless the output's handle is the stream that
// open_output opened.
OutputText* collected_text(int bit);

enum class OutputOpen { kOpened, kFailed, kNotRegular };

// Opens output `bit` to replace `path` at the end of the run and sets its
// printout bit. A symbolic link is followed: its target is replaced and the
// link stays. Refused (kNotRegular) when `path` leads to anything but a
// regular file or nothing; kFailed when the file could not be written.
OutputOpen open_output(int bit, const std::string& path);

struct OutputFailure {
  std::string name;  // the output's name as the run formed it
  int error = 0;     // errno
};

// Writes each open output of `bits` whole to its temporary and closes it.
// At the first failure, drops that output (its name keeps its old file)
// and returns false with what failed; the others of `bits` are written again
// by the next call, with whatever was added to them meanwhile.
bool save_outputs(int bits, OutputFailure* failure);

// Renames the saved outputs of `bits` over their names and drops every other
// open output, clearing their printout bits. At a rename that fails, drops
// that output (its name keeps its old file) and returns false with what
// failed; the next call goes on with the outputs still open.
bool replace_outputs(int bits, OutputFailure* failure);

// Adds an output whose whole text is known at once (the response table and
// plot): `path` is replaced by `text` together with the outputs of `bit`.
// Refused as open_output refuses.
OutputOpen add_whole_output(int bit, const std::string& path, std::string text);

// True when an open output would replace the file open as `f` (an input of
// the run that must not be lost).
bool output_replaces(std::FILE* f);

// Drops every open output (an abandoned in-process run).
void discard_outputs();

// From now on outputs are opened and added as usual, with the same refusals
// and a failure where a temporary could not be created, but no file is
// created, written or replaced.
void set_dry_run(bool dry);
