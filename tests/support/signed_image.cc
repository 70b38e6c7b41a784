#include "tests/support/signed_image.h"

namespace kx::testing {
namespace {

void put16(std::string& s, size_t at, uint16_t v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>(v >> 8);
}
void put32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

}  // namespace

std::string derTlv(uint8_t tag, const std::string& contents) {
  std::string out(1, static_cast<char>(tag));
  const size_t n = contents.size();
  if (n < 0x80) {
    out += static_cast<char>(n);
  } else if (n <= 0xFF) {
    out += '\x81';
    out += static_cast<char>(n);
  } else if (n <= 0xFFFF) {
    out += '\x82';
    out += static_cast<char>(n >> 8);
    out += static_cast<char>(n & 0xFF);
  } else {
    out += '\x83';
    out += static_cast<char>(n >> 16);
    out += static_cast<char>((n >> 8) & 0xFF);
    out += static_cast<char>(n & 0xFF);
  }
  return out + contents;
}

std::string derName(const std::vector<NameAttribute>& attributes) {
  std::string rdns;
  for (const NameAttribute& a : attributes)
    rdns += derTlv(0x31, derTlv(0x30, derTlv(0x06, a.oid) + derTlv(a.stringTag, a.value)));
  return derTlv(0x30, rdns);
}

std::string certificate(const std::string& serial, const std::string& issuerName,
                        const std::string& subjectName) {
  const std::string sha256WithRsa =
      derTlv(0x30, derTlv(0x06, "\x2A\x86\x48\x86\xF7\x0D\x01\x01\x0B"));
  const std::string validity =
      derTlv(0x30, derTlv(0x17, "260101000000Z") + derTlv(0x17, "270101000000Z"));
  const std::string tbs = derTlv(0x30, derTlv(0xA0, derTlv(0x02, "\x02")) + derTlv(0x02, serial) +
                                           sha256WithRsa + issuerName + validity + subjectName +
                                           derTlv(0x30, ""));
  return derTlv(0x30, tbs + sha256WithRsa + derTlv(0x03, std::string("\x00\x01", 2)));
}

std::string signedData(const std::vector<std::string>& certs, const std::string& signerIssuerName,
                       const std::string& signerSerial) {
  std::string certSet;
  for (const std::string& c : certs) certSet += c;
  const std::string spcIndirectData = derTlv(0x06, "\x2B\x06\x01\x04\x01\x82\x37\x02\x01\x04");
  const std::string signer =
      derTlv(0x30, derTlv(0x02, "\x01") + derTlv(0x30, signerIssuerName + derTlv(0x02, signerSerial)) +
                       derTlv(0x30, derTlv(0x06, "\x60\x86\x48\x01\x65\x03\x04\x02\x01")) +
                       derTlv(0x30, derTlv(0x06, "\x2A\x86\x48\x86\xF7\x0D\x01\x01\x01")) +
                       derTlv(0x04, "sig"));
  const std::string sd = derTlv(0x30, derTlv(0x02, "\x01") + derTlv(0x31, "") +
                                          derTlv(0x30, spcIndirectData) + derTlv(0xA0, certSet) +
                                          derTlv(0x31, signer));
  return derTlv(0x30, derTlv(0x06, "\x2A\x86\x48\x86\xF7\x0D\x01\x07\x02") + derTlv(0xA0, sd));
}

std::string peImage(bool pe32Plus, const std::string& signature, uint16_t certificateType) {
  const size_t peAt = 0x80;
  const size_t optionalSize = pe32Plus ? 240 : 224;
  std::string image(0x200, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  put32(image, 0x3C, static_cast<uint32_t>(peAt));
  image.replace(peAt, 4, std::string("PE\0\0", 4));
  put16(image, peAt + 4, pe32Plus ? 0x8664 : 0x014C);
  put16(image, peAt + 20, static_cast<uint16_t>(optionalSize));
  const size_t optional = peAt + 24;
  put16(image, optional, pe32Plus ? 0x20B : 0x10B);
  const size_t countAt = optional + (pe32Plus ? 108 : 92);
  put32(image, countAt, 16);
  if (!signature.empty()) {
    const size_t tableAt = image.size();
    std::string entry(8, '\0');
    put32(entry, 0, static_cast<uint32_t>(8 + signature.size()));
    put16(entry, 4, 0x0200);
    put16(entry, 6, certificateType);
    entry += signature;
    entry.resize((entry.size() + 7) & ~size_t{7}, '\0');
    image += entry;
    put32(image, countAt + 4 + 4 * 8, static_cast<uint32_t>(tableAt));
    put32(image, countAt + 4 + 4 * 8 + 4, static_cast<uint32_t>(entry.size()));
  }
  return image;
}

std::string imageSignedBy(const std::string& signerName) {
  const std::string root = derName({{kOidCn, 0x0C, "KX Test Root CA"}});
  const std::string leaf = derName({{kOidC, 0x13, "CN"}, {kOidCn, 0x0C, signerName}});
  return peImage(true, signedData({certificate("\x05", root, leaf)}, root, "\x05"));
}

}  // namespace kx::testing
