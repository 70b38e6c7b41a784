#include "launcher/util/version.h"

#include <climits>
#include <cwctype>

namespace kx::launcher {
namespace {

// One scanf-style %d: leading white space, an optional sign, at least one digit.
// Out-of-range values saturate instead of overflowing.
bool readInt(const std::wstring& s, size_t& pos, int& out) {
  while (pos < s.size() && std::iswspace(s[pos])) ++pos;
  bool negative = false;
  if (pos < s.size() && (s[pos] == L'+' || s[pos] == L'-')) negative = s[pos++] == L'-';
  size_t digits = 0;
  long long value = 0;
  while (pos < s.size() && s[pos] >= L'0' && s[pos] <= L'9') {
    if (value <= INT_MAX) value = value * 10 + (s[pos] - L'0');
    ++pos;
    ++digits;
  }
  if (digits == 0) return false;
  if (negative) value = -value;
  out = value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
  return true;
}

bool readVersion(const std::wstring& s, int (&parts)[3]) {
  size_t pos = 0;
  for (int i = 0; i < 3; ++i) {
    if (i > 0) {
      if (pos >= s.size() || s[pos] != L'.') return false;
      ++pos;
    }
    if (!readInt(s, pos, parts[i])) return false;
  }
  return true;
}

}  // namespace

int compareVersion(const std::wstring& a, const std::wstring& b, bool threeComponents) {
  int va[3], vb[3];
  if (!readVersion(a, va) || !readVersion(b, vb)) return 0;
  const int count = threeComponents ? 3 : 2;
  for (int i = 0; i < count; ++i) {
    if (va[i] != vb[i]) return va[i] > vb[i] ? 1 : -1;
  }
  return 0;
}

std::wstring versionFromPackageName(const std::wstring& fileName) {
  const size_t dash = fileName.find(L'-');
  const size_t dot = fileName.rfind(L'.');
  if (dash == std::wstring::npos || dot == std::wstring::npos) return std::wstring();
  if (dot < dash) return fileName.substr(dash + 1);
  return fileName.substr(dash + 1, dot - dash - 1);
}

}  // namespace kx::launcher
