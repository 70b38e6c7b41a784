#include "common/signing/embedded_signature.h"

#include <cstring>

#include "common/signing/der_reader.h"

namespace kx {
namespace {

constexpr uint8_t kOidSignedData[] = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x07, 0x02};
constexpr uint8_t kOidCommonName[] = {0x55, 0x04, 0x03};
constexpr uint8_t kOidOrganization[] = {0x55, 0x04, 0x0A};
constexpr uint8_t kContextImplicit0 = 0xA0;
constexpr uint8_t kContextImplicit1 = 0xA1;
constexpr uint16_t kCertTypePkcsSignedData = 0x0002;

uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool sameBytes(const DerReader& a, const DerReader& b) {
  return a.size() == b.size() && (a.size() == 0 || memcmp(a.data(), b.data(), a.size()) == 0);
}

void appendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Directory strings as UTF-8; BMPString is UTF-16BE (surrogates pass as is:
// a name with them is shown, not trusted).
std::string directoryString(uint8_t tag, const DerReader& v) {
  std::string out;
  switch (tag) {
    case 0x0C:  // UTF8String
    case 0x13:  // PrintableString
    case 0x16:  // IA5String
    case 0x14:  // TeletexString, read as Latin-1 below when not ASCII
      for (size_t i = 0; i < v.size(); ++i) {
        const uint8_t c = v.data()[i];
        if (tag == 0x14 && c >= 0x80) appendUtf8(out, c);
        else out += static_cast<char>(c);
      }
      return out;
    case 0x1E:  // BMPString
      for (size_t i = 0; i + 1 < v.size(); i += 2)
        appendUtf8(out, (static_cast<uint32_t>(v.data()[i]) << 8) | v.data()[i + 1]);
      return out;
    default:
      return out;
  }
}

// Finds the certificate whose issuer and serial number are the signer's and
// returns its subject's simple name.
bool signerNameFromSignedData(DerReader signedData, std::string* name) {
  DerReader version, digestAlgs, content, certs, signerInfos;
  if (!signedData.read(der::kInteger, &version) || !signedData.read(der::kSet, &digestAlgs) ||
      !signedData.read(der::kSequence, &content) ||
      !signedData.read(kContextImplicit0, &certs))
    return false;
  DerReader crls;
  signedData.read(kContextImplicit1, &crls);  // optional
  if (!signedData.read(der::kSet, &signerInfos)) return false;

  DerReader signer, signerVersion, sid, issuer, serial;
  if (!signerInfos.read(der::kSequence, &signer) || !signer.read(der::kInteger, &signerVersion) ||
      !signer.read(der::kSequence, &sid) || !sid.read(der::kSequence, &issuer) ||
      !sid.read(der::kInteger, &serial))
    return false;

  while (!certs.empty()) {
    uint8_t tag = 0;
    DerReader cert;
    if (!certs.readAny(&tag, &cert)) return false;
    if (tag != der::kSequence) continue;  // attribute or other certificate formats
    DerReader tbs;
    if (!cert.read(der::kSequence, &tbs)) return false;
    DerReader explicitVersion, certSerial, sigAlg, certIssuer, validity, subject;
    tbs.read(der::kContextExplicit0, &explicitVersion);  // absent in v1 certificates
    if (!tbs.read(der::kInteger, &certSerial) || !tbs.read(der::kSequence, &sigAlg) ||
        !tbs.read(der::kSequence, &certIssuer) || !tbs.read(der::kSequence, &validity) ||
        !tbs.read(der::kSequence, &subject))
      return false;
    if (sameBytes(certSerial, serial) && sameBytes(certIssuer, issuer)) {
      *name = simpleDisplayName(subject.data(), subject.size());
      return true;
    }
  }
  return false;
}

}  // namespace

std::string simpleDisplayName(const uint8_t* nameContents, size_t size) {
  std::string organization;
  DerReader name(nameContents, size);
  while (!name.empty()) {
    DerReader rdn;
    if (!name.read(der::kSet, &rdn)) return {};
    while (!rdn.empty()) {
      DerReader attr, oid, value;
      uint8_t tag = 0;
      if (!rdn.read(der::kSequence, &attr) || !attr.read(der::kOid, &oid) ||
          !attr.readAny(&tag, &value))
        return {};
      if (oid.size() == sizeof(kOidCommonName) &&
          memcmp(oid.data(), kOidCommonName, sizeof(kOidCommonName)) == 0)
        return directoryString(tag, value);
      if (organization.empty() && oid.size() == sizeof(kOidOrganization) &&
          memcmp(oid.data(), kOidOrganization, sizeof(kOidOrganization)) == 0)
        organization = directoryString(tag, value);
    }
  }
  return organization;
}

EmbeddedSignature readEmbeddedSignature(const uint8_t* image, size_t size) {
  EmbeddedSignature result;
  if (size < 0x40 || image[0] != 'M' || image[1] != 'Z') return result;
  const uint32_t peOffset = le32(image + 0x3C);
  if (peOffset > size || size - peOffset < 24 + 2 || memcmp(image + peOffset, "PE\0\0", 4) != 0)
    return result;
  const uint8_t* optional = image + peOffset + 24;
  const size_t optionalRoom = size - peOffset - 24;
  const uint16_t optionalSize = le16(image + peOffset + 20);
  if (optionalSize > optionalRoom) return result;
  const uint16_t magic = le16(optional);
  size_t countAt = 0;
  if (magic == 0x10B) countAt = 92;
  else if (magic == 0x20B) countAt = 108;
  else return result;
  if (optionalSize < countAt + 4) return result;
  result.status = EmbeddedSignatureStatus::kUnsigned;
  const uint32_t dirCount = le32(optional + countAt);
  const size_t securityAt = countAt + 4 + 4 * 8;  // the fifth directory
  if (dirCount < 5 || optionalSize < securityAt + 8) return result;
  // The security directory holds a file offset, not an address.
  const uint32_t tableOffset = le32(optional + securityAt);
  const uint32_t tableSize = le32(optional + securityAt + 4);
  if (tableOffset == 0 && tableSize == 0) return result;
  result.status = EmbeddedSignatureStatus::kMalformed;
  if (tableOffset > size || tableSize > size - tableOffset) return result;

  size_t pos = 0;
  while (pos < tableSize && tableSize - pos >= 8) {
    const uint8_t* entry = image + tableOffset + pos;
    const uint32_t length = le32(entry);
    if (length < 8 || length > tableSize - pos) return result;
    if (le16(entry + 6) == kCertTypePkcsSignedData) {
      DerReader outer(entry + 8, length - 8);
      DerReader contentInfo, explicitContent, signedData;
      if (!outer.read(der::kSequence, &contentInfo) ||
          !contentInfo.readExact(der::kOid, kOidSignedData, sizeof(kOidSignedData)))
        return result;
      if (!contentInfo.read(der::kContextExplicit0, &explicitContent) ||
          !explicitContent.read(der::kSequence, &signedData))
        return result;
      std::string name;
      if (!signerNameFromSignedData(signedData, &name)) return result;
      result.status = EmbeddedSignatureStatus::kSigned;
      result.signerName = name;
      return result;
    }
    pos += (length + 7u) & ~size_t{7};
  }
  return result;
}

}  // namespace kx
