#include "launcher/util/file_util_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "common/base/text.h"
#include "common/base/text_convert_win.h"

namespace kx::launcher {
namespace {

class FileUtilTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t tmp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, tmp), 0u);
    root_ = joinPath(tmp, L"kx_file_util_" + std::to_wstring(GetCurrentProcessId()));
    ASSERT_TRUE(makeDirectories(root_, false));
  }
  void TearDown() override {
    clearReadOnly(root_);
    removeDirectoryTree(root_);
  }
  static void clearReadOnly(const std::wstring& folder) {
    SetFileAttributesW(joinPath(folder, L"ro\\locked.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  void writeFile(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
    CloseHandle(h);
  }
  static bool isDir(const std::wstring& p) {
    DWORD a = GetFileAttributesW(p.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
  }
  std::wstring root_;
};

TEST_F(FileUtilTest, MakeDirectoriesWithAndWithoutFileName) {
  const std::wstring zip = root_ + L"\\a\\b\\c.zip";
  EXPECT_TRUE(makeDirectories(zip, true));
  EXPECT_TRUE(isDir(root_ + L"\\a\\b"));
  EXPECT_FALSE(fileExists(zip));
  EXPECT_TRUE(makeDirectories(zip, false));
  EXPECT_TRUE(isDir(zip));
  EXPECT_TRUE(makeDirectories(zip, false));  // already there
  // Forward slashes and a trailing separator.
  std::wstring slashed = root_ + L"/x/y/";
  EXPECT_TRUE(makeDirectories(slashed, false));
  EXPECT_TRUE(isDir(root_ + L"\\x\\y"));
}

TEST_F(FileUtilTest, MakeDirectoriesFailsBelowAFileAndForLongPaths) {
  writeFile(root_ + L"\\file", "x");
  // "file" exists (as a file): counts as done, but nothing can be made below it.
  EXPECT_FALSE(makeDirectories(root_ + L"\\file\\sub\\deeper", false));
  EXPECT_FALSE(makeDirectories(root_ + L"\\" + std::wstring(300, L'a'), false));
}

TEST_F(FileUtilTest, RemoveDirectoryTreeStopsAtReadOnlyFile) {
  ASSERT_TRUE(makeDirectories(root_ + L"\\ro\\deep", false));
  writeFile(root_ + L"\\ro\\deep\\a.txt", "a");
  writeFile(root_ + L"\\ro\\locked.txt", "b");
  ASSERT_TRUE(SetFileAttributesW((root_ + L"\\ro\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(removeDirectoryTree(root_ + L"\\ro"));
  EXPECT_TRUE(fileExists(root_ + L"\\ro\\locked.txt"));
  clearReadOnly(root_);
  EXPECT_TRUE(removeDirectoryTree(root_ + L"\\ro"));
  EXPECT_FALSE(fileExists(root_ + L"\\ro"));
  EXPECT_FALSE(removeDirectoryTree(root_ + L"\\missing"));
}

std::wstring linksPath(const wchar_t* rel) {
  const char* dir = std::getenv("KX_LINKS_DIR");
  std::wstring out = dir ? std::wstring(dir, dir + std::strlen(dir)) : std::wstring();
  for (wchar_t& c : out) {
    if (c == L'/') c = L'\\';
  }
  return out + rel;
}

bool isLink(const std::wstring& path) {
  const DWORD attrs = GetFileAttributesW(path.c_str());
  return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A link at the folder or below it is removed as a link, never walked: the
// folder it leads to keeps every file. (Wine cannot remove a folder link, so
// there it stays and the result says so; Windows removes it.)
TEST(RemoveDirectoryTreeLinkTest, LinkAtTheTopOrBelowIsNeverWalked) {
  struct Case {
    const wchar_t* folder;
    const wchar_t* link;
  };
  const Case cases[] = {
      {L"\\top", L"\\top"},
      {L"\\tree", L"\\tree\\res\\link"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.link, c.link + std::wcslen(c.link)));
    ASSERT_TRUE(isLink(linksPath(c.link)));
    ASSERT_TRUE(fileExists(linksPath(c.link) + L"\\keep.txt"));  // it really leads outside

    const bool removed = removeDirectoryTree(linksPath(c.folder));
    EXPECT_EQ(removed, !fileExists(linksPath(c.folder)));
    EXPECT_TRUE(fileExists(linksPath(L"\\outside\\keep.txt")));
    EXPECT_TRUE(fileExists(linksPath(L"\\outside\\sub\\deep.txt")));
  }
}

// The walk ends at its first failure: what is listed after it stays.
TEST_F(FileUtilTest, RemoveDirectoryTreeStopsAtItsFirstFailure) {
  const std::wstring folder = root_ + L"\\stop";
  ASSERT_TRUE(makeDirectories(folder, false));
  writeFile(folder + L"\\a.txt", "a");
  writeFile(folder + L"\\b.txt", "b");
  std::vector<std::wstring> order;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*.*").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  do {
    if (data.cFileName[0] != L'.') order.push_back(data.cFileName);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  ASSERT_EQ(order.size(), 2u);
  const std::wstring first = folder + L"\\" + order[0];
  ASSERT_TRUE(SetFileAttributesW(first.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(removeDirectoryTree(folder));
  EXPECT_TRUE(fileExists(first));
  EXPECT_TRUE(fileExists(folder + L"\\" + order[1]));
  ASSERT_TRUE(SetFileAttributesW(first.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(removeDirectoryTree(folder));
}

TEST_F(FileUtilTest, FileExists) {
  EXPECT_FALSE(fileExists(L""));
  EXPECT_TRUE(fileExists(root_));
  EXPECT_FALSE(fileExists(root_ + L"\\nope"));
  writeFile(root_ + L"\\f", "");
  EXPECT_TRUE(fileExists(root_ + L"\\f"));
}

TEST_F(FileUtilTest, ReadTextFileUtf8) {
  const std::wstring p = root_ + L"\\t.txt";
  writeFile(p, std::string("\xEF\xBB\xBF" "2.5.0\r\n\xE4\xB8\xAD", 13) + std::string("\0tail", 5));
  std::wstring out = L"stale";
  ASSERT_TRUE(readTextFileUtf8(p, out));
  EXPECT_EQ(out, std::wstring(L"\xFEFF" L"2.5.0\r\n\x4E2D"));
  writeFile(p, "");
  ASSERT_TRUE(readTextFileUtf8(p, out));
  EXPECT_EQ(out, L"");
  EXPECT_FALSE(readTextFileUtf8(root_ + L"\\missing.txt", out));
  // Shared for writing: a writer holding the file open does not stop the read.
  HANDLE w = CreateFileW(p.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(w, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(readTextFileUtf8(p, out));
  CloseHandle(w);
}

}  // namespace
}  // namespace kx::launcher
