// harness.cpp — scratch directory and in-process runs for the fuzz targets.
#include "harness.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "diag.h"
#include "driver/driver.h"

namespace {

struct ProgramEnded {
  int status;
};

[[noreturn]] void throw_end(int status) { throw ProgramEnded{status}; }

void remove_directory_contents(const std::string& dir) {
  DIR* d = opendir(dir.c_str());
  if (!d) return;
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (name != "." && name != "..") unlink((dir + "/" + name).c_str());
  }
  closedir(d);
}

std::string& scratch_dir() {
  static std::string dir;
  return dir;
}

void remove_scratch_dir() {
  remove_directory_contents(scratch_dir());
  rmdir(scratch_dir().c_str());
}

}  // namespace

void enter_clean_scratch_dir() {
  std::string& dir = scratch_dir();
  if (dir.empty()) {
    const char* tmp = std::getenv("TMPDIR");
    std::string tmpl = std::string(tmp && *tmp ? tmp : "/tmp") + "/cmd7420_fuzz_XXXXXX";
    if (!mkdtemp(&tmpl[0]) || chdir(tmpl.c_str()) != 0) {
      std::perror("cmd7420 fuzz: scratch directory");
      std::abort();
    }
    dir = tmpl;
    std::atexit(remove_scratch_dir);
  }
  remove_directory_contents(dir);
}

void write_bytes(const std::string& name, const unsigned char* data, size_t size) {
  std::FILE* f = std::fopen(name.c_str(), "wb");
  if (!f || (size > 0 && std::fwrite(data, 1, size, f) != size)) {
    std::perror(name.c_str());
    std::abort();
  }
  std::fclose(f);
}

int run_in_process(const std::string& control_file) {
  set_end_hook(throw_end);
  char prog[] = "cmd7420";
  std::string arg = control_file;
  char* argv[] = {prog, &arg[0], nullptr};
  try {
    // As main does: the end of the run decides which outputs replace their files.
    end_program(run_program(2, argv));
  } catch (const ProgramEnded& e) {
    return e.status;
  }
}

bool names_special_files(const std::string& text) {
  for (const char* dir : {"dev/", "proc/", "sys/", "run/", "fd/"})
    if (text.find(dir) != std::string::npos) return true;
  return false;
}
