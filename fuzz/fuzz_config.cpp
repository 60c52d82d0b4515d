// fuzz_config.cpp — a whole configuration run from a control-file text.
// The input is the control file "f.txt", optionally followed by a line
// "@@coef@@" and the text of the coefficient file "c.coef" beside it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string kMarker = "\n@@coef@@\n";
  std::string input(reinterpret_cast<const char*>(data), size);
  if (names_special_files(input)) return -1;  // not added to the corpus
  size_t cut = input.find(kMarker);
  std::string control = input.substr(0, cut);
  std::string coefs = cut == std::string::npos ? "" : input.substr(cut + kMarker.size());

  enter_clean_scratch_dir();
  write_bytes("f.txt", reinterpret_cast<const unsigned char*>(control.data()), control.size());
  if (cut != std::string::npos)
    write_bytes("c.coef", reinterpret_cast<const unsigned char*>(coefs.data()), coefs.size());
  run_in_process("f.txt");
  return 0;
}
