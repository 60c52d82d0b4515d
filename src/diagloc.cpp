// diagloc.cpp — the reading position, the channel worked on and the lines of
// the `channel` commands, read when a diagnostic is recorded.
#include "diagloc.h"

#include "records.h"

namespace {

std::string control_file;
const std::string* reading_file = nullptr;  // null while nothing is read
int reading_line = 0;
int working_channel = -1;  // -1 outside the per-channel loops
bool channel_seen[kNumChannels] = {};
SourceLocation channel_command[kNumChannels];

}  // namespace

void reset_source_locations(const std::string& control) {
  control_file = control;
  reading_file = nullptr;
  reading_line = 0;
  working_channel = -1;
  for (bool& seen : channel_seen) seen = false;
}

void set_control_file_found(const std::string& found) { control_file = found; }

ReadingAt::ReadingAt(const std::string* file, int line)
    : outer_file_(reading_file), outer_line_(reading_line) {
  reading_file = file;
  reading_line = line;
}

ReadingAt::~ReadingAt() {
  reading_file = outer_file_;
  reading_line = outer_line_;
}

void ReadingAt::at(int line) { reading_line = line; }

void ReadingAt::at(const std::string* file, int line) {
  reading_file = file;
  reading_line = line;
}

void note_channel_command(int ch, const std::string& file, int line) {
  if (ch < 0 || ch >= kNumChannels || channel_seen[ch]) return;
  channel_seen[ch] = true;
  channel_command[ch] = {file, line};
}

WorkingOnChannel::WorkingOnChannel(int ch) : outer_(working_channel) { working_channel = ch; }

WorkingOnChannel::~WorkingOnChannel() { working_channel = outer_; }

SourceLocation diagnostic_location() {
  if (reading_file) return {*reading_file, reading_line};
  if (working_channel >= 0 && working_channel < kNumChannels && channel_seen[working_channel])
    return channel_command[working_channel];
  return {control_file, 1};
}
