#include "common/signing/opus_info.h"

#include "common/signing/der_reader.h"

namespace kx {
namespace {

constexpr uint8_t kSpcUnicode = 0x80;  // [0] IMPLICIT BMPString
constexpr uint8_t kSpcAscii = 0x81;    // [1] IMPLICIT IA5String

bool decodeBmp(const DerReader& s, std::u16string& out) {
  if (s.size() % 2 != 0) return false;
  for (size_t i = 0; i < s.size(); i += 2) {
    const char16_t c = static_cast<char16_t>((s.data()[i] << 8) | s.data()[i + 1]);
    if (c == 0) return false;  // would cut the name short as a C string
    out.push_back(c);
  }
  return true;
}

bool decodeIa5(const DerReader& s, std::u16string& out) {
  for (size_t i = 0; i < s.size(); ++i) {
    const uint8_t c = s.data()[i];
    if (c == 0 || c >= 0x80) return false;
    out.push_back(static_cast<char16_t>(c));
  }
  return true;
}

}  // namespace

bool decodeOpusProgramName(const uint8_t* data, size_t size, std::u16string& name) {
  name.clear();
  DerReader value(data, size);
  DerReader opus;
  DerReader explicitName;
  if (!value.read(der::kSequence, &opus) || !opus.read(der::kContextExplicit0, &explicitName)) {
    return false;
  }
  uint8_t tag = 0;
  DerReader chars;
  if (!explicitName.readAny(&tag, &chars) || !explicitName.empty()) return false;
  std::u16string decoded;
  bool ok = false;
  if (tag == kSpcUnicode) ok = decodeBmp(chars, decoded);
  if (tag == kSpcAscii) ok = decodeIa5(chars, decoded);
  if (!ok) return false;
  name = decoded;
  return true;
}

}  // namespace kx
