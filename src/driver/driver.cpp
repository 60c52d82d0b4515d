// driver.cpp — the program's entry sequence: the command line, then for each
// control file the temporary command file, the interpreter passes and every
// computation, check and output pass in their fixed order. A run that ends
// early unwinds to here, so that the next control file starts afresh.
#include "driver/driver.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "pfir/agenconf.h"
#include "vartable/catalog.h"
#include "input/cleaning.h"
#include "input/cmdin.h"
#include "input/reading.h"
#include "driver/cmdline.h"
#include "config/config.h"
#include "output/decode.h"
#include "vartable/defaults.h"
#include "config/gain.h"
#include "output/jsonout.h"
#include "vartable/origins.h"
#include "verify/pfiranalysis.h"
#include "config/preconfig.h"
#include "records.h"
#include "output/responseout.h"
#include "output/outputs.h"
#include "output/replacement.h"
#include "verify/sanity.h"
#include "output/setregs.h"
#include "vartable/strtab.h"
#include "output/summary.h"
#include "output/writeit.h"

namespace {

// Fixed output text, not source lines: the module and line tags of the
// driver's reports.
const char* const kModule = "driver";
constexpr int kLineTmpCmdFileUnwritable = 1;
constexpr int kLineControlIsTemporary = 2;

// What the options ask of every run.
struct RunOptions {
  bool check = false;      // compute and report, write nothing
  bool summary = false;    // the plan table after each run
  bool last_run = true;    // the last control file of the command line
};
RunOptions options;

// The temporary command file is written for the user to read, never read
// back: it replaces the one of an earlier run in one rename once the
// cleaning ends, so a concurrent run or a symbolic link in its place sees
// no half of it. Of the runs of one command line only the last one's text
// would stand at the end, so the earlier runs rewrite the temporary and the
// last renames it: a sweep spares the file system a replaced file per run.
ReplacementFile tmp_cmd_file;
bool earlier_run_text_waits = false;  // tmp_cmd_file holds an earlier run's text

// Renames the temporary command file over its name; false, with the error
// reported, when that fails.
bool commit_temporary_command_file() {
  earlier_run_text_waits = false;
  int error = tmp_cmd_file.commit();
  if (error == 0) return true;
  report_write_error(temporary_command_file(), error);
  return false;
}

// A run that reads the temporary command file (as its control file, an
// include or coefficients, under its name or through a link) reads what the
// run before it wrote, as separate runs would: the text still waiting in
// the temporary is put in place first.
void settle_before_reading(const std::string& path) {
  if (!earlier_run_text_waits) return;
  std::string location = resolved_location(path);
  if (location.empty() || location != resolved_location(temporary_command_file())) return;
  commit_temporary_command_file();
}

// Writes what the cleaning produced (all of it, or what it got to before an
// error) as the temporary command file; false, with the error reported, when
// it cannot be written.
bool save_temporary_command_file() {
  const std::string text = expanded_text();
  // The temporary was renamed already when this run read the file.
  int error = tmp_cmd_file.active() ? 0 : tmp_cmd_file.create(temporary_command_file());
  if (error == 0) error = tmp_cmd_file.write_all(text.data(), text.size());
  if (error != 0) {
    tmp_cmd_file.discard();
    report_write_error(temporary_command_file(), error);
    return false;
  }
  if (options.last_run) return commit_temporary_command_file();
  earlier_run_text_waits = true;
  return true;
}

// False, with the reason on standard error, when `dir` is no directory.
bool usable_output_directory(const std::string& dir) {
  struct stat st;
  int error = stat(dir.c_str(), &st) != 0 ? errno : S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
  if (error == 0) return true;
  report_outside_run(
      strfmt("Couldn't use output directory %s: %s\n", dir.c_str(), std::strerror(error)));
  return false;
}

// Everything after the first interpreter pass, when that pass succeeded.
int compute_and_write(const std::string& name, bool override_seen) {
  mymsgfun(strfmt("cmd7420 - %s, %s\n", kRevision, kBuildDate));
  preconfig();
  ck_mandatory();
  config();
  sanity();
  for (int c = 0; c < kNumChannels; ++c) {
    WorkingOnChannel working(c);
    pfir_analysis(c);
  }
  calc_power();
  note_values_computed();
  if (override_seen && cmdin(name, Pass::kOverride, nullptr) != 0) return 1;
  setregs();
  writeall();
  if (g.printout & kOutResponse) {
    ResponseTexts response = response_texts(name);
    add_output_text(name, "csv", kOutResponse, std::move(response.csv));
    add_output_text(name, "svg", kOutResponse, std::move(response.svg));
  }
  if (g.printout & kOutJson)
    add_output_text(name, "json", kOutJson, json_text(name));
  close_outputs();
  if (options.summary) std::fputs(summary_table(name).c_str(), stdout);
  return exit_status;
}

// One control file, from its cleaning to its outputs; an early end throws.
int compile(const std::string& name) {
  init();
  reset_source_locations(name);
  bool override_seen = false;
  if (names_temporary_command_file(name)) {
    myerrfun(strfmt("%s is the temporary command file", name.c_str()), kModule,
             kLineControlIsTemporary);
    return 1;
  }
  if (!options.check && !tmp_cmd_file.active() &&
      tmp_cmd_file.create(temporary_command_file()) != 0) {
    myerrfun("Could not open temporary command file for writing", kModule,
             kLineTmpCmdFileUnwritable);
    return 1;
  }
  bool cleaned = createTmpCmdFile(name) == 0;
  if (!options.check && !save_temporary_command_file()) return 1;
  if (!cleaned) return 1;
  if (cmdin(name, Pass::kFirst, &override_seen) == 1) return 1;
  note_values_read();
  return compute_and_write(name, override_seen);
}

// One control file as a separate process would run it; its exit status.
int run_one(const std::string& name) {
  int status;
  try {
    status = compile(name);
  } catch (const RunEnded& ended) {
    status = ended.status;
  }
  status = finish_run(status);
  if (options.check)
    for (const RunDiagnostic& d : run_diagnostics()) report_outside_run(located_line(d));
  // What the run printed comes before the next run's lines, as it would
  // from a process of its own.
  std::fflush(stdout);
  std::fflush(stderr);
  return status;
}

// The print command's opener of the output of `bit`.
void open_for_print(const std::string& control, const char* ext, int bit) {
  myopen(control, ext, bit);
}

// The status the shell sees: -1 is 255, the highest.
int shell_status(int status) { return status & 0xff; }

}  // namespace

