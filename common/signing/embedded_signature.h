#ifndef KX_COMMON_SIGNING_EMBEDDED_SIGNATURE_H_
#define KX_COMMON_SIGNING_EMBEDDED_SIGNATURE_H_

// Reads who signed a Windows executable from the bytes of the file, without
// the platform: the operator tools run on the build machine. Nothing here
// verifies the signature; it only finds the signer's certificate.

#include <cstddef>
#include <cstdint>
#include <string>

namespace kx {

enum class EmbeddedSignatureStatus {
  kSigned,        // a signer certificate was found; |signerName| is set
  kNotExecutable, // not a PE image
  kUnsigned,      // a PE image without a certificate table
  kMalformed,     // a certificate table that does not read as Authenticode
};

struct EmbeddedSignature {
  EmbeddedSignatureStatus status = EmbeddedSignatureStatus::kNotExecutable;
  // The subject as Windows shows it in its simple form: the common name,
  // else the organization; UTF-8.
  std::string signerName;
};

EmbeddedSignature readEmbeddedSignature(const uint8_t* image, size_t size);

// The first common name (else organization) of a DER Name's contents; empty
// when it has neither or does not read.
std::string simpleDisplayName(const uint8_t* nameContents, size_t size);

}  // namespace kx

#endif  // KX_COMMON_SIGNING_EMBEDDED_SIGNATURE_H_
