#ifndef KX_TESTS_FUZZ_FUZZ_TEXT_H_
#define KX_TESTS_FUZZ_FUZZ_TEXT_H_

// Fuzz bytes as the wide text the launcher receives: pairs of bytes as UTF-16
// units, so every code unit (surrogates, NUL) can occur.

#include <cstddef>
#include <cstdint>
#include <string>

inline std::wstring fuzzWideText(const uint8_t* data, size_t size) {
  std::wstring text;
  text.reserve(size / 2);
  for (size_t i = 0; i + 1 < size; i += 2) {
    text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
  }
  return text;
}

#endif  // KX_TESTS_FUZZ_FUZZ_TEXT_H_
