#include "common/signing/embedded_signature.h"

#include <gtest/gtest.h>

#include "tests/support/signed_image.h"

namespace kx {
namespace {

using testing::certificate;
using testing::derName;
using testing::kOidC;
using testing::kOidCn;
using testing::kOidO;
using testing::peImage;
using testing::signedData;

EmbeddedSignature read(const std::string& image) {
  return readEmbeddedSignature(reinterpret_cast<const uint8_t*>(image.data()), image.size());
}

const std::string kRoot = derName({{kOidCn, 0x0C, "KX Test Root CA"}});
const std::string kOther = derName({{kOidCn, 0x0C, "Other Root"}});
const std::string kCorvane = derName({{kOidC, 0x13, "CN"}, {kOidCn, 0x0C, "Corvane Network Co. Ltd."}});
const std::string kMallory = derName({{kOidCn, 0x0C, "Mallory Games"}});

TEST(EmbeddedSignatureTest, FindsTheSignersCertificateByIssuerAndSerial) {
  // The root comes first and another issuer reuses the signer's serial: only
  // the pair of both picks the leaf.
  const std::vector<std::string> certs = {certificate("\x01", kRoot, kRoot),
                                          certificate("\x07", kOther, kMallory),
                                          certificate("\x07", kRoot, kCorvane)};
  for (const bool pe32Plus : {false, true}) {
    SCOPED_TRACE(pe32Plus ? "PE32+" : "PE32");
    const EmbeddedSignature s = read(peImage(pe32Plus, signedData(certs, kRoot, "\x07")));
    EXPECT_EQ(s.status, EmbeddedSignatureStatus::kSigned);
    EXPECT_EQ(s.signerName, "Corvane Network Co. Ltd.");
  }
}

TEST(EmbeddedSignatureTest, SimpleNameIsCommonNameElseOrganization) {
  struct Case {
    const char* label;
    std::string name;
    std::string expected;
  } cases[] = {
      {"UTF8String CN after O", derName({{kOidO, 0x0C, "Org"}, {kOidCn, 0x0C, "Leaf"}}), "Leaf"},
      {"PrintableString CN", derName({{kOidCn, 0x13, "Plain"}}), "Plain"},
      {"BMPString CN", derName({{kOidCn, 0x1E, std::string("\x67\x2C\x00\x41", 4)}}),
       "\xE6\x9C\xAC" "A"},
      {"O only", derName({{kOidC, 0x13, "CN"}, {kOidO, 0x0C, "Only Org"}}), "Only Org"},
      {"neither", derName({{kOidC, 0x13, "CN"}}), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const EmbeddedSignature s =
        read(peImage(true, signedData({certificate("\x02", kRoot, c.name)}, kRoot, "\x02")));
    EXPECT_EQ(s.status, EmbeddedSignatureStatus::kSigned);
    EXPECT_EQ(s.signerName, c.expected);
  }
}

TEST(EmbeddedSignatureTest, StatusOfImagesThatAreNotSignedExecutables) {
  const std::string good = signedData({certificate("\x02", kRoot, kCorvane)}, kRoot, "\x02");
  std::string truncatedTable = peImage(true, good);
  truncatedTable.resize(truncatedTable.size() - 16);
  std::string notMz = peImage(true, good);
  notMz[0] = 'X';
  std::string noPe = peImage(true, good);
  noPe[0x80] = 'X';
  struct Case {
    const char* label;
    std::string image;
    EmbeddedSignatureStatus expected;
  } cases[] = {
      {"empty", "", EmbeddedSignatureStatus::kNotExecutable},
      {"not MZ", notMz, EmbeddedSignatureStatus::kNotExecutable},
      {"no PE header", noPe, EmbeddedSignatureStatus::kNotExecutable},
      {"no certificate table", peImage(true, ""), EmbeddedSignatureStatus::kUnsigned},
      {"table past the end", truncatedTable, EmbeddedSignatureStatus::kMalformed},
      {"only an X.509 entry (type 1)", peImage(false, good, 1), EmbeddedSignatureStatus::kMalformed},
      {"signer not among the certificates",
       peImage(true, signedData({certificate("\x03", kRoot, kCorvane)}, kRoot, "\x02")),
       EmbeddedSignatureStatus::kMalformed},
      {"not DER", peImage(true, "garbage bytes"), EmbeddedSignatureStatus::kMalformed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(read(c.image).status, c.expected);
  }
}

TEST(EmbeddedSignatureTest, EveryTruncationIsRejectedWithoutReadingPastTheEnd) {
  const std::string image =
      peImage(true, signedData({certificate("\x02", kRoot, kCorvane)}, kRoot, "\x02"));
  for (size_t n = 0; n < image.size(); ++n) {
    // A copy of exactly n bytes, so ASan sees any read past it.
    std::vector<uint8_t> bytes(image.begin(), image.begin() + static_cast<long>(n));
    const EmbeddedSignature s = readEmbeddedSignature(bytes.data(), bytes.size());
    EXPECT_NE(s.status, EmbeddedSignatureStatus::kSigned) << n;
  }
}

}  // namespace
}  // namespace kx
