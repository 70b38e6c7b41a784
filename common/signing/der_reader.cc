#include "common/signing/der_reader.h"

#include <cstring>

namespace kx {

bool DerReader::readAny(uint8_t* tag, DerReader* contents) {
  if (size_ < 2) return false;
  uint8_t t = data_[0];
  // Multi-byte tag numbers never occur in what we read.
  if ((t & 0x1F) == 0x1F) return false;
  size_t pos = 1;
  size_t len = data_[pos++];
  if (len & 0x80) {
    size_t n = len & 0x7F;
    // 0x80 is the indefinite form; DER never needs more than 4 length bytes here.
    if (n == 0 || n > 4 || n > size_ - pos) return false;
    len = 0;
    for (size_t i = 0; i < n; ++i) len = (len << 8) | data_[pos++];
    // DER: the shortest form, so no leading zero byte and no long form below 128.
    if (data_[2] == 0 || len < 0x80) return false;
  }
  if (len > size_ - pos) return false;
  if (tag) *tag = t;
  if (contents) *contents = DerReader(data_ + pos, len);
  data_ += pos + len;
  size_ -= pos + len;
  return true;
}

bool DerReader::read(uint8_t tag, DerReader* contents) {
  if (size_ == 0 || data_[0] != tag) return false;
  return readAny(nullptr, contents);
}

bool DerReader::readExact(uint8_t tag, const uint8_t* bytes, size_t size) {
  DerReader copy = *this;
  DerReader got;
  if (!copy.read(tag, &got) || got.size() != size ||
      (size && memcmp(got.data(), bytes, size) != 0))
    return false;
  *this = copy;
  return true;
}

bool DerReader::skipAll() {
  while (!empty()) {
    if (!readAny(nullptr, nullptr)) return false;
  }
  return true;
}

}  // namespace kx
