// replacement.cpp — files replaced by rename, and the signal handler that
// removes the temporaries of a run stopped by SIGINT, SIGTERM or SIGHUP.
#include "output/replacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kLongestName = 255;  // of one directory entry, on the usual file systems
const char* const kSuffix = ".XXXXXX";
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The temporaries alive now, as paths the handler can use without allocating:
// written only while the stop signals are blocked, read by the handler.
constexpr int kMaxTemporaries = 16;
char* volatile temporaries[kMaxTemporaries];

extern "C" void remove_temporaries_and_stop(int sig) {
  for (char* volatile& entry : temporaries) {
    char* path = entry;
    if (path) unlink(path);
  }
  // Ends the process as the signal would have, once this handler returns.
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

void install_stop_handler() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  struct sigaction action {};
  action.sa_handler = remove_temporaries_and_stop;
  sigemptyset(&action.sa_mask);
  for (int sig : kStopSignals) sigaddset(&action.sa_mask, sig);
  for (int sig : kStopSignals) {
    struct sigaction old {};
    // A signal ignored from the start (nohup, a background job) stays
    // ignored, and one that a host process handles (a test or fuzzing
    // harness running the program in-process) stays its own.
    if (sigaction(sig, nullptr, &old) != 0 || (old.sa_flags & SA_SIGINFO) ||
        old.sa_handler != SIG_DFL)
      continue;
    sigaction(sig, &action, nullptr);
  }
}

int free_slot() {
  for (int i = 0; i < kMaxTemporaries; ++i)
    if (!temporaries[i]) return i;
  return -1;
}

// The permissions a file created now gets: 0666 less the umask.
mode_t new_file_mode() {
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// Why `target` may not be replaced (an errno), or 0 with the permissions its
// replacement gets in *mode.
int refusal(const std::string& target, mode_t* mode) {
  *mode = new_file_mode();
  struct stat st;
  if (lstat(target.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return EISDIR;
    if (S_ISREG(st.st_mode)) {
      // Replacing a file that could not be opened for writing would bypass
      // its permissions.
      if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return errno;
      *mode = st.st_mode & 07777;
    } else if (!S_ISLNK(st.st_mode)) {
      return EINVAL;
    }
  } else if (errno != ENOENT) {
    return errno;
  }
  return 0;
}

constexpr int kMaxLinkHops = 40;  // as the system follows them

std::string directory_of(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

bool read_link(const std::string& path, std::string* target) {
  std::string buf(256, '\0');
  for (;;) {
    ssize_t n = readlink(path.c_str(), &buf[0], buf.size());
    if (n < 0) return false;
    if (static_cast<size_t>(n) < buf.size()) {
      buf.resize(static_cast<size_t>(n));
      *target = buf;
      return true;
    }
    buf.resize(buf.size() * 2);
  }
}

}  // namespace

Reached follow_links(const std::string& path, std::string* target) {
  std::string p = path;
  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    struct stat st;
    if (lstat(p.c_str(), &st) != 0) {
      *target = p;
      return errno == ENOENT ? Reached::kNothing : Reached::kError;
    }
    if (S_ISREG(st.st_mode)) {
      *target = p;
      return Reached::kRegular;
    }
    if (!S_ISLNK(st.st_mode)) return Reached::kOther;
    std::string link;
    if (!read_link(p, &link)) return Reached::kError;
    p = !link.empty() && link[0] == '/' ? link : directory_of(p) + link;
  }
  return Reached::kError;
}


std::string resolved_location(const std::string& path) {
  std::string target;
  if (follow_links(path, &target) == Reached::kError) return "";
  size_t slash = target.rfind('/');
  std::string dir = slash == std::string::npos ? "." : target.substr(0, slash + 1);
  char* real = realpath(dir.c_str(), nullptr);
  if (!real) return "";
  std::string location = std::string(real) + "/" + target.substr(slash + 1);
  std::free(real);
  return location;
}

int replacement_refused(const std::string& target) {
  mode_t mode;
  if (int error = refusal(target, &mode)) return error;
  size_t slash = target.rfind('/');
  std::string dir = slash == std::string::npos ? "." : target.substr(0, slash + 1);
  // The temporary is created in the directory, then renamed within it.
  return faccessat(AT_FDCWD, dir.c_str(), W_OK | X_OK, AT_EACCESS) == 0 ? 0 : errno;
}

// Held also while the table of temporaries changes, so that it always agrees
// with the files when the handler runs.
StopSignalsHeld::StopSignalsHeld() {
  sigset_t set;
  sigemptyset(&set);
  for (int sig : kStopSignals) sigaddset(&set, sig);
  sigprocmask(SIG_BLOCK, &set, &previous_);
}

StopSignalsHeld::~StopSignalsHeld() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }

namespace {

// The hidden temporary name for `target` before the random suffix is filled
// in: the same directory, "." + the file name + ".XXXXXX", the name shortened
// when it would not fit a directory entry.
std::string temporary_template(const std::string& target) {
  size_t slash = target.rfind('/');
  std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  const size_t room = kLongestName - 1 - std::strlen(kSuffix);
  if (base.size() > room) base.resize(room);
  return dir + "." + base + kSuffix;
}

}  // namespace

int ReplacementFile::create(const std::string& target) {
  discard();
  mode_t mode;
  if (int error = refusal(target, &mode)) return error;
  install_stop_handler();
  std::string name = temporary_template(target);
  StopSignalsHeld held;
  int slot = free_slot();
  if (slot < 0) return EMFILE;
  char* path = static_cast<char*>(std::malloc(name.size() + 1));
  if (!path) return ENOMEM;
  std::memcpy(path, name.c_str(), name.size() + 1);
  int fd = mkstemp(path);
  if (fd < 0) {
    int error = errno;
    std::free(path);
    return error;
  }
  temporaries[slot] = path;
  slot_ = slot;
  fd_ = fd;
  target_ = target;
  // A file system without permissions keeps the temporary's own; that is no
  // reason to refuse the output.
  (void)fchmod(fd, mode);
  return 0;
}

int ReplacementFile::write_all(const char* data, size_t size) {
  if (fd_ < 0) return EBADF;
  if (ftruncate(fd_, 0) != 0) return errno;
  size_t done = 0;
  while (done < size) {
    ssize_t n = pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return EIO;
    done += static_cast<size_t>(n);
  }
  return 0;
}

int ReplacementFile::close() {
  if (fd_ < 0) return 0;
  int result = ::close(fd_);
  fd_ = -1;
  return result == 0 ? 0 : errno;
}

int ReplacementFile::commit() {
  if (!active()) return EBADF;
  int error = close();
  if (error != 0) {
    discard();
    return error;
  }
  StopSignalsHeld held;
  char* path = temporaries[slot_];
  if (std::rename(path, target_.c_str()) != 0) {
    error = errno;
    unlink(path);
  }
  temporaries[slot_] = nullptr;
  std::free(path);
  slot_ = -1;
  return error;
}

void ReplacementFile::discard() {
  if (!active()) return;
  close();
  StopSignalsHeld held;
  char* path = temporaries[slot_];
  unlink(path);
  temporaries[slot_] = nullptr;
  std::free(path);
  slot_ = -1;
}
