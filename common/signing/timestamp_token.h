#ifndef KX_COMMON_SIGNING_TIMESTAMP_TOKEN_H_
#define KX_COMMON_SIGNING_TIMESTAMP_TOKEN_H_

// The time in an RFC 3161 time-stamp token (a CMS SignedData whose content is
// a TSTInfo), as Authenticode signers store it in their unauthenticated
// attribute 1.3.6.1.4.1.311.3.3.1. Only the structure is read: the token's own
// signature is not checked here.

#include <cstddef>
#include <cstdint>

namespace kx {

struct UtcTime {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int milliseconds = 0;  // fraction digits past the third are dropped
};

// Fills |out| with the token's genTime. False, with |out| untouched, when the
// bytes are not exactly one well-formed token or the time text is not a valid
// "YYYYMMDDhhmmss[.f...]Z".
bool readTimestampTokenTime(const uint8_t* data, size_t size, UtcTime* out);

}  // namespace kx

#endif  // KX_COMMON_SIGNING_TIMESTAMP_TOKEN_H_
