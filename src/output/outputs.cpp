// outputs.cpp — output files kept in memory until the end of the run, then
// saved to temporaries and renamed over their names (in a dry run, only their
// names are checked).
#include "output/outputs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <list>
#include <utility>

#include "diag.h"
#include "input/reading.h"
#include "records.h"
#include "output/replacement.h"
#include "output/textblock.h"

namespace {

enum class OutputOpen { kOpened, kFailed, kNotRegular };

struct OutputFailure {
  std::string name;  // the output's name as the run formed it
  int error = 0;     // errno
};

// The order in which outputs are saved, replaced and closed.
constexpr int kOutputOrder[] = {kOutAnl, kOutKx330, kOutSim, kOutTbl, kOutDbg, kOutH};

// An open output: its text so far, which the stream in its handle slot and
// the writers add to, and the temporary that will replace its file.
struct PendingOutput {
  std::string name;
  ReplacementFile file;
  OutputText text;
};
PendingOutput pending[6];

// The stream's write function. The stream keeps no buffer of its own, so
// every write reaches the text at once and the writers can add to the same
// text directly (a memory stream would copy it once more, and clear every
// part it grows by).
ssize_t append_to_text(void* cookie, const char* data, size_t size) {
  if (static_cast<PendingOutput*>(cookie)->text.append(data, size))
    return static_cast<ssize_t>(size);
  errno = ENOMEM;
  return 0;  // the stream's error
}

std::FILE* open_text_stream(PendingOutput& p) {
  cookie_io_functions_t io{};
  io.write = append_to_text;
  std::FILE* f = fopencookie(&p, "w", io);
  if (f) std::setvbuf(f, nullptr, _IONBF, 0);
  return f;
}

// An output whose whole text was given at once.
struct WholeOutput {
  int bit = 0;
  std::string name;
  std::string text;
  ReplacementFile file;
};
std::list<WholeOutput> whole_outputs;

// Set for --check: outputs are opened and named as usual, but no file is
// created, written or replaced.
bool dry_run = false;

PendingOutput& pending_of(int bit) {
  int i = 0;
  while (i < 5 && kOutputOrder[i] != bit) ++i;
  return pending[i];
}

// Closes the output's handle and forgets it; a temporary that was not
// renamed is removed.
void drop(int bit) {
  PendingOutput& p = pending_of(bit);
  output_file(bit).reset();
  p.text.clear();
  p.file.discard();
  p.name.clear();
  set_collected_text(bit, nullptr, nullptr);
  g.printout &= ~bit;
}

}  // namespace

