#ifndef KX_COMMON_BASE_TEXT_CONVERT_WIN_H_
#define KX_COMMON_BASE_TEXT_CONVERT_WIN_H_

#include <string>

namespace kx {

// An empty input leaves |out| untouched; otherwise the input up to its first
// zero character is converted and stored in |out|. Unrepresentable characters
// become the platform's replacement. Each returns |out|.
std::wstring& utf8ToWide(const std::string& in, std::wstring& out);
std::string& wideToUtf8(const std::wstring& in, std::string& out);
std::string& wideToAnsi(const std::wstring& in, std::string& out);
// From the ANSI code page (used for HTTP bodies).
std::wstring& ansiToWide(const std::string& in, std::wstring& out);

}  // namespace kx

#endif  // KX_COMMON_BASE_TEXT_CONVERT_WIN_H_
