#ifndef KX_TESTS_SUPPORT_SIGNED_IMAGE_H_
#define KX_TESTS_SUPPORT_SIGNED_IMAGE_H_

// Hand-built DER and PE bytes for tests of code that reads who signed an
// executable: every field is chosen by the test, nothing comes from a tool.

#include <cstdint>
#include <string>
#include <vector>

namespace kx::testing {

std::string derTlv(uint8_t tag, const std::string& contents);

// One attribute of a distinguished name: OID bytes (no tag), string tag, value.
struct NameAttribute {
  std::string oid;
  uint8_t stringTag;
  std::string value;
};
inline const std::string kOidCn = std::string("\x55\x04\x03", 3);
inline const std::string kOidO = std::string("\x55\x04\x0A", 3);
inline const std::string kOidC = std::string("\x55\x04\x06", 3);

// A Name: one RDN per attribute, in order.
std::string derName(const std::vector<NameAttribute>& attributes);

// A certificate with just the fields a signer lookup reads.
std::string certificate(const std::string& serial, const std::string& issuerName,
                        const std::string& subjectName);

// ContentInfo(SignedData) with |certs| and one signer named by issuer and serial.
std::string signedData(const std::vector<std::string>& certs, const std::string& signerIssuerName,
                       const std::string& signerSerial);

// A minimal PE32 (or PE32+) image. With |signature| non-empty, a certificate
// table at the end holds one WIN_CERTIFICATE of |certificateType| around it.
std::string peImage(bool pe32Plus, const std::string& signature, uint16_t certificateType = 2);

// A PE32+ image signed (structurally) by a certificate whose subject common
// name is |signerName|, issued by "KX Test Root CA".
std::string imageSignedBy(const std::string& signerName);

}  // namespace kx::testing

#endif  // KX_TESTS_SUPPORT_SIGNED_IMAGE_H_
