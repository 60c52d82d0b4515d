// fuzz_coef.cpp — the coefficient reader and everything downstream of the
// coefficients: the input is the coefficient file "c.coef", run through a
// decimating receive configuration and an interpolating transmit one.
#include <cstddef>
#include <cstdint>
#include <string>

#include "harness.h"

namespace {

const char* const kPorts =
    "channel 2\npins 16\nbits 16\nchannel 3\npins 16\nbits 16\n";

// Channels A and B receive through a CIC of 4 and decimate by 2.
const std::string kReceive = std::string(
    "mode ab receive\nmode cd receive\npwr_dwn_cic_CD 1\nfck 100\n"
    "channel 0\nfir_coef c.coef\nfreq 10\ncic_dec 4\nfir_dec 2\nmix_rcv_sel 0\n"
    "pins 16\nbits 16\nchannel 1\ncopy_channel 0\n") + kPorts +
    "print analysis\nprint debug\nprint kx330\n";

// Channels A and B transmit, interpolating by 2 into a CIC of 8.
const std::string kTransmit = std::string(
    "mode ab transmit\nmode cd receive\npwr_dwn_cic_CD 1\nfck 100\ntout_nsig 2\n"
    "channel 0\nfir_coef c.coef\nfreq 10\ncic_int 8\ntinf_cmplx 1\nfir_int 2\n"
    "pins 16\nbits 16\nchannel 1\ncopy_channel 0\n") + kPorts +
    "print analysis\nprint debug\nprint table\n";

void write_text(const char* name, const std::string& text) {
  write_bytes(name, reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  enter_clean_scratch_dir();
  write_bytes("c.coef", data, size);
  write_text("rx.txt", kReceive);
  write_text("tx.txt", kTransmit);
  run_in_process("rx.txt");
  run_in_process("tx.txt");
  return 0;
}