void init() {
  // Whatever an earlier run in this process left unfinished is abandoned
  // (but for the temporary command file a command line's earlier run wrote).
  discard_outputs();
  reset_records();
  reset_strtab();
  exit_status = 0;
  reset_run_diagnostics();
  reset_source_locations("");
  reset_origins();
  reset_cmdin();
  set_temporary_command_file(temporary_command_file());
  set_print_opener(open_for_print);
  set_output_check(output_replaces);
  reset_setregs();
  reset_writeit();
  reset_agenconf();
  initstrtab();
  for (CHAN& c : chan) c.ncoefs = -1;
}

int run_program(int argc, char** argv) {
  CommandLine cl = parse_command_line(argc, argv);
  switch (cl.action) {
    case CommandLine::Action::kDecode:
      // Reading an image back compiles nothing and writes no file.
      return decode_command(cl.files);
    case CommandLine::Action::kHelp:
      return print_help_text();
    case CommandLine::Action::kVersion:
      return print_version();
    case CommandLine::Action::kUsage:
      return print_usage(cl.problem);
    case CommandLine::Action::kCompile:
      break;
  }
  options = RunOptions();
  options.check = cl.check;
  options.summary = cl.summary;
  set_output_directory("");
  if (cl.has_output_dir) {
    if (!usable_output_directory(cl.output_dir)) return 2;
    set_output_directory(cl.output_dir);
  }
  set_dry_run(options.check);
  tmp_cmd_file.discard();
  earlier_run_text_waits = false;
  set_before_reading(settle_before_reading);
  int worst = 0;
  for (size_t i = 0; i < cl.files.size(); ++i) {
    options.last_run = i + 1 == cl.files.size();
    worst = std::max(worst, shell_status(run_one(cl.files[i])));
  }
  // The last run stopped before its cleaning: an earlier run's text stands.
  if (earlier_run_text_waits && !commit_temporary_command_file()) worst = std::max(worst, 1);
  tmp_cmd_file.discard();
  return worst;
}
