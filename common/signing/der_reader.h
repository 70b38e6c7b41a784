#ifndef KX_COMMON_SIGNING_DER_READER_H_
#define KX_COMMON_SIGNING_DER_READER_H_

// Minimal DER reader over bytes from a signature: definite lengths only, every
// element bounded by its parent, nothing read past the given size.

#include <cstddef>
#include <cstdint>

namespace kx {

namespace der {
constexpr uint8_t kInteger = 0x02;
constexpr uint8_t kOctetString = 0x04;
constexpr uint8_t kOid = 0x06;
constexpr uint8_t kGeneralizedTime = 0x18;
constexpr uint8_t kSequence = 0x30;
constexpr uint8_t kSet = 0x31;
constexpr uint8_t kContextExplicit0 = 0xA0;
}  // namespace der

class DerReader {
 public:
  DerReader() = default;
  DerReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool empty() const { return size_ == 0; }
  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }

  // Takes the next element, whatever its tag; |contents| then covers exactly
  // its contents. False (nothing consumed) when the element is malformed.
  bool readAny(uint8_t* tag, DerReader* contents);
  // Same, but the element must carry |tag|.
  bool read(uint8_t tag, DerReader* contents);
  // Reads an element with |tag| whose contents equal |bytes| (e.g. an OID).
  bool readExact(uint8_t tag, const uint8_t* bytes, size_t size);
  // True when the rest is a run of well-formed elements; consumes it.
  bool skipAll();

 private:
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace kx

#endif  // KX_COMMON_SIGNING_DER_READER_H_