namespace {

// Opens output `bit` to replace `path` at the end of the run and sets its
// printout bit. A symbolic link is followed: its target is replaced and the
// link stays. Refused (kNotRegular) when `path` leads to anything but a
// regular file or nothing; kFailed when the file could not be written.
OutputOpen open_output(int bit, const std::string& path) {
  drop(bit);
  std::string target;
  switch (follow_links(path, &target)) {
    case Reached::kOther: return OutputOpen::kNotRegular;
    case Reached::kError: return OutputOpen::kFailed;
    default: break;
  }
  PendingOutput& p = pending_of(bit);
  // A dry run only checks that the temporary could be created.
  if ((dry_run ? replacement_refused(target) : p.file.create(target)) != 0)
    return OutputOpen::kFailed;
  std::FILE* f = open_text_stream(p);
  if (!f) {
    p.file.discard();
    return OutputOpen::kFailed;
  }
  output_file(bit).reset(f);
  set_collected_text(bit, f, &p.text);
  p.name = path;
  g.printout |= bit;
  return OutputOpen::kOpened;
}

// Writes each open output of `bits` whole to its temporary and closes it.
// At the first failure, drops that output (its name keeps its old file)
// and returns false with what failed; the others of `bits` are written again
// by the next call, with whatever was added to them meanwhile.
bool save_outputs(int bits, OutputFailure* failure) {
  auto fail = [&](int bit, int error) {
    *failure = {pending_of(bit).name, error};
    drop(bit);
    return false;
  };
  auto to_save = [&](int bit) {
    const PendingOutput& p = pending_of(bit);
    return (bits & bit) && p.file.active() && !p.file.closed();
  };
  for (int bit : kOutputOrder) {
    if (!to_save(bit)) continue;
    PendingOutput& p = pending_of(bit);
    std::FILE* f = output_file(bit).get();
    // The text fails only for want of memory.
    if (std::fflush(f) != 0 || std::ferror(f) || p.text.failed()) return fail(bit, ENOMEM);
    if (int error = p.file.write_all(p.text.data(), p.text.size())) return fail(bit, error);
  }
  for (int bit : kOutputOrder) {
    if (!to_save(bit)) continue;
    if (int error = pending_of(bit).file.close()) return fail(bit, error);
  }
  for (auto w = whole_outputs.begin(); w != whole_outputs.end(); ++w) {
    if (!(bits & w->bit) || w->file.closed()) continue;
    int error = w->file.write_all(w->text.data(), w->text.size());
    if (error == 0) error = w->file.close();
    if (error != 0) {
      *failure = {w->name, error};
      whole_outputs.erase(w);
      return false;
    }
  }
  return true;
}

// Renames the saved outputs of `bits` over their names and drops every other
// open output, clearing their printout bits. At a rename that fails, drops
// that output (its name keeps its old file) and returns false with what
// failed; the next call goes on with the outputs still open.
bool replace_outputs(int bits, OutputFailure* failure) {
  for (int bit : kOutputOrder) {
    PendingOutput& p = pending_of(bit);
    if ((bits & bit) && p.file.active() && p.file.closed()) {
      if (int error = p.file.commit()) {
        *failure = {p.name, error};
        drop(bit);
        return false;
      }
    }
    drop(bit);
  }
  while (!whole_outputs.empty()) {
    WholeOutput& w = whole_outputs.front();
    int error = (bits & w.bit) && w.file.closed() ? w.file.commit() : 0;
    if (error != 0) *failure = {w.name, error};
    g.printout &= ~w.bit;
    whole_outputs.pop_front();
    if (error != 0) return false;
  }
  return true;
}

// Adds an output whose whole text is known at once (the response table and
// plot): `path` is replaced by `text` together with the outputs of `bit`.
// Refused as open_output refuses.
OutputOpen add_whole_output(int bit, const std::string& path, std::string text) {
  std::string target;
  switch (follow_links(path, &target)) {
    case Reached::kOther: return OutputOpen::kNotRegular;
    case Reached::kError: return OutputOpen::kFailed;
    default: break;
  }
  if (dry_run) return replacement_refused(target) == 0 ? OutputOpen::kOpened : OutputOpen::kFailed;
  whole_outputs.emplace_back();
  WholeOutput& w = whole_outputs.back();
  if (w.file.create(target) != 0) {
    whole_outputs.pop_back();
    return OutputOpen::kFailed;
  }
  w.bit = bit;
  w.name = path;
  w.text = std::move(text);
  return OutputOpen::kOpened;
}

}  // namespace

bool output_replaces(std::FILE* f) {
  struct stat in, out;
  if (fstat(fileno(f), &in) != 0) return false;
  for (int bit : kOutputOrder) {
    const PendingOutput& p = pending_of(bit);
    if ((g.printout & bit) && !p.name.empty() && stat(p.name.c_str(), &out) == 0 &&
        out.st_dev == in.st_dev && out.st_ino == in.st_ino)
      return true;
  }
  return false;
}

void discard_outputs() {
  for (int bit : kOutputOrder) drop(bit);
  whole_outputs.clear();
}

void set_dry_run(bool dry) { dry_run = dry; }

