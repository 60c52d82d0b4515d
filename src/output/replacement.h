// replacement.h — a file replaced whole or not at all. The new content goes to
// a hidden temporary beside the file (".NAME.XXXXXX", random suffix) that is
// renamed over the file's name once complete, so a reader, a concurrent run
// or a crash never sees half of it. The temporaries alive at any moment are
// known to a signal handler: SIGINT, SIGTERM or SIGHUP removes them before
// the signal ends the process.
#pragma once
#include <csignal>
#include <cstddef>
#include <string>

class ReplacementFile {
 public:
  ReplacementFile() = default;
  ~ReplacementFile() { discard(); }
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // Creates the temporary in the directory of `target`, with the permissions
  // of the regular file `target` or, when there is none, those a new file
  // gets. Refuses a target that is a regular file this process may not write
  // (EACCES) or anything but a regular file or a symbolic link (EISDIR for a
  // directory, EINVAL otherwise). Returns 0 or the errno of the failure.
  int create(const std::string& target);
  // Makes `data` the whole content of the temporary; may be called again.
  // Returns 0 or the errno of the failure.
  int write_all(const char* data, size_t size);
  // Closes the temporary; it can no longer be written. Returns 0 or errno.
  int close();
  // Closes the temporary if still open and renames it over the target (a
  // symbolic link named like the target is replaced, not followed). On
  // failure the temporary is removed. Returns 0 or errno.
  int commit();
  // Removes the temporary; the target stays as it was.
  void discard();

  bool active() const { return slot_ >= 0; }
  bool closed() const { return fd_ < 0; }
  const std::string& target() const { return target_; }

 private:
  std::string target_;
  int fd_ = -1;
  int slot_ = -1;  // this temporary's entry in the signal handler's table
};

// Whether ReplacementFile::create would refuse `target`, or fail for want of
// permission to create its temporary beside it, without creating anything:
// 0, or the errno.
int replacement_refused(const std::string& target);

// Blocks SIGINT, SIGTERM and SIGHUP for its lifetime: a stop that comes
// while several files are renamed takes effect once they all are, so that
// it never leaves some of them replaced and others not.
class StopSignalsHeld {
 public:
  StopSignalsHeld();
  ~StopSignalsHeld();
  StopSignalsHeld(const StopSignalsHeld&) = delete;
  StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;

 private:
  sigset_t previous_;
};

enum class Reached { kRegular, kNothing, kOther, kError };

// The file that writing to `path` reaches, through any symbolic links: a
// regular file, nothing yet (a new file would be created there), something
// else, or no answer (a loop, an unreadable directory). `target` is the path
// of the file reached (or to be created).
Reached follow_links(const std::string& path, std::string* target);

// Where `path` leads through its symbolic links, as an absolute path with
// its directory resolved; empty when that cannot be told. Two paths that
// lead to the same location name the same file, existing or not.
std::string resolved_location(const std::string& path);
