#include "common/base/text.h"

namespace kx {

std::wstring joinPath(const std::wstring& folder, const std::wstring& name) {
  std::wstring out = folder;
  for (wchar_t& c : out) {
    if (c == L'/') c = L'\\';
  }
  if (!out.empty() && out.back() != L'\\') out += L'\\';
  out += name;
  return out;
}

std::vector<std::wstring> splitString(const std::wstring& text, const std::wstring& delimiter) {
  std::vector<std::wstring> pieces;
  if (delimiter.empty()) {
    pieces.push_back(text);
    return pieces;
  }
  size_t pos = 0;
  for (;;) {
    const size_t found = text.find(delimiter, pos);
    if (found == std::wstring::npos) {
      pieces.push_back(text.substr(pos));
      break;
    }
    if (found != pos) pieces.push_back(text.substr(pos, found - pos));
    pos = found + 1;
    if (pos >= text.size()) break;
  }
  return pieces;
}

bool trimLeft(std::wstring& text, const std::wstring& set) {
  if (!text.empty()) text.erase(0, text.find_first_not_of(set));
  return true;
}

bool trimRight(std::wstring& text, const std::wstring& set) {
  if (text.empty()) return true;
  const size_t last = text.find_last_not_of(set);
  text.erase(last == std::wstring::npos ? 0 : last + 1);
  return true;
}

}  // namespace kx
