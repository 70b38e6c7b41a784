#include "plugin/host/page_call.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/npapi/host_funcs.h"
#include "tools/test_browser/npn_host.h"

namespace NPPlugin {
namespace {

struct UrlCase {
  const char* name;
  std::vector<std::string> args;
  const char* url;
};

TEST(PageCallUrlTest, PlainTextsGiveTheQuotedCallForm) {
  const UrlCase cases[] = {
      {"onPluginReady", {}, "javascript:onPluginReady()"},
      {"showDiv", {"0", "1"}, "javascript:showDiv('0','1')"},
      {"login", {""}, "javascript:login('')"},
      {"f", {"a", "b", "c"}, "javascript:f('a','b','c')"},
      {"invokeFunc",
       {"commonCmdHandler", "cmd:com_progress_status,status:6"},
       "javascript:invokeFunc('commonCmdHandler','cmd:com_progress_status,status:6')"},
      // Non-ASCII passes as its UTF-8 bytes; "<" or "/" alone is no closing tag.
      {"setClientData", {"\xE4\xBD\xA0 a<b 1/2 \"q\""},
       "javascript:setClientData('\xE4\xBD\xA0 a<b 1/2 \"q\"')"},
  };
  for (const UrlCase& c : cases) EXPECT_EQ(pageCallUrl(c.name, c.args), c.url) << c.name;
}

TEST(PageCallUrlTest, ScriptCharactersAreEscaped) {
  const struct {
    std::string in;
    const char* out;
  } cases[] = {
      {"it's", "it\\'s"},
      {"C:\\Kx\\", "C:\\\\Kx\\\\"},
      {"\\'", "\\\\\\'"},
      {"a\nb\rc", "a\\nb\\rc"},
      {"x\xE2\x80\xA8y\xE2\x80\xA9z", "x\\u2028y\\u2029z"},
      {"</script><script>alert(1)</script>", "<\\/script><script>alert(1)<\\/script>"},
      {std::string("a\0b", 3), "a\\x00b"},
      // Neighbours of U+2028 stay as they are; a cut-off sequence too.
      {"\xE2\x80\xA7\xE2\x80\xAA\xE2\x80", "\xE2\x80\xA7\xE2\x80\xAA\xE2\x80"},
      {"'); alert('x", "\\'); alert(\\'x"},
      // What a browser would undo before the script runs: percent escapes and tabs.
      {"%27)+(window.pwned=1)+(%27", "\\x2527)+(window.pwned=1)+(\\x2527"},
      {"100%", "100\\x25"},
      {"a\tb", "a\\tb"},
  };
  for (const auto& c : cases) EXPECT_EQ(escapePageArgument(c.in), c.out) << c.in;
  EXPECT_EQ(pageCallUrl("f", {"it's", "a\nb"}), "javascript:f('it\\'s','a\\nb')");
}

TEST(CallPageFunctionTest, HandsTheUrlAndTargetToTheBrowserAndReturnsItsResult) {
  kx::browser::NpnHost browser;
  const NPNetscapeFuncs table = browser.table();
  adoptHostFuncs(table);
  NPP_t instance{};
  std::vector<std::string> seen;
  browser.setGetUrlListener([&](NPP npp, const char* url, const char* target) {
    EXPECT_EQ(npp, &instance);
    seen.push_back(std::string(url) + "|" + target);
    return NPError{10};
  });
  EXPECT_EQ(callPageFunction(&instance, "showDiv", {"0", "1"}, "_self"), 10);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], "javascript:showDiv('0','1')|_self");
  clearHostFuncs();
  // Without a browser table there is nobody to call.
  EXPECT_EQ(callPageFunction(&instance, "f", {}, "_self"), NPERR_INVALID_FUNCTABLE_ERROR);
  EXPECT_EQ(seen.size(), 1u);
}

}  // namespace
}  // namespace NPPlugin
