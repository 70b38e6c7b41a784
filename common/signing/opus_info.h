#ifndef KX_COMMON_SIGNING_OPUS_INFO_H_
#define KX_COMMON_SIGNING_OPUS_INFO_H_

// The program name of an Authenticode SpcSpOpusInfo attribute value.

#include <cstddef>
#include <cstdint>
#include <string>

namespace kx {

// SpcSpOpusInfo ::= SEQUENCE { programName [0] EXPLICIT SpcString OPTIONAL, ... }
// SpcString ::= CHOICE { unicode [0] IMPLICIT BMPString, ascii [1] IMPLICIT IA5String }
// Each choice is decoded by its own encoding: UTF-16BE or 7-bit ASCII. False
// (|name| empty) when there is no name or its bytes are malformed.
bool decodeOpusProgramName(const uint8_t* data, size_t size, std::u16string& name);

}  // namespace kx

#endif  // KX_COMMON_SIGNING_OPUS_INFO_H_
