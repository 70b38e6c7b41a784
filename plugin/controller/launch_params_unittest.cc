#include "plugin/controller/launch_params.h"

#include <gtest/gtest.h>

#include "plugin/controller/progress_table.h"
#include "plugin/controller/role_info.h"
#include "plugin/controller/utf.h"

namespace kx::plugin {
namespace {

TEST(ParseParamsTest, RunsOfSeparatorsFirstValueWinsAndCodeUnitOrder) {
  const struct {
    const char16_t* text;
    ParamMap params;
  } cases[] = {
      {u"gameUpdateUrl=U,extParam=E", {{u"extParam", u"E"}, {u"gameUpdateUrl", u"U"}}},
      {u",,,a==1,,,b=2,", {{u"a", u"1"}, {u"b", u"2"}}},
      {u"a=1,a=2", {{u"a", u"1"}}},
      {u"gameUpdateUrl=http://h/path?a=1", {{u"gameUpdateUrl", u"http://h/path?a"}}},
      {u"key", {{u"key", u""}}},
      {u"k=v=w=x", {{u"k", u"v"}}},
      {u"===", {{u"", u""}}},
      {u"", {}},
      {u",,,", {}},
      {u"=v", {{u"v", u""}}},
  };
  for (const auto& c : cases) EXPECT_EQ(parseParams(c.text), c.params) << utf16ToUtf8(c.text);

  // U+FF41 sorts after 'b' by code unit, U+00E9 between them.
  const ParamMap ordered = parseParams(u"\uFF41=1,b=2,\u00E9=3,B=4");
  std::u16string keys;
  for (const auto& [key, value] : ordered) keys += key;
  EXPECT_EQ(keys, u"Bb\u00E9\uFF41");
}

TEST(LaunchArgumentsTest, SixOrSevenFieldsWithSignedNumbers) {
  LaunchFields f;
  f.mode = kModeNormal;
  f.window = 1312;
  f.processId = 4242;
  f.width = 960;
  f.height = 640;
  f.sixth = u"U";
  EXPECT_EQ(launchArguments(f), u"__KX_LAUNCH_NORMAL__ 1312 4242 960 640 U");
  f.optional = u"E F";
  EXPECT_EQ(launchArguments(f), u"__KX_LAUNCH_NORMAL__ 1312 4242 960 640 U E F");
  f.mode = kModeSwitch;
  f.window = 0x80000010u;
  f.processId = 0xFFFFFFFFu;
  f.width = 1024;
  f.height = 768;
  f.sixth = u"2";
  f.optional.clear();
  EXPECT_EQ(launchArguments(f), u"__KX_SWITCH_LAUNCH__ -2147483632 -1 1024 768 2");
  EXPECT_EQ(launcherCommandLine(u"__KX_CLEAR_PATCH__ 1"), u"KXLaunch.exe __KX_CLEAR_PATCH__ 1");
}

TEST(PhaseRangeTest, EveryPhaseAndEveryEighth) {
  const struct {
    uint8_t phase, status;
    int32_t start, target;
  } cases[] = {
      {0, 1, 1, 3},   {1, 1, 3, 6},   {2, 1, 6, 8},   {3, 1, 8, 10},  {5, 1, 60, 90},
      {6, 1, 90, 95}, {7, 1, 95, 97}, {8, 1, 97, 98}, {9, 1, 98, 99}, {10, 1, 99, 0},
      {4, 1, 10, 16}, {4, 2, 16, 22}, {4, 3, 22, 28}, {4, 4, 28, 35}, {4, 5, 35, 41},
      {4, 6, 41, 47}, {4, 7, 47, 53}, {4, 8, 53, 60}, {4, 9, 60, 60}, {5, 200, 60, 90},
  };
  for (const auto& c : cases) {
    const auto range = phaseRange(c.phase, c.status);
    ASSERT_TRUE(range) << int(c.phase);
    EXPECT_EQ(range->start, c.start) << int(c.phase) << "/" << int(c.status);
    EXPECT_EQ(range->target, c.target) << int(c.phase) << "/" << int(c.status);
    EXPECT_EQ(range->step, 1);
  }
  EXPECT_FALSE(phaseRange(11, 1));
  EXPECT_FALSE(phaseRange(255, 1));
}

TEST(RoleInfoTest, FifteenNumberedFieldsFromJson) {
  const std::string full =
      R"({"role_id":"8801","cName":"Anna","iGrade":"45","hostid":"12","hostname":"North",)"
      R"("iIcon":"3","cIconName":"icon3","iSchool":"1","cSchoolName":"Blade","score":"0",)"
      R"("vip":"3","orgId":"","cOrg":"","iRegion":"2","cRegionName":"East","extra":"x"})";
  EXPECT_EQ(WebSDK::fieldsText(roleInfoFromJson(full)),
            "1:8801,10:0,11:3,12:,13:,14:2,15:East,2:Anna,3:45,4:12,5:North,6:3,7:icon3,8:1,"
            "9:Blade,");
  const std::string empty15 = "1:,10:,11:,12:,13:,14:,15:,2:,3:,4:,5:,6:,7:,8:,9:,";
  const struct {
    const char* json;
    const char* text;
  } cases[] = {
      {R"({"CNAME":"Anna"})", "1:,10:,11:,12:,13:,14:,15:,2:Anna,3:,4:,5:,6:,7:,8:,9:,"},
      {R"({"iGrade":45,"score":-7,"vip":2.5})", "1:,10:-7,11:2.5,12:,13:,14:,15:,2:,3:45,4:,5:,6:,7:,8:,9:,"},
      {R"({"cName":true,"iGrade":null,"hostid":["1"],"hostname":{"a":"b"}})", empty15.c_str()},
      {R"(["Anna"])", empty15.c_str()},
      {"not json", empty15.c_str()},
      {"", empty15.c_str()},
      {R"("role_id")", empty15.c_str()},
  };
  for (const auto& c : cases) EXPECT_EQ(WebSDK::fieldsText(roleInfoFromJson(c.json)), c.text) << c.json;
}

TEST(UtfTest, RoundTripsAndReplacesMalformedInput) {
  EXPECT_EQ(utf8ToUtf16("a\xE4\xBD\xA0\xF0\x9F\x98\x80"), u"a\u4F60\U0001F600");
  EXPECT_EQ(utf16ToUtf8(u"a\u4F60\U0001F600"), "a\xE4\xBD\xA0\xF0\x9F\x98\x80");
  EXPECT_EQ(utf8ToUtf16("\xC0\xAF"), u"\uFFFD");        // overlong
  EXPECT_EQ(utf8ToUtf16("\xE4\xBDx"), u"\uFFFDx");      // cut sequence keeps the next byte
  EXPECT_EQ(utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD");    // encoded surrogate
  EXPECT_EQ(utf8ToUtf16("\xFF"), u"\uFFFD");
  EXPECT_EQ(utf16ToUtf8(std::u16string(1, u'\xD800') + u"x"), "\xEF\xBF\xBDx");
}

}  // namespace
}  // namespace kx::plugin