namespace {

// Saves and renames the open outputs of `bits` and drops the others. A write
// error is reported (into the outputs still open, too) and narrows the
// outputs replaced to the reports: a register image that was not written
// whole must not stand beside ones that were. True when nothing failed.
bool replace_open_outputs(int bits) {
  bool clean = true;
  OutputFailure failure;
  while (!save_outputs(bits, &failure)) {
    report_write_error(failure.name, failure.error);
    bits &= kReportOutputs;
    clean = false;
  }
  {
    StopSignalsHeld held;
    while (!replace_outputs(bits, &failure)) {
      report_write_error(failure.name, failure.error);
      bits &= kReportOutputs;
      clean = false;
    }
  }
  return clean;
}

}  // namespace

void close_outputs() { replace_open_outputs(kAllOutputs); }

int finish_run(int status) {
  if (!replace_open_outputs(kReportOutputs) && status == 0) status = 1;
  return status;
}

// ---- Names of the outputs ----

namespace {

const char* const kTmpCmdFile = "cmd7420TmpCmdFile";
std::string output_dir;  // of -o; empty: outputs beside the control file

std::string in_output_dir(const std::string& path) {
  if (output_dir.empty()) return path;
  std::string dir = output_dir;
  if (dir.back() != '/') dir += '/';
  return dir + file_name_part(path);
}

// The name of an output file: the control-file name cut at the first '.' of
// its file-name part, then "." and the extension.
std::string output_path(const std::string& firstname, const char* lastname) {
  // "./cfg/rx.txt" gives "./cfg/rx.anl" rather than a hidden ".anl".
  return name_stem(firstname) + "." + lastname;
}

// The file the output named after `firstname` with the extension `lastname`
// is written to: under its name, or under its file-name part in the output
// directory.
std::string output_location(const std::string& firstname, const char* lastname) {
  return in_output_dir(output_path(firstname, lastname));
}

// Ends the run when an output could not be opened or added at `path`.
void end_run_unless_opened(OutputOpen opened, const std::string& path) {
  switch (opened) {
    case OutputOpen::kOpened:
      return;
    case OutputOpen::kNotRegular:
      // A device or FIFO would take the image somewhere else, or block.
      report_stderr_only(Severity::kError,
                         strfmt("Couldn't open %s: not a regular file\n", path.c_str()));
      end_run(1);
    case OutputOpen::kFailed:
      report_stderr_only(Severity::kError, strfmt("Couldn't open %s\n", path.c_str()));
      end_run(1);
  }
}

// A control, include or coefficient file named like an output (rx.anl
// asking for the analysis, taps rx.h beside rx.txt asking for the header)
// would be replaced.
void end_run_if_control_input(const std::string& path) {
  const char* why = is_control_input(path)       ? "it is the control file or one it includes"
                    : is_coefficient_input(path) ? "it is a coefficient file of this run"
                                                 : nullptr;
  if (!why) return;
  report_stderr_only(Severity::kError, strfmt("Couldn't open %s: %s\n", path.c_str(), why));
  end_run(1);
}

// Opens an output at `path` by `open` (open_output or add_whole_output),
// unless it would replace an input of the run; ends the run when refused or
// failed. The one check of every output name.
template <typename Open>
void open_or_end_run(const std::string& path, Open open) {
  end_run_if_control_input(path);
  end_run_unless_opened(open(), path);
}

}  // namespace

void set_output_directory(const std::string& dir) { output_dir = dir; }

std::string temporary_command_file() { return in_output_dir(kTmpCmdFile); }

std::FILE* myopen(const std::string& firstname, const char* lastname, int bit) {
  std::string path = output_location(firstname, lastname);
  open_or_end_run(path, [&] { return open_output(bit, path); });
  std::FILE* f = output_file(bit).get();
  if (std::string(lastname) == "h") {
    // The name as the control file gives it, wherever the file goes.
    std::string name = output_path(firstname, lastname);
    std::string cut = name.substr(0, name.size() - 2);
    std::fprintf(f, "/* hfile for %s configuration; necessary for config_tq7420 function */\n\n",
                 cut.c_str());
  }
  return f;
}

void add_output_text(const std::string& firstname, const char* lastname, int bit,
                     std::string text) {
  std::string path = output_location(firstname, lastname);
  open_or_end_run(path, [&] { return add_whole_output(bit, path, std::move(text)); });
}

