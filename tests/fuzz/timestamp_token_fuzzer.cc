// The time-stamp token reader on bytes taken from a signature.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/signing/timestamp_token.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  kx::UtcTime t;
  kx::readTimestampTokenTime(bytes.data(), bytes.size(), &t);
  return 0;
}
