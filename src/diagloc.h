// diagloc.h — where a diagnostic comes from, in the user's own files: the
// line being read (of the control file, an include file or a coefficient
// file), or, while the computation works on a channel, the line of that
// channel's `channel` command; line 1 of the control file otherwise.
#pragma once
#include <string>

struct SourceLocation {
  std::string file;
  int line = 1;
};

// Starts a run: nothing is being read, no channel worked on, no `channel`
// command seen; `control_file` is the name the fallback location gives.
void reset_source_locations(const std::string& control_file);

// The control file as the cleaning found it (rx.txt for "cmd7420 rx"),
// named by the fallback location from then on.
void set_control_file_found(const std::string& found);

// While alive, diagnostics come from line `line` of `*file` (which must
// outlive the guard; null: nothing is read); at() moves on. Guards nest: the
// outer location is back when the inner guard ends.
class ReadingAt {
 public:
  ReadingAt(const std::string* file, int line);
  ~ReadingAt();
  ReadingAt(const ReadingAt&) = delete;
  ReadingAt& operator=(const ReadingAt&) = delete;
  void at(int line);
  void at(const std::string* file, int line);

 private:
  const std::string* outer_file_;
  int outer_line_;
};

// Records the line of channel `ch`'s first `channel` command.
void note_channel_command(int ch, const std::string& file, int line);

// While alive, the computation works on channel `ch` (0 to 3). Nests as
// ReadingAt does.
class WorkingOnChannel {
 public:
  explicit WorkingOnChannel(int ch);
  ~WorkingOnChannel();
  WorkingOnChannel(const WorkingOnChannel&) = delete;
  WorkingOnChannel& operator=(const WorkingOnChannel&) = delete;

 private:
  int outer_;
};

// Where a diagnostic made now comes from.
SourceLocation diagnostic_location();
