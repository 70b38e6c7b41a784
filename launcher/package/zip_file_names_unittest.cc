#include "launcher/package/zip_file_names.h"

#include <gtest/gtest.h>

#include <string>

namespace cocos2d {
namespace {

TEST(ZipFileNamesTest, EntryNamesThatStayInsideTheTarget) {
  const struct {
    std::string name;
    bool safe;
  } cases[] = {
      {"top.txt", true},           {"data/", true},           {"data/a.bin", true},
      {"a..b/c", true},            {"..a", true},             {"./x", true},
      {"data\\a.bin", true},       {"\xe8\xb5\x84\xe6\xba\x90/x", true},
      {"", false},                 {"..", false},             {"../x", false},
      {"a/../../x", false},        {"a\\..\\x", false},       {"a/..", false},
      {"/etc/passwd", false},      {"\\x", false},            {"C:x", false},
      {"c:/x", false},             {"a/b:stream", false},     {".. /x", false},
      {"a/.../b", false},          {"a/. ./b", false},        {std::string("a\0/b", 4), false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.safe, isSafeEntryName(c.name)) << c.name;
  }
}

TEST(ZipFileNamesTest, FolderNamesAndTrailingSeparator) {
  EXPECT_TRUE(isFolderEntryName("data/"));
  EXPECT_TRUE(isFolderEntryName("data\\"));
  EXPECT_FALSE(isFolderEntryName("data"));
  EXPECT_FALSE(isFolderEntryName(""));
  EXPECT_EQ("T", withoutTrailingSeparator("T/"));
  EXPECT_EQ("T", withoutTrailingSeparator("T\\"));
  EXPECT_EQ("T/", withoutTrailingSeparator("T//"));
  EXPECT_EQ("T", withoutTrailingSeparator("T"));
}

}  // namespace
}  // namespace cocos2d
