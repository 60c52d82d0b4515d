// imageread.h — readers of register images: this program's board-loader,
// simulation and header outputs and a plain dump of registers, each turned
// into the register writes it carries, in file order, with their lines.
// Reading is strict: anything that is not exactly one of these forms is
// refused with the file and line named.
#pragma once
#include <string>
#include <vector>

enum class ImageFormat { kBoardLoader, kSimulation, kHeader, kDump };

struct RegWrite {
  int page;        // -1 for a direct address (as in the register image)
  int addr;        // 0 to 15 when direct, otherwise 16 to 31
  unsigned value;  // 16 bits
  int line;        // where the write stands in its file
};

struct RegImage {
  std::string name;  // the file as named on the command line
  ImageFormat format = ImageFormat::kDump;
  std::vector<RegWrite> writes;
};

// "board-loader", "simulation", "header" or "dump".
const char* format_name(ImageFormat format);

// Reads and parses the file `path`; false with the message ("NAME line N:
// what") in `error` when it cannot be read or is not an image.
bool read_image(const std::string& path, RegImage& image, std::string& error);
