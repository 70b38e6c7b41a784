#ifndef KX_COMMON_BASE_UNICODE_H_
#define KX_COMMON_BASE_UNICODE_H_

// UTF-8 <-> UTF-16 / wide text without <windows.h>, so pure code and its
// native tests can convert. wchar_t text is UTF-16 on Windows and UTF-32
// elsewhere. Invalid input (lone surrogates, bad or overlong UTF-8 bytes)
// becomes U+FFFD.

#include <string>

namespace kx {

std::string utf16ToUtf8(const std::u16string& text);
std::u16string utf8ToUtf16(const std::string& text);
std::wstring wideFromUtf8(const std::string& text);
std::string utf8FromWide(const std::wstring& text);

}  // namespace kx

#endif  // KX_COMMON_BASE_UNICODE_H_
