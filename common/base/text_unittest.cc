#include "common/base/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kx {
namespace {

TEST(JoinPath, Table) {
  EXPECT_EQ(joinPath(L"C:/data/cache", L"kx.txt"), L"C:\\data\\cache\\kx.txt");
  EXPECT_EQ(joinPath(L"C:\\data\\", L"kx.txt"), L"C:\\data\\kx.txt");
  EXPECT_EQ(joinPath(L"C:/data/", L"kx.txt"), L"C:\\data\\kx.txt");
  EXPECT_EQ(joinPath(L"", L"kx.txt"), L"kx.txt");
  EXPECT_EQ(joinPath(L"C:\\x", L"a/b"), L"C:\\x\\a/b");  // the name stays unchanged
}

TEST(SplitString, DropsEmptyPieces) {
  using V = std::vector<std::wstring>;
  EXPECT_EQ(splitString(L"a\n\nb", L"\n"), (V{L"a", L"b"}));
  EXPECT_EQ(splitString(L"a\nb\n", L"\n"), (V{L"a", L"b"}));
  EXPECT_EQ(splitString(L"\na", L"\n"), (V{L"a"}));
  EXPECT_EQ(splitString(L"abc", L"\n"), (V{L"abc"}));
  EXPECT_EQ(splitString(L"", L"\n"), (V{L""}));
  EXPECT_EQ(splitString(L"@@", L"@"), V{});
  EXPECT_EQ(splitString(L"LocalDir@@D:\\games@extra", L"@"), (V{L"LocalDir", L"D:\\games", L"extra"}));
}

TEST(Trim, BothSides) {
  std::wstring s = L"   \r";
  trimLeft(s, L" \r");
  trimRight(s, L" \r");
  EXPECT_EQ(s, L"");
  std::wstring t = L" \r\n 2.5.0 \r\n";
  EXPECT_TRUE(trimLeft(t));
  EXPECT_TRUE(trimRight(t));
  EXPECT_EQ(t, L"2.5.0");
  std::wstring only = L"\r\n";
  trimRight(only);
  EXPECT_EQ(only, L"");
  std::wstring empty;
  EXPECT_TRUE(trimLeft(empty));
  EXPECT_EQ(empty, L"");
}

}  // namespace
}  // namespace kx
