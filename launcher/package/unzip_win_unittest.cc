// unzipPackage with real files under Wine: wide paths, refusals, damage.

#include "launcher/package/unzip.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "common/base/scoped_handle.h"
#include "launcher/package/zip_file_test_writer.h"
#include "launcher/util/file_util_win.h"

namespace kx::launcher {
namespace {

using cocos2d::testing::makeTestZip;
using cocos2d::testing::TestZipEntry;

bool writeFile(const std::wstring& path, const std::string& data) {
  ScopedFileHandle f(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD n = 0;
  return f.valid() && ::WriteFile(f.get(), data.data(), static_cast<DWORD>(data.size()), &n,
                                  nullptr) && n == data.size();
}

// "<missing>" when the file cannot be opened.
std::string readFile(const std::wstring& path) {
  ScopedFileHandle f(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f.valid()) return "<missing>";
  std::string out;
  char buf[65536];
  DWORD n = 0;
  while (::ReadFile(f.get(), buf, sizeof(buf), &n, nullptr) && n > 0) out.append(buf, n);
  return out;
}

bool isFolder(const std::wstring& path) {
  DWORD a = ::GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string pattern(size_t n) {
  std::string s(n, '\0');
  uint32_t x = 99;
  for (size_t i = 0; i < n; ++i) {
    x = x * 1664525u + 1013904223u;
    s[i] = static_cast<char>((i & 3) ? 'k' + (i % 5) : (x >> 24));
  }
  return s;
}

class UnzipPackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t tmp[MAX_PATH];
    ASSERT_GT(::GetTempPathW(MAX_PATH, tmp), 0u);
    root_ = std::wstring(tmp) + L"kx_unzip_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
            std::to_wstring(::GetTickCount());
    ASSERT_TRUE(::CreateDirectoryW(root_.c_str(), nullptr));
    target_ = root_ + L"\\T";
    ASSERT_TRUE(::CreateDirectoryW(target_.c_str(), nullptr));
  }
  void TearDown() override { removeDirectoryTree(root_); }

  bool unzip(const std::string& zipBytes, const std::wstring& target) {
    const std::wstring zipPath = root_ + L"\\KX-1.0.0.zip";
    EXPECT_TRUE(writeFile(zipPath, zipBytes));
    return unzipPackage(zipPath, target,
                        [this](int r, int w, int t) { calls_.emplace_back(r, w, t); });
  }

  std::wstring root_, target_;
  std::vector<std::tuple<int, int, int>> calls_;
};

TEST_F(UnzipPackageTest, FoldersAndFilesWithAnyTrailingSeparator) {
  const std::string zip = makeTestZip({{"data/", ""}, {"data/a.bin", "abc"}, {"top.txt", "top"}});
  for (const std::wstring& t : {target_, target_ + L"\\", target_ + L"/"}) {
    calls_.clear();
    EXPECT_TRUE(unzip(zip, t));
    EXPECT_TRUE(isFolder(target_ + L"\\data"));
    EXPECT_EQ("abc", readFile(target_ + L"\\data\\a.bin"));
    EXPECT_EQ("top", readFile(target_ + L"\\top.txt"));
    ASSERT_EQ(1u, calls_.size());
    EXPECT_EQ(std::make_tuple(0, 2, 2), calls_[0]);
  }
}

TEST_F(UnzipPackageTest, MissingFolderEntryFailsButTopIsWritten) {
  EXPECT_FALSE(unzip(makeTestZip({{"data/a.bin", "abc"}, {"top.txt", "top"}}), target_));
  EXPECT_FALSE(isFolder(target_ + L"\\data"));
  EXPECT_EQ("top", readFile(target_ + L"\\top.txt"));
  EXPECT_TRUE(calls_.empty());
}

TEST_F(UnzipPackageTest, EmptyArchiveNonArchiveAndMissingPackage) {
  EXPECT_TRUE(unzip(makeTestZip({}), target_));
  EXPECT_FALSE(unzip("PK\x03\x04 but nothing else of an archive", target_));
  EXPECT_FALSE(unzipPackage(root_ + L"\\none.zip", target_, nullptr));
  EXPECT_TRUE(calls_.empty());
}

TEST_F(UnzipPackageTest, EntriesLeavingTheTargetAreRefused) {
  const std::string zip = makeTestZip({{"../evil1.txt", "x"},
                                       {"..\\evil2.txt", "x"},
                                       {"sub/", ""},
                                       {"sub\\..\\..\\evil3.txt", "x"},
                                       {"C:evil4.txt", "x"},
                                       {"\\evil5.txt", "x"},
                                       {".. /evil6.txt", "x"},
                                       {"ok.txt", "ok"}});
  EXPECT_FALSE(unzip(zip, target_));
  for (int i = 1; i <= 6; ++i) {
    EXPECT_FALSE(fileExists(root_ + L"\\evil" + std::to_wstring(i) + L".txt")) << i;
  }
  EXPECT_EQ("ok", readFile(target_ + L"\\ok.txt"));
  EXPECT_TRUE(calls_.empty());
}

TEST_F(UnzipPackageTest, DamagedEntryFailsAndLeavesNoFile) {
  TestZipEntry bad{"bad.bin", pattern(400000), true, false, true};
  TestZipEntry shortEntry{"short.bin", pattern(1000), false, false, false, 50};
  EXPECT_FALSE(unzip(makeTestZip({bad, shortEntry, {"good.txt", "good"}}), target_));
  EXPECT_FALSE(fileExists(target_ + L"\\bad.bin"));
  EXPECT_FALSE(fileExists(target_ + L"\\short.bin"));
  EXPECT_EQ("good", readFile(target_ + L"\\good.txt"));
  EXPECT_TRUE(calls_.empty());
}

TEST_F(UnzipPackageTest, ExistingFileReplacedAndBigEntriesUnchanged) {
  ASSERT_TRUE(writeFile(target_ + L"\\top.txt", "an older, longer top.txt"));
  const std::string big = pattern(5 * 256 * 1024 + 3);
  EXPECT_TRUE(unzip(makeTestZip({{"top.txt", "new"}, {"big.bin", big}}), target_));
  EXPECT_EQ("new", readFile(target_ + L"\\top.txt"));
  EXPECT_EQ(big, readFile(target_ + L"\\big.bin"));
}

TEST_F(UnzipPackageTest, ChineseTargetAndUtf8EntryNames) {
  const std::wstring target = root_ + L"\\\u6e38\u620f\u8d44\u6e90";  // 游戏资源
  ASSERT_TRUE(::CreateDirectoryW(target.c_str(), nullptr));
  // 数据/ and 数据/说明.txt, flagged as UTF-8.
  const std::string folder = "\xe6\x95\xb0\xe6\x8d\xae/";
  const std::string file = folder + "\xe8\xaf\xb4\xe6\x98\x8e.txt";
  EXPECT_TRUE(unzip(makeTestZip({{folder, "", true, true}, {file, "text", true, true},
                                 {"plain.txt", "p"}}),
                    target + L"\\"));
  EXPECT_EQ("text", readFile(target + L"\\\u6570\u636e\\\u8bf4\u660e.txt"));
  EXPECT_EQ("p", readFile(target + L"\\plain.txt"));
  ASSERT_EQ(1u, calls_.size());
  EXPECT_EQ(std::make_tuple(0, 2, 2), calls_[0]);
}

}  // namespace
}  // namespace kx::launcher
