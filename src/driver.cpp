// driver.cpp — the program's entry sequence: command line, temporary command
// file, the interpreter passes and every computation, check and output pass in
// their fixed order.
#include "driver.h"

#include <vector>

#include "agenconf.h"
#include "catalog.h"
#include "cmdin.h"
#include "config.h"
#include "decode.h"
#include "defaults.h"
#include "gain.h"
#include "pfir.h"
#include "preconfig.h"
#include "records.h"
#include "responseout.h"
#include "replacement.h"
#include "sanity.h"
#include "setregs.h"
#include "strtab.h"
#include "writeit.h"

const char* const kRevision = "revWorking";
const char* const kBuildDate = "Feb 14 2005";
const char* const kTmpCmdFile = "cmd7420TmpCmdFile";

namespace {

const char* const kModule = "driver";

// The temporary command file is written for the user to read, never read
// back: it replaces the one of an earlier run in one rename once the
// cleaning ends, so a concurrent run or a symbolic link in its place sees
// no half of it.
ReplacementFile tmp_cmd_file;

// Writes what the cleaning produced (all of it, or what it got to before an
// error) as the temporary command file; false, with the error reported, when
// it cannot be written.
bool save_temporary_command_file() {
  const std::string text = expanded_text();
  int error = tmp_cmd_file.write_all(text.data(), text.size());
  if (error == 0) error = tmp_cmd_file.commit();
  if (error == 0) return true;
  tmp_cmd_file.discard();
  report_write_error(kTmpCmdFile, error);
  return false;
}

int usage() {
  std::fputs("Usage: cmd7420 controlfile\n", stderr);
  std::fprintf(stderr, " Version: %s, %s\n", kRevision, kBuildDate);
  return 2;
}

// Everything after the first interpreter pass, when that pass succeeded.
int compute_and_write(const std::string& name, int* over_ride) {
  mymsgfun(strfmt("cmd7420 - %s, %s\n", kRevision, kBuildDate));
  preconfig();
  ck_mandatory();
  config();
  sanity();
  for (int c = 0; c < kNumChannels; ++c) pfir_analysis(c);
  calc_power();
  if (*over_ride && cmdin(name, over_ride) != 0) return 1;
  setregs();
  writeall();
  if (g.printout & kOutResponse) write_response(name);
  close_outputs();
  return exit_status;
}

}  // namespace

void init() {
  // Whatever an earlier run in this process left unfinished is abandoned.
  discard_outputs();
  tmp_cmd_file.discard();
  reset_records();
  reset_strtab();
  exit_status = 0;
  reset_cmdin();
  reset_setregs();
  reset_writeit();
  reset_agenconf();
  initstrtab();
  for (CHAN& c : chan) c.ncoefs = -1;
}

std::string output_path(const std::string& firstname, const char* lastname) {
  // Only the file-name part is cut, so that "./cfg/rx.txt" gives
  // "./cfg/rx.anl" rather than a hidden ".anl".
  size_t slash = firstname.rfind('/');
  size_t base = slash == std::string::npos ? 0 : slash + 1;
  size_t dot = firstname.find('.', base);
  std::string cut = firstname.substr(0, dot);
  return cut + "." + lastname;
}

std::FILE* myopen(const std::string& firstname, const char* lastname, int bit) {
  std::string path = output_path(firstname, lastname);
  // A control file named like its own output (rx.anl asking for the
  // analysis) would be replaced.
  if (is_control_input(path)) {
    std::fprintf(stderr, "Couldn't open %s: it is the control file or one it includes\n",
                 path.c_str());
    end_program(1);
  }
  switch (open_output(bit, path)) {
    case OutputOpen::kOpened:
      break;
    case OutputOpen::kNotRegular:
      // A device or FIFO would take the image somewhere else, or block.
      std::fprintf(stderr, "Couldn't open %s: not a regular file\n", path.c_str());
      end_program(1);
    case OutputOpen::kFailed:
      std::fprintf(stderr, "Couldn't open %s\n", path.c_str());
      end_program(1);
  }
  std::FILE* f = output_file(bit).get();
  if (std::string(lastname) == "h") {
    std::string cut = path.substr(0, path.size() - 2);
    std::fprintf(f, "/* hfile for %s configuration; necessary for config_tq7420 function */\n\n",
                 cut.c_str());
  }
  return f;
}

int run_program(int argc, char** argv) {
  // Reading an image back compiles nothing and writes no file.
  if (argc >= 2 && std::string(argv[1]) == kDecodeOption)
    return decode_command(std::vector<std::string>(argv + 2, argv + argc));
  if (argc != 2) return usage();
  const std::string name = argv[1];
  init();
  int over_ride = 0;
  if (names_temporary_command_file(name)) {
    myerrfun(strfmt("%s is the temporary command file", name.c_str()), kModule, 2);
    return 1;
  }
  if (tmp_cmd_file.create(kTmpCmdFile) != 0) {
    myerrfun("Could not open temporary command file for writing", kModule, 1);
    return 1;
  }
  bool cleaned = createTmpCmdFile(name) == 0;
  if (!save_temporary_command_file() || !cleaned) return 1;
  if (cmdin(name, &over_ride) == 1) return 1;
  return compute_and_write(name, &over_ride);
}
