#include "common/base/text_convert_win.h"

#include <windows.h>

#include <climits>
#include <cstring>

namespace kx {
namespace {

std::wstring& toWide(UINT codePage, const std::string& in, std::wstring& out) {
  if (in.empty()) return out;
  const size_t len = strnlen(in.data(), in.size());
  if (len == 0 || len > INT_MAX) {
    out.clear();
    return out;
  }
  const int n = MultiByteToWideChar(codePage, 0, in.data(), static_cast<int>(len), nullptr, 0);
  std::wstring result(n > 0 ? n : 0, L'\0');
  if (n > 0) MultiByteToWideChar(codePage, 0, in.data(), static_cast<int>(len), result.data(), n);
  out.swap(result);
  return out;
}

std::string& fromWide(UINT codePage, const std::wstring& in, std::string& out) {
  if (in.empty()) return out;
  const size_t len = wcsnlen(in.data(), in.size());
  if (len == 0 || len > INT_MAX) {
    out.clear();
    return out;
  }
  const int n =
      WideCharToMultiByte(codePage, 0, in.data(), static_cast<int>(len), nullptr, 0, nullptr, nullptr);
  std::string result(n > 0 ? n : 0, '\0');
  if (n > 0) {
    WideCharToMultiByte(codePage, 0, in.data(), static_cast<int>(len), result.data(), n, nullptr,
                        nullptr);
  }
  out.swap(result);
  return out;
}

}  // namespace

std::wstring& utf8ToWide(const std::string& in, std::wstring& out) { return toWide(CP_UTF8, in, out); }
std::string& wideToUtf8(const std::wstring& in, std::string& out) { return fromWide(CP_UTF8, in, out); }
std::string& wideToAnsi(const std::wstring& in, std::string& out) { return fromWide(CP_ACP, in, out); }
std::wstring& ansiToWide(const std::string& in, std::wstring& out) { return toWide(CP_ACP, in, out); }

}  // namespace kx
