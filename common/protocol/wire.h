#ifndef KX_COMMON_PROTOCOL_WIRE_H_
#define KX_COMMON_PROTOCOL_WIRE_H_

// Small conversions at the edge of the copy-data protocol: 32-bit handle
// values, and UTF-16 texts between std::wstring and std::u16string.

#include <cstdint>
#include <string>

namespace kx {

// Window handles travel as their low 32 bits: (uint32_t)(uintptr_t)hwnd.
// Win32 handles are 32-bit significant on 64-bit Windows too, so nothing is
// lost.
constexpr uint32_t toWire32(uintptr_t value) { return static_cast<uint32_t>(value); }

// Back from the wire with sign extension, as HANDLE/HWND values are sign
// extended between 32- and 64-bit processes: 0xFFFFFFFE becomes
// (uintptr_t)-2 on 64-bit. Process ids are DWORDs and need no conversion.
constexpr uintptr_t fromWire32(uint32_t value) {
  return static_cast<uintptr_t>(static_cast<intptr_t>(static_cast<int32_t>(value)));
}

// wchar_t is a UTF-16 unit on Windows and a UTF-32 unit elsewhere; these two
// keep the protocol's u16string texts usable with both.
inline std::u16string wideToU16(const std::wstring& wide) {
  if constexpr (sizeof(wchar_t) == sizeof(char16_t)) {
    return std::u16string(wide.begin(), wide.end());
  } else {
    std::u16string out;
    out.reserve(wide.size());
    for (wchar_t wc : wide) {
      uint32_t c = static_cast<uint32_t>(wc);
      if (c >= 0x10000 && c <= 0x10FFFF) {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
      } else if (c > 0x10FFFF) {
        out.push_back(u'\uFFFD');
      } else {
        out.push_back(static_cast<char16_t>(c));
      }
    }
    return out;
  }
}

inline std::wstring u16ToWide(const std::u16string& text) {
  if constexpr (sizeof(wchar_t) == sizeof(char16_t)) {
    return std::wstring(text.begin(), text.end());
  } else {
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
      uint32_t c = text[i];
      if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
          text[i + 1] <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
        ++i;
      }
      // A lone surrogate is kept as it is, as Windows would.
      out.push_back(static_cast<wchar_t>(c));
    }
    return out;
  }
}

}  // namespace kx

#endif  // KX_COMMON_PROTOCOL_WIRE_H_
