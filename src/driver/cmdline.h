// cmdline.h — the command line: options first, then one or more control
// files (or `--decode` and its images); the usage, help and version texts.
#pragma once
#include <string>
#include <vector>

struct CommandLine {
  enum class Action { kCompile, kDecode, kHelp, kVersion, kUsage };
  Action action = Action::kUsage;
  std::string problem;  // kUsage: the line saying what is wrong, or empty
  bool check = false;
  bool summary = false;
  std::string output_dir;
  bool has_output_dir = false;
  std::vector<std::string> files;  // the control files, or the images to decode
};

// Reads the options from the left; the first word that is not an option
// (or the word after "--") starts the control files, among which an option
// is refused unless "--" came first. `--help` and `--version` act where
// they stand; `--decode` must be the first word.
CommandLine parse_command_line(int argc, char** argv);

// The usage on standard error (after the problem line, if any); returns 2.
int print_usage(const std::string& problem);
// The help on standard output; returns 0.
int print_help_text();
// The program name and version on standard output; returns 0.
int print_version();
