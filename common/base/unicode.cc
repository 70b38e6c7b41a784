#include "common/base/unicode.h"

#include <cstdint>

namespace kx {
namespace {

constexpr uint32_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// Appends |c| to UTF-16 units (surrogate pair above U+FFFF).
template <typename String>
void appendUtf16(String& out, uint32_t c) {
  using Unit = typename String::value_type;
  if (c >= 0x10000) {
    c -= 0x10000;
    out.push_back(static_cast<Unit>(0xD800 + (c >> 10)));
    out.push_back(static_cast<Unit>(0xDC00 + (c & 0x3FF)));
  } else {
    out.push_back(static_cast<Unit>(c));
  }
}

// Calls |emit| with each code point of UTF-8 |text|.
template <typename Emit>
void decodeUtf8(const std::string& text, Emit emit) {
  size_t i = 0;
  while (i < text.size()) {
    const uint8_t b = static_cast<uint8_t>(text[i]);
    size_t extra = 0;
    uint32_t c = 0;
    uint32_t min = 0;
    if (b < 0x80) {
      c = b;
    } else if ((b & 0xE0) == 0xC0) {
      extra = 1, c = b & 0x1F, min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
      extra = 2, c = b & 0x0F, min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
      extra = 3, c = b & 0x07, min = 0x10000;
    } else {
      emit(kReplacement);
      ++i;
      continue;
    }
    size_t k = 1;
    for (; k <= extra && i + k < text.size(); ++k) {
      const uint8_t next = static_cast<uint8_t>(text[i + k]);
      if ((next & 0xC0) != 0x80) break;
      c = (c << 6) | (next & 0x3F);
    }
    const bool bad = k <= extra || c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF);
    emit(bad ? kReplacement : c);
    i += k;
  }
}

// Calls |emit| with each code point of UTF-16 units.
template <typename String, typename Emit>
void decodeUtf16(const String& text, Emit emit) {
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t c = static_cast<uint32_t>(text[i]);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
      const uint32_t low = static_cast<uint32_t>(text[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        emit(0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    emit(c >= 0xD800 && c <= 0xDFFF ? kReplacement : c);
  }
}

}  // namespace

std::string utf16ToUtf8(const std::u16string& text) {
  std::string out;
  decodeUtf16(text, [&](uint32_t c) { appendUtf8(out, c); });
  return out;
}

std::u16string utf8ToUtf16(const std::string& text) {
  std::u16string out;
  decodeUtf8(text, [&](uint32_t c) { appendUtf16(out, c); });
  return out;
}

std::wstring wideFromUtf8(const std::string& text) {
  std::wstring out;
  decodeUtf8(text, [&](uint32_t c) {
    if constexpr (sizeof(wchar_t) == 2) {
      appendUtf16(out, c);
    } else {
      out.push_back(static_cast<wchar_t>(c));
    }
  });
  return out;
}

std::string utf8FromWide(const std::wstring& text) {
  std::string out;
  if constexpr (sizeof(wchar_t) == 2) {
    decodeUtf16(text, [&](uint32_t c) { appendUtf8(out, c); });
  } else {
    for (wchar_t wc : text) {
      const uint32_t c = static_cast<uint32_t>(wc);
      appendUtf8(out, c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF) ? kReplacement : c);
    }
  }
  return out;
}

}  // namespace kx
