// decode.h — a register image read back for board bring-up: the chip state
// it leaves, listed as control-file lines, or compared with another image.
#pragma once
#include <string>
#include <vector>

constexpr const char* kDecodeOption = "--decode";

// `cmd7420 --decode FILE` lists the image on standard output;
// `cmd7420 --decode OLD NEW` prints one line per difference. `files` are the
// words after the option. Returns the exit status: 0 listed or equal, 1 the
// images differ, 2 a usage or read error. Writes no file.
int decode_command(const std::vector<std::string>& files);
