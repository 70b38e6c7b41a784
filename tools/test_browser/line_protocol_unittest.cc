#include "tools/test_browser/line_protocol.h"

#include <gtest/gtest.h>

namespace kx::browser {
namespace {

TEST(LineProtocolTest, FieldsRoundTripThroughTheirEscapes) {
  const std::vector<std::string> fields{"invoke", "a", "s:x\ty\nz\\w\r", std::string("\0\x1F", 2),
                                        ""};
  const std::string line = joinFields(fields);
  EXPECT_EQ(line, "invoke\ta\ts:x\\ty\\nz\\\\w\\r\t\\x00\\x1F\t");
  EXPECT_EQ(splitFields(line), fields);
  EXPECT_EQ(splitFields("a\\qb\\"), std::vector<std::string>{"a\\qb\\"});
}

TEST(LineProtocolTest, ValuesByTheirPrefix) {
  EXPECT_EQ(parseValue("s:eventType:OnPageLoaded")->text, "eventType:OnPageLoaded");
  EXPECT_EQ(parseValue("s:")->type, NPVariantType_String);
  EXPECT_EQ(parseValue("i:42")->intValue, 42);
  EXPECT_EQ(parseValue("i:-0x10")->intValue, -16);
  EXPECT_EQ(parseValue("i:2147483647")->intValue, 2147483647);
  EXPECT_FALSE(parseValue("i:2147483648"));
  EXPECT_FALSE(parseValue("i:4x"));
  EXPECT_DOUBLE_EQ(parseValue("d:1.5")->doubleValue, 1.5);
  EXPECT_FALSE(parseValue("d:1.5q"));
  EXPECT_TRUE(parseValue("b:true")->boolValue);
  EXPECT_EQ(parseValue("b:false")->type, NPVariantType_Bool);
  EXPECT_EQ(parseValue("null")->type, NPVariantType_Null);
  EXPECT_EQ(parseValue("void")->type, NPVariantType_Void);
  EXPECT_FALSE(parseValue("42"));
  const Value text = *parseValue("s:ab");
  EXPECT_EQ(formatVariant(toVariant(text)), "s:ab");
  EXPECT_EQ(formatVariant(toVariant(*parseValue("i:-3"))), "i:-3");
  EXPECT_EQ(formatVariant(toVariant(*parseValue("b:true"))), "b:true");
}

TEST(LineProtocolTest, PageCallsDecodeTheirArguments) {
  const struct {
    const char* url;
    const char* function;
    std::vector<std::string> args;
  } good[] = {
      {"javascript:onPluginReady()", "onPluginReady", {}},
      {"javascript:showDiv('0','1')", "showDiv", {"0", "1"}},
      {"javascript:login('')", "login", {""}},
      {"javascript:f('it\\'s','C:\\\\Kx','a\\nb\\r','<\\/s>','\\u2028\\x41')",
       "f",
       {"it's", "C:\\Kx", "a\nb\r", "</s>", "\xE2\x80\xA8" "A"}},
      {"javascript:f('\\u4f60')", "f", {"\xE4\xBD\xA0"}},
  };
  for (const auto& c : good) {
    const std::optional<PageCall> call = decodePageCall(c.url);
    ASSERT_TRUE(call) << c.url;
    EXPECT_EQ(call->function, c.function);
    EXPECT_EQ(call->args, c.args) << c.url;
  }
  for (const char* bad : {"http://x/", "javascript:f(", "javascript:f('a)", "javascript:f('a',)",
                          "javascript:f('a' ,'b')", "javascript:f('a'));x()", "javascript:('a')",
                          "javascript:f('a\nb')", "javascript:f('\\u12')"})
    EXPECT_FALSE(decodePageCall(bad)) << bad;
}

}  // namespace
}  // namespace kx::browser
