#include "launcher/net/http_url.h"

#include <cwctype>

namespace kx::launcher {

std::wstring normalizeUrlSlashes(const std::wstring& url) {
  std::wstring out = url;
  for (wchar_t& c : out) {
    if (c == L'\\') c = L'/';
  }
  return out;
}

HttpUrlParts parseHttpUrl(const std::wstring& url) {
  HttpUrlParts parts;
  std::wstring rest = url;
  const std::wstring scheme = L"http://";
  const size_t at = rest.find(scheme);
  if (at != std::wstring::npos) rest = rest.substr(at + scheme.size());

  const size_t slash = rest.find(L'/');
  const size_t colon = rest.find(L':');
  const bool hasPort = colon != std::wstring::npos && (slash == std::wstring::npos || colon < slash);
  if (!hasPort) {
    parts.host = rest.substr(0, slash);
  } else {
    parts.host = rest.substr(0, colon);
    const size_t end = slash == std::wstring::npos ? rest.size() : slash;
    uint32_t port = 0;
    for (size_t i = colon + 1; i < end && rest[i] >= L'0' && rest[i] <= L'9'; ++i) {
      port = port * 10 + static_cast<uint32_t>(rest[i] - L'0');
      if (port > 0xFFFF) port = 0x10000;  // saturate; truncated below like a 16-bit store
    }
    parts.port = static_cast<uint16_t>(port > 0xFFFF ? 0 : port);
  }
  if (slash != std::wstring::npos) parts.path = rest.substr(slash + 1);
  return parts;
}

std::wstring buildRequestHeaders(const std::wstring& host, int32_t resumeOffset) {
  std::wstring h = L"Host: " + host + L"\r\n";
  if (resumeOffset != 0) h += L"Range: bytes=" + std::to_wstring(resumeOffset) + L"-\r\n";
  h += L"Accept: */*\r\n"
       L"Accept-Language: zh-cn, zh\r\n"
       L"Accept-Charset: gb2312\r\n"
       L"Cache-Control: no-cache\r\n"
       L"Content-Type: application/x-www-form-urlencoded\r\n"
       L"Connection: Close\r\n\r\n";
  return h;
}

namespace {

// Leading decimal digits from |pos|; -1 when none or above 2^62.
int64_t readDecimal(const std::wstring& s, size_t& pos) {
  const size_t start = pos;
  int64_t v = 0;
  while (pos < s.size() && s[pos] >= L'0' && s[pos] <= L'9') {
    if (v > (int64_t{1} << 58)) return -1;
    v = v * 10 + (s[pos] - L'0');
    ++pos;
  }
  return pos == start ? -1 : v;
}

}  // namespace

int64_t contentRangeStart(const std::wstring& value) {
  size_t pos = 0;
  while (pos < value.size() && value[pos] == L' ') ++pos;
  const std::wstring unit = L"bytes";
  if (value.compare(pos, unit.size(), unit) != 0) return -1;
  pos += unit.size();
  while (pos < value.size() && (value[pos] == L' ' || value[pos] == L'=')) ++pos;
  const int64_t start = readDecimal(value, pos);
  if (start < 0 || pos >= value.size() || value[pos] != L'-') return -1;
  return start;
}

int64_t parseContentLength(const std::wstring& value) {
  size_t pos = 0;
  while (pos < value.size() && value[pos] == L' ') ++pos;
  const int64_t v = readDecimal(value, pos);
  while (pos < value.size() && value[pos] == L' ') ++pos;
  if (v < 0 || pos != value.size() || v > 0x7FFFFFFF) return -1;
  return v;
}

}  // namespace kx::launcher
