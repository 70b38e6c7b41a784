#ifndef KX_COMMON_BASE_TEXT_H_
#define KX_COMMON_BASE_TEXT_H_

#include <string>
#include <vector>

namespace kx {

// Folder + name with '/' turned into '\' in the folder and one '\' between.
std::wstring joinPath(const std::wstring& folder, const std::wstring& name);

// Pieces between delimiters; empty pieces are dropped, but an empty text gives
// one empty piece.
std::vector<std::wstring> splitString(const std::wstring& text, const std::wstring& delimiter);

inline constexpr wchar_t kDefaultTrimSet[] = L" \r\n";
bool trimLeft(std::wstring& text, const std::wstring& set = kDefaultTrimSet);
bool trimRight(std::wstring& text, const std::wstring& set = kDefaultTrimSet);

}  // namespace kx

#endif  // KX_COMMON_BASE_TEXT_H_
