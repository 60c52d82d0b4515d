// imageread.h — readers of register images: this program's board-loader,
// simulation and header outputs and a plain dump of registers, each turned
// into the register writes it carries, in file order, with their lines.
// Reading is strict: anything that is not exactly one of these forms is
// refused with the file and line named.
#pragma once
#include <string>
#include <vector>

enum class ImageFormat { kBoardLoader, kSimulation, kHeader, kDump };

// The chip's addresses: 16 direct ones, and addresses 16 to 31 of each page
// of the 8-bit page register (direct address 2).
constexpr int kLastPage = 0xff;
constexpr int kFirstPagedAddr = 0x10;
constexpr int kLastPagedAddr = 0x1f;
constexpr unsigned kLargestValue = 0xffff;

// Channel j's RAM pages: coefficients on pages 32j to 32j+15, then the swap
// and the back-end RAM, 16 words a page at addresses 16 to 31.
constexpr int kRamChannelStride = 32;
constexpr int kCoefRamPageCount = 16;
constexpr int kSwapRamPageOffset = 16;
constexpr int kBackEndRamPageOffset = 17;
constexpr int kRamWordsPerPage = 16;

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

// Parses the text of an image; false with the message ("NAME line N: what")
// in `error` when the text is not an image.
bool parse_image(const std::string& name, const std::string& text, RegImage& image,
                 std::string& error);
// Reads and parses the file `path`.
bool read_image(const std::string& path, RegImage& image, std::string& error);
