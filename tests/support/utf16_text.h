#ifndef KX_TESTS_SUPPORT_UTF16_TEXT_H_
#define KX_TESTS_SUPPORT_UTF16_TEXT_H_

// UTF-8 <-> UTF-16 for logs and scripts of the test doubles, without
// <windows.h> so the parsers build natively. Invalid input becomes U+FFFD.

#include <string>

namespace kx::test {

std::string utf16ToUtf8(const std::u16string& text);
std::u16string utf8ToUtf16(const std::string& text);

}  // namespace kx::test

#endif  // KX_TESTS_SUPPORT_UTF16_TEXT_H_
