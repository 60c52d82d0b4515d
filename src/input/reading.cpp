// reading.cpp — opening and reading the user's files, and the inputs a run
// has read.
#include "input/reading.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace {

void (*before_reading)(const std::string& path) = nullptr;
bool (*output_replaces)(std::FILE* f) = nullptr;

std::vector<FileId> control_inputs;
std::vector<FileId> coefficient_inputs;

void note(std::vector<FileId>& files, std::FILE* f) {
  FileId id;
  if (file_id(f, &id)) files.push_back(id);
}

bool is_one_of(const std::vector<FileId>& files, const std::string& path) {
  FileId id;
  if (!path_id(path, &id)) return false;
  for (const FileId& in : files)
    if (same_file(in, id)) return true;
  return false;
}

}  // namespace

std::FILE* open_readable(const std::string& path, bool* not_regular) {
  if (before_reading) before_reading(path);
  struct stat st;
  // Not blocking in the open itself, as a FIFO without a writer would.
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    // A socket cannot be opened at all; say why.
    if (not_regular && stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) *not_regular = true;
    return nullptr;
  }
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (not_regular) *not_regular = true;
    close(fd);
    return nullptr;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::FILE* f = fdopen(fd, "r");
  if (!f) close(fd);
  return f;
}

bool read_piece(std::FILE* f, size_t max, std::string& out) {
  out.clear();
  // Characters are gathered a chunk at a time, and read without a lock
  // each: the file is this thread's alone.
  char chunk[128];
  size_t n = 0;
  int c = 0;
  while (out.size() + n < max && (c = getc_unlocked(f)) != EOF) {
    chunk[n++] = static_cast<char>(c);
    if (c == '\n') break;
    if (n == sizeof chunk) {
      out.append(chunk, n);
      n = 0;
    }
  }
  out.append(chunk, n);
  return !out.empty();
}

std::string without_line_end(std::string text) {
  if (!text.empty() && text.back() == '\n') text.pop_back();
  if (!text.empty() && text.back() == '\r') text.pop_back();
  return text;
}

std::string name_stem(const std::string& name) {
  // Only the file-name part is cut, so that "./cfg/rx.txt" gives "./cfg/rx"
  // rather than ".".
  size_t slash = name.rfind('/');
  size_t base = slash == std::string::npos ? 0 : slash + 1;
  return name.substr(0, name.find('.', base));
}

std::string directory_part(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

std::string file_name_part(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool file_id(std::FILE* f, FileId* id) {
  struct stat st;
  if (!f || fstat(fileno(f), &st) != 0) return false;
  *id = {st.st_dev, st.st_ino};
  return true;
}

bool path_id(const std::string& path, FileId* id) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  *id = {st.st_dev, st.st_ino};
  return true;
}

bool same_file(const FileId& a, const FileId& b) { return a.dev == b.dev && a.ino == b.ino; }

void note_control_input(std::FILE* f) { note(control_inputs, f); }
void note_coefficient_input(std::FILE* f) { note(coefficient_inputs, f); }
bool is_control_input(const std::string& path) { return is_one_of(control_inputs, path); }
bool is_coefficient_input(const std::string& path) { return is_one_of(coefficient_inputs, path); }

void forget_inputs() {
  control_inputs.clear();
  coefficient_inputs.clear();
}

void set_before_reading(void (*hook)(const std::string& path)) { before_reading = hook; }

void set_output_check(bool (*replaces)(std::FILE* f)) { output_replaces = replaces; }

bool replaced_by_output(std::FILE* f) { return output_replaces && output_replaces(f); }
