#ifndef KX_TESTS_SUPPORT_COPY_DATA_LOG_H_
#define KX_TESTS_SUPPORT_COPY_DATA_LOG_H_

// One readable line per copy-data message, used by the recorder window and
// the stand-in programs' logs, so tests compare texts such as
//   0x2104 CD_RESIZE_GAME width=800 height=600 cbData=8
// Fields are named as in the message layouts; texts are UTF-8 in double
// quotes with \" \\ and \uXXXX (controls) escaped. A payload too short for
// its layout (or null) reads "<id> <name> malformed cbData=<n>", an unknown
// identifier "<id> unknown cbData=<n>".

#include <cstddef>
#include <cstdint>
#include <string>

namespace kx::test {

std::string describeCopyData(uint32_t id, const void* data, size_t cbData);

// "0x%04x" of an identifier, as the lines above start.
std::string copyDataIdText(uint32_t id);

// A UTF-16 text in the lines' quoted form.
std::string quoteText(const std::u16string& text);

}  // namespace kx::test

#endif  // KX_TESTS_SUPPORT_COPY_DATA_LOG_H_
