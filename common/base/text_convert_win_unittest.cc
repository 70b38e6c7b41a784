#include "common/base/text_convert_win.h"

#include <gtest/gtest.h>

#include <string>

namespace kx {
namespace {

TEST(TextConvert, EmptyInputLeavesOutputAndZeroEndsInput) {
  std::wstring w = L"keep";
  EXPECT_EQ(utf8ToWide("", w), L"keep");
  EXPECT_EQ(utf8ToWide(std::string("ab\0cd", 5), w), L"ab");
  std::string u = "keep";
  EXPECT_EQ(wideToUtf8(L"", u), "keep");
  EXPECT_EQ(wideToUtf8(L"\x542F\x52A8", u), "\xE5\x90\xAF\xE5\x8A\xA8");
  std::string a;
  EXPECT_EQ(wideToAnsi(L"abc", a), "abc");
  std::wstring back;
  EXPECT_EQ(ansiToWide("xyz", back), L"xyz");
}

}  // namespace
}  // namespace kx
