// fuzz_image.cpp — the register-image reader and decoder: the input is an
// image file "i.img", listed and compared with itself as
// "cmd7420 --decode" would. An image that reads must list (status 0) and
// equal itself; one that does not must be refused with status 2.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "output/decode.h"
#include "harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  enter_clean_scratch_dir();
  write_bytes("i.img", data, size);
  const int listed = decode_command({"i.img"});
  const int compared = decode_command({"i.img", "i.img"});
  if ((listed != 0 && listed != 2) || compared != listed) std::abort();
  return 0;
}
