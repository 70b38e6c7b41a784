#include "launcher/entry/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace kx::launcher {
namespace {

using Mode = LaunchMode;

struct Case {
  const char* name;
  std::wstring arguments;
  Mode mode;
  int32_t hOcxWnd;
  int32_t browserPid;
  int32_t width;
  int32_t height;
  std::wstring url;
  int32_t switchNumber;
  bool hasLast;
  std::wstring last;
};

const std::wstring kUrl = L"http://patch.example/kx_patchlist_win32";

class ParseLaunchCommandTest : public ::testing::TestWithParam<Case> {};

TEST_P(ParseLaunchCommandTest, MatchesTheForm) {
  const Case& c = GetParam();
  const LaunchCommand got = parseLaunchCommand(c.arguments);
  ASSERT_EQ(got.mode, c.mode);
  if (c.mode == Mode::kRejected) return;
  EXPECT_EQ(got.hOcxWnd, c.hOcxWnd);
  EXPECT_EQ(got.browserPid, c.browserPid);
  EXPECT_EQ(got.gameWidth, c.width);
  EXPECT_EQ(got.gameHeight, c.height);
  EXPECT_EQ(got.updateUrl, c.url);
  EXPECT_EQ(got.switchNumber, c.switchNumber);
  EXPECT_EQ(got.hasLastField, c.hasLast);
  EXPECT_EQ(got.lastField, c.last);
}

const Case kCases[] = {
    {"NormalSevenFields", L"__KX_LAUNCH_NORMAL__ 1234 5678 960 640 " + kUrl + L" LocalDir@D:\\kx",
     Mode::kNormal, 1234, 5678, 960, 640, kUrl, 0, true, L"LocalDir@D:\\kx"},
    {"NormalSixFields", L"__KX_LAUNCH_NORMAL__ 1 2 3 4 " + kUrl, Mode::kNormal, 1, 2, 3, 4, kUrl,
     0, false, L""},
    {"NormalEightFieldsIgnoresTheRest", L"__KX_LAUNCH_NORMAL__ 1 2 3 4 u a@b extra", Mode::kNormal,
     1, 2, 3, 4, L"u", 0, true, L"a@b"},
    {"SwitchWithDirectory", L"__KX_SWITCH_LAUNCH__ 10 20 800 600 3 C:\\cache", Mode::kSwitch, 10,
     20, 800, 600, L"", 3, true, L"C:\\cache"},
    {"SwitchSixFields", L"__KX_SWITCH_LAUNCH__ 10 20 800 600 3", Mode::kSwitch, 10, 20, 800, 600,
     L"", 3, false, L""},
    // Field 6 must be a number in the switch form; no other form takes the token.
    {"SwitchTextField6Rejected", L"__KX_SWITCH_LAUNCH__ 10 20 800 600 abc C:\\cache",
     Mode::kRejected},
    {"SwitchSignedField6", L"__KX_SWITCH_LAUNCH__ 10 20 800 600 -7", Mode::kSwitch, 10, 20, 800,
     600, L"", -7, false, L""},
    {"Repair", L"__KX_CLEAR_REPAIR__ 5 6 7 8 " + kUrl + L" k@v", Mode::kRepair, 5, 6, 7, 8, kUrl, 0,
     true, L"k@v"},
    {"ClearPatchWithDirectory", L"__KX_CLEAR_PATCH__ 5 6 7 8 " + kUrl + L" D:\\root",
     Mode::kClearPatch, 5, 6, 7, 8, kUrl, 0, true, L"D:\\root"},
    {"ClearPatchSixFields", L"__KX_CLEAR_PATCH__ 5 6 7 8 " + kUrl, Mode::kClearPatch, 5, 6, 7, 8,
     kUrl, 0, false, L""},
    {"ClearPatchFourIntegersRejected", L"__KX_CLEAR_PATCH__ 5 6 7 8", Mode::kRejected},
    {"FiveFieldsRejected", L"__KX_LAUNCH_NORMAL__ 1 2 3 4", Mode::kRejected},
    {"LowerCaseTokenRejected", L"__kx_launch_normal__ 1 2 3 4 " + kUrl, Mode::kRejected},
    {"MixedCaseTokenRejected", L"__KX_Clear_Patch__ 1 2 3 4 " + kUrl, Mode::kRejected},
    {"TokenPrefixRejected", L"__KX_LAUNCH_NORMAL 1 2 3 4 " + kUrl, Mode::kRejected},
    {"TokenWithSuffixRejected", L"__KX_LAUNCH_NORMAL__x 1 2 3 4 " + kUrl, Mode::kRejected},
    {"EmptyRejected", L"", Mode::kRejected},
    {"WhiteOnlyRejected", L" \t\r\n ", Mode::kRejected},
    {"NonNumberStopsTheScan", L"__KX_LAUNCH_NORMAL__ 1 x 3 4 " + kUrl + L" e", Mode::kRejected},
    {"LeadingAndTrailingWhite", L"  \t__KX_LAUNCH_NORMAL__\t 1   2\r\n3 4   u  \t e@f  \n",
     Mode::kNormal, 1, 2, 3, 4, L"u", 0, true, L"e@f"},
    {"SignedNumbers", L"__KX_LAUNCH_NORMAL__ -1 +2 -0 +0 u", Mode::kNormal, -1, 2, 0, 0, L"u", 0,
     false, L""},
    {"HandleExtremes", L"__KX_LAUNCH_NORMAL__ -2147483648 2147483647 1 1 u", Mode::kNormal,
     INT32_MIN, INT32_MAX, 1, 1, L"u", 0, false, L""},
    // A handle written unsigned keeps its 32 bits.
    {"UnsignedHandle", L"__KX_LAUNCH_NORMAL__ 4294967295 2147483648 1 1 u", Mode::kNormal, -1,
     INT32_MIN, 1, 1, L"u", 0, false, L""},
    {"LeadingZeros", L"__KX_LAUNCH_NORMAL__ 000000000000000000042 7 1 1 u", Mode::kNormal, 42, 7,
     1, 1, L"u", 0, false, L""},
    // Out-of-range numbers do not convert; garbage would name another window.
    {"HandleOverflowRejected", L"__KX_LAUNCH_NORMAL__ 4294967296 7 1 1 u", Mode::kRejected},
    {"NegativeOverflowRejected", L"__KX_LAUNCH_NORMAL__ -2147483649 7 1 1 u", Mode::kRejected},
    {"HugeHandleRejected", L"__KX_LAUNCH_NORMAL__ 99999999999999999999999 7 1 1 u",
     Mode::kRejected},
    {"LoneSignRejected", L"__KX_LAUNCH_NORMAL__ - 7 1 1 u", Mode::kRejected},
    // scanf reads a number up to its last digit; the rest starts the next field.
    {"NumberFollowedByText", L"__KX_LAUNCH_NORMAL__ 1 2 3 4url more", Mode::kNormal, 1, 2, 3, 4,
     L"url", 0, true, L"more"},
    {"FullWidthDigitsRejected", L"__KX_LAUNCH_NORMAL__ \xFF11 2 3 4 u", Mode::kRejected},
    {"ChineseTextKept", L"__KX_LAUNCH_NORMAL__ 1 2 3 4 u LocalDir@D:\\\x6E38\x620F",
     Mode::kNormal, 1, 2, 3, 4, L"u", 0, true, L"LocalDir@D:\\\x6E38\x620F"},
};

INSTANTIATE_TEST_SUITE_P(Table, ParseLaunchCommandTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Capacities: 127 characters for fields 1 and 6, 255 for field 7; one more
// rejects the command line instead of cutting the token.
TEST(ParseLaunchCommandCapacity, Field6) {
  const std::wstring ok(127, L'u');
  EXPECT_EQ(parseLaunchCommand(L"__KX_LAUNCH_NORMAL__ 1 2 3 4 " + ok).updateUrl, ok);
  EXPECT_EQ(parseLaunchCommand(L"__KX_LAUNCH_NORMAL__ 1 2 3 4 " + ok + L"u").mode,
            Mode::kRejected);
  EXPECT_EQ(parseLaunchCommand(L"__KX_CLEAR_PATCH__ 1 2 3 4 " + ok + L"u").mode, Mode::kRejected);
}

TEST(ParseLaunchCommandCapacity, Field7) {
  const std::wstring ok(255, L'd');
  for (const std::wstring prefix :
       {L"__KX_LAUNCH_NORMAL__ 1 2 3 4 u ", L"__KX_SWITCH_LAUNCH__ 1 2 3 4 5 ",
        L"__KX_CLEAR_REPAIR__ 1 2 3 4 u ", L"__KX_CLEAR_PATCH__ 1 2 3 4 u "}) {
    SCOPED_TRACE(std::string(prefix.begin(), prefix.end()));
    const LaunchCommand fits = parseLaunchCommand(prefix + ok);
    EXPECT_NE(fits.mode, Mode::kRejected);
    EXPECT_EQ(fits.lastField, ok);
    EXPECT_EQ(parseLaunchCommand(prefix + ok + L"d").mode, Mode::kRejected);
  }
}

TEST(ParseLaunchCommandCapacity, Field1) {
  EXPECT_EQ(parseLaunchCommand(std::wstring(128, L'_') + L" 1 2 3 4 u").mode,
            Mode::kRejected);
  // A long field 1 that is no token is simply no form.
  EXPECT_EQ(parseLaunchCommand(std::wstring(127, L'_') + L" 1 2 3 4 u").mode,
            Mode::kRejected);
}

TEST(ScanFields, CountsConvertedFieldsAndStopsAtTheFirstFailure) {
  const std::vector<ScanDirective> pattern = {{ScanDirective::kText, 3},
                                              {ScanDirective::kNumber, 0},
                                              {ScanDirective::kText, 3}};
  ScanResult r = scanFields(L"ab -12 cd", pattern);
  EXPECT_EQ(r.converted, 3);
  EXPECT_FALSE(r.tooLong);
  EXPECT_EQ(r.fields[1].number, -12);
  r = scanFields(L"ab x cd", pattern);
  EXPECT_EQ(r.converted, 1);
  r = scanFields(L"abcd 1 c", pattern);
  EXPECT_EQ(r.converted, 0);
  EXPECT_TRUE(r.tooLong);
  r = scanFields(L"ab 1", pattern);
  EXPECT_EQ(r.converted, 2);
  EXPECT_FALSE(r.tooLong);
}

TEST(ParseExtParam, Pairs) {
  using Map = std::map<std::wstring, std::wstring>;
  EXPECT_EQ(parseExtParam(L"LocalDir@@D:\\games@extra"), (Map{{L"LocalDir", L"D:\\games"}}));
  EXPECT_EQ(parseExtParam(L"a@1@a@2"), (Map{{L"a", L"2"}}));
  EXPECT_EQ(parseExtParam(L"@a@@1@@b@2@"), (Map{{L"a", L"1"}, {L"b", L"2"}}));
  EXPECT_EQ(parseExtParam(L"LocalDir@x@localdir@y"),
            (Map{{L"LocalDir", L"x"}, {L"localdir", L"y"}}));
  EXPECT_EQ(parseExtParam(L"lonely"), Map{});
  EXPECT_EQ(parseExtParam(L""), Map{});
  EXPECT_EQ(parseExtParam(L"@@@"), Map{});
}

LauncherState applied(const std::wstring& arguments) {
  LauncherState state;
  applyLaunchCommand(parseLaunchCommand(arguments), state);
  return state;
}

TEST(ApplyLaunchCommand, NormalAndRepairTakeTheCacheRootFromLocalDir) {
  for (const wchar_t* token : {kNormalLaunchToken, kClearRepairToken}) {
    const std::wstring t = token;
    LauncherState s = applied(t + L" 11 22 33 44 " + kUrl + L" x@1@LocalDir@D:\\games");
    EXPECT_EQ(s.hOcxWnd, 11);
    EXPECT_EQ(s.browserPid, 22);
    EXPECT_EQ(s.gameWidth, 33);
    EXPECT_EQ(s.gameHeight, 44);
    EXPECT_EQ(s.GameUpdateUrl, kUrl);
    EXPECT_EQ(s.WEB_KX_DIR_PATH, L"D:\\games");
    EXPECT_EQ(s.launchParams.size(), 2u);

    s = applied(t + L" 11 22 33 44 " + kUrl);
    EXPECT_TRUE(s.launchParams.empty());
    EXPECT_EQ(s.WEB_KX_DIR_PATH, L"");

    s = applied(t + L" 11 22 33 44 " + kUrl + L" localdir@D:\\games");
    EXPECT_EQ(s.WEB_KX_DIR_PATH, L"");
  }
}

TEST(ApplyLaunchCommand, SwitchKeepsTheDefaultUrl) {
  LauncherState s = applied(L"__KX_SWITCH_LAUNCH__ 1 2 3 4 5 C:\\root");
  EXPECT_EQ(s.GameUpdateUrl, kDefaultPatchListUrl);
  EXPECT_EQ(s.WEB_KX_DIR_PATH, L"C:\\root");
  EXPECT_EQ(s.gameWidth, 3);
  EXPECT_TRUE(s.launchParams.empty());
  EXPECT_EQ(applied(L"__KX_SWITCH_LAUNCH__ 1 2 3 4 5").WEB_KX_DIR_PATH, L"");
}

TEST(ApplyLaunchCommand, ClearPatchTakesTheDirectoryAsIs) {
  LauncherState s = applied(L"__KX_CLEAR_PATCH__ 1 2 3 4 u LocalDir@x");
  EXPECT_EQ(s.GameUpdateUrl, L"u");
  EXPECT_EQ(s.WEB_KX_DIR_PATH, L"LocalDir@x");
  EXPECT_TRUE(s.launchParams.empty());
}

TEST(ApplyLaunchCommand, RejectedChangesNothing) {
  LauncherState s = applied(L"__KX_CLEAR_PATCH__ 1 2 3 4");
  EXPECT_EQ(s.hOcxWnd, 0);
  EXPECT_EQ(s.gameWidth, kDefaultGameWidth);
  EXPECT_EQ(s.gameHeight, kDefaultGameHeight);
  EXPECT_EQ(s.GameUpdateUrl, kDefaultPatchListUrl);
}

}  // namespace
}  // namespace kx::launcher
