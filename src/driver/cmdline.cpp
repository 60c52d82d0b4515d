// cmdline.cpp — options, control files and the texts about them. The usage
// that a command line without a control file prints is the program's
// historic one, byte for byte.
#include "driver/cmdline.h"

#include <cstdio>

#include "output/decode.h"
#include "diag.h"
#include "version.h"

namespace {

const char* const kHelp =
    "Usage: cmd7420 [OPTION]... CONTROLFILE...\n"
    "       cmd7420 --decode FILE [NEW]\n"
    "Compiles each control file into the TQ7420 register set-up it describes,\n"
    "in turn, as separate runs would.\n"
    "\n"
    "Options (before the control files):\n"
    "  -h, --help            print this help and exit\n"
    "  -V, --version         print the program name and version and exit\n"
    "  -o, --output-dir DIR  write the outputs and cmd7420TmpCmdFile into DIR\n"
    "      --check           write no file; repeat each problem as FILE:LINE: TEXT\n"
    "      --summary         print a table of each channel's plan after the run\n"
    "      --decode FILE [NEW]  list a register image, or compare two (alone)\n"
    "      --                end the options (for a control file named -x)\n"
    "\n"
    "Exit status: 0 no error; 1 an error was reported or a run stopped early;\n"
    "2 wrong command line; 255 the filter planning could not continue. With\n"
    "several control files, the highest status of the runs (255 the highest).\n"
    "With --decode: 0 listed or equal, 1 the images differ, 2 usage or read error.\n";

bool is_option(const std::string& word) { return word.size() >= 2 && word[0] == '-'; }

bool starts_with(const std::string& s, const char* prefix) {
  return s.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

CommandLine usage_error(const std::string& problem) {
  CommandLine cl;
  cl.action = CommandLine::Action::kUsage;
  cl.problem = problem;
  return cl;
}

}  // namespace

CommandLine parse_command_line(int argc, char** argv) {
  CommandLine cl;
  std::vector<std::string> words(argv + 1, argv + argc);
  if (!words.empty() && words[0] == kDecodeOption) {
    cl.action = CommandLine::Action::kDecode;
    cl.files.assign(words.begin() + 1, words.end());
    return cl;
  }
  size_t i = 0;
  bool options_ended = false;
  for (; i < words.size() && is_option(words[i]); ++i) {
    const std::string& w = words[i];
    if (w == "--") {
      ++i;
      options_ended = true;
      break;
    }
    if (w == "-h" || w == "--help" || w == "-V" || w == "--version") {
      cl.action = w == "-h" || w == "--help" ? CommandLine::Action::kHelp
                                             : CommandLine::Action::kVersion;
      return cl;
    }
    if (w == "--check") {
      cl.check = true;
    } else if (w == "--summary") {
      cl.summary = true;
    } else if (w == "-o" || w == "--output-dir") {
      if (i + 1 == words.size()) return usage_error("Option " + w + " needs a directory");
      cl.output_dir = words[++i];
      cl.has_output_dir = true;
    } else if (starts_with(w, "--output-dir=")) {
      cl.output_dir = w.substr(std::char_traits<char>::length("--output-dir="));
      cl.has_output_dir = true;
    } else if (starts_with(w, "-o")) {  // -oDIR
      cl.output_dir = w.substr(2);
      cl.has_output_dir = true;
    } else if (w == kDecodeOption) {
      return usage_error("Option --decode comes first and takes no other option");
    } else {
      return usage_error("Unknown option: " + w);
    }
  }
  cl.files.assign(words.begin() + static_cast<long>(i), words.end());
  // An option among the control files was most likely meant as one.
  for (const std::string& f : cl.files)
    if (!options_ended && is_option(f))
      return usage_error("Option " + f + " must come before the control files");
  cl.action = cl.files.empty() ? CommandLine::Action::kUsage : CommandLine::Action::kCompile;
  return cl;
}

int print_usage(const std::string& problem) {
  if (!problem.empty()) report_outside_run(problem + "\n");
  report_outside_run("Usage: cmd7420 controlfile\n");
  report_outside_run(strfmt(" Version: %s, %s\n", kRevision, kBuildDate));
  return 2;
}

int print_help_text() {
  std::fputs(kHelp, stdout);
  return 0;
}

int print_version() {
  std::printf("cmd7420 %s, %s\n", kRevision, kBuildDate);
  return 0;
}
