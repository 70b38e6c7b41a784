#include "common/signing/opus_info.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kx {
namespace {

struct Case {
  const char* what;
  std::vector<uint8_t> der;
  bool ok;
  std::u16string name;
};

// Literal attribute values; "KX" is 4B 58, the CJK name 游戏 is U+6E38 U+620F.
const Case kCases[] = {
    {"ascii, as osslsigncode writes it",
     {0x30, 0x0B, 0xA0, 0x09, 0x81, 0x07, 'K', 'X', ' ', 'G', 'a', 'm', 'e'}, true, u"KX Game"},
    {"unicode BMPString, big-endian",
     {0x30, 0x08, 0xA0, 0x06, 0x80, 0x04, 0x6E, 0x38, 0x62, 0x0F}, true, u"\u6E38\u620F"},
    {"unicode ascii-range letters stay whole",
     {0x30, 0x08, 0xA0, 0x06, 0x80, 0x04, 0x00, 'K', 0x00, 'X'}, true, u"KX"},
    {"name followed by a more-info link",
     {0x30, 0x0F, 0xA0, 0x04, 0x81, 0x02, 'K', 'X',
      0xA1, 0x07, 0x80, 0x05, 'h', 't', 't', 'p', ':'}, true, u"KX"},
    {"empty ascii name", {0x30, 0x04, 0xA0, 0x02, 0x81, 0x00}, true, u""},
    {"no program name, only a link",
     {0x30, 0x09, 0xA1, 0x07, 0x80, 0x05, 'h', 't', 't', 'p', ':'}, false, u""},
    {"empty sequence", {0x30, 0x00}, false, u""},
    {"odd BMPString length", {0x30, 0x07, 0xA0, 0x05, 0x80, 0x03, 0x00, 'K', 0x00}, false, u""},
    {"BMPString holding a zero", {0x30, 0x06, 0xA0, 0x04, 0x80, 0x02, 0x00, 0x00}, false, u""},
    {"IA5String byte above 0x7F", {0x30, 0x05, 0xA0, 0x03, 0x81, 0x01, 0x80}, false, u""},
    {"IA5String holding a zero", {0x30, 0x05, 0xA0, 0x03, 0x81, 0x01, 0x00}, false, u""},
    {"unknown choice [2]", {0x30, 0x06, 0xA0, 0x04, 0x82, 0x02, 'K', 'X'}, false, u""},
    {"trailing bytes inside [0]",
     {0x30, 0x08, 0xA0, 0x06, 0x81, 0x02, 'K', 'X', 0x05, 0x00}, false, u""},
    {"string longer than its parent", {0x30, 0x06, 0xA0, 0x04, 0x81, 0x03, 'K', 'X'}, false, u""},
    {"not a sequence", {0x31, 0x06, 0xA0, 0x04, 0x81, 0x02, 'K', 'X'}, false, u""},
};

TEST(OpusInfoTest, ProgramNameByItsOwnEncoding) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    std::u16string name = u"stale";
    EXPECT_EQ(c.ok, decodeOpusProgramName(c.der.data(), c.der.size(), name));
    EXPECT_EQ(c.name, name);
  }
}

TEST(OpusInfoTest, EveryShorterPrefixFails) {
  const std::vector<uint8_t> der = {0x30, 0x08, 0xA0, 0x06, 0x80, 0x04, 0x00, 'K', 0x00, 'X'};
  for (size_t n = 0; n < der.size(); ++n) {
    SCOPED_TRACE(n);
    std::u16string name;
    EXPECT_FALSE(decodeOpusProgramName(der.data(), n, name));
  }
}

}  // namespace
}  // namespace kx
