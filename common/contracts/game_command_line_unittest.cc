#include "common/contracts/game_command_line.h"

#include <gtest/gtest.h>

namespace kx {
namespace {

TEST(GameCommandLine, FormatsSignedDecimalsWithSingleBlanks) {
  EXPECT_EQ(formatGameCommandLine({12345, 678, 960, 640}), L"__KXGAME_NORMAL_TAG__ 12345 678 960 640");
  // A 64-bit handle sign-extended from the wire stays negative in decimal.
  EXPECT_EQ(formatGameCommandLine({-2, 1, 0, -1}), L"__KXGAME_NORMAL_TAG__ -2 1 0 -1");
}

TEST(GameCommandLine, ParseRoundTripsAndRejects) {
  const GameCommandLine samples[] = {{12345, 678, 960, 640}, {-2147483647 - 1, 2147483647, 0, -5}};
  for (const auto& s : samples) {
    auto parsed = parseGameCommandLine(formatGameCommandLine(s));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->hOcxWnd, s.hOcxWnd);
    EXPECT_EQ(parsed->browserPid, s.browserPid);
    EXPECT_EQ(parsed->width, s.width);
    EXPECT_EQ(parsed->height, s.height);
  }
  const wchar_t* bad[] = {
      L"",
      L"__KXGAME_NORMAL_TAG__ 1 2 3",        // a field missing
      L"__kxgame_normal_tag__ 1 2 3 4",      // the tag is case-sensitive
      L"__KXGAME_NORMAL_TAG__X 1 2 3 4",     // not the tag
      L"__KXGAME_NORMAL_TAG__ 1 2 x 4",      // not a number
      L"__KXGAME_NORMAL_TAG__ 1 2 3 2147483648",  // does not fit
  };
  for (const wchar_t* b : bad) EXPECT_FALSE(parseGameCommandLine(b)) << b;
  auto spaced = parseGameCommandLine(L"  __KXGAME_NORMAL_TAG__\t1  2 3 4 trailing");
  ASSERT_TRUE(spaced);
  EXPECT_EQ(spaced->height, 4);
}

}  // namespace
}  // namespace kx
