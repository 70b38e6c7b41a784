#include "common/contracts/game_command_line.h"

#include <cwctype>

namespace kx {
namespace {

void skipSpace(const std::wstring& s, size_t& pos) {
  while (pos < s.size() && std::iswspace(s[pos])) ++pos;
}

bool readInt32(const std::wstring& s, size_t& pos, int32_t& out) {
  skipSpace(s, pos);
  bool negative = false;
  if (pos < s.size() && (s[pos] == L'+' || s[pos] == L'-')) negative = s[pos++] == L'-';
  long long value = 0;
  size_t digits = 0;
  while (pos < s.size() && s[pos] >= L'0' && s[pos] <= L'9') {
    value = value * 10 + (s[pos++] - L'0');
    if (value > 2147483648LL) return false;
    ++digits;
  }
  if (digits == 0) return false;
  if (negative) value = -value;
  if (value > 2147483647LL) return false;
  out = static_cast<int32_t>(value);
  return true;
}

}  // namespace

std::wstring formatGameCommandLine(const GameCommandLine& a) {
  return std::wstring(kGameNormalTag) + L" " + std::to_wstring(a.hOcxWnd) + L" " +
         std::to_wstring(a.browserPid) + L" " + std::to_wstring(a.width) + L" " +
         std::to_wstring(a.height);
}

std::optional<GameCommandLine> parseGameCommandLine(const std::wstring& s) {
  size_t pos = 0;
  skipSpace(s, pos);
  size_t end = pos;
  while (end < s.size() && !std::iswspace(s[end])) ++end;
  if (s.compare(pos, end - pos, kGameNormalTag) != 0) return std::nullopt;
  pos = end;
  GameCommandLine out;
  if (!readInt32(s, pos, out.hOcxWnd) || !readInt32(s, pos, out.browserPid) ||
      !readInt32(s, pos, out.width) || !readInt32(s, pos, out.height)) {
    return std::nullopt;
  }
  return out;
}

}  // namespace kx
