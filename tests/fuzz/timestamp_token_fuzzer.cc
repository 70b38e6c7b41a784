// The readers of signature attribute bytes: the time-stamp token and the
// program name of the opus info.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/signing/opus_info.h"
#include "common/signing/timestamp_token.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  kx::UtcTime t;
  kx::readTimestampTokenTime(bytes.data(), bytes.size(), &t);
  std::u16string name;
  kx::decodeOpusProgramName(bytes.data(), bytes.size(), name);
  return 0;
}
