#include "launcher/cache/cache_root_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "launcher/util/file_util_win.h"
#include "common/base/text.h"

namespace kx::launcher {
namespace {

// Real queries; creation is only recorded so nothing lands at a drive root.
class RecordingDrives : public WinDriveSystem {
 public:
  bool makeDirectories(const std::wstring& path) override {
    created.push_back(path);
    return true;
  }
  std::vector<std::wstring> created;
};

TEST(WinDriveSystemTest, QueriesTheRealDrives) {
  WinDriveSystem drives;
  const std::vector<std::wstring> roots = drives.logicalDrives();
  ASSERT_FALSE(roots.empty());
  EXPECT_NE(std::find(roots.begin(), roots.end(), L"C:\\"), roots.end());
  EXPECT_TRUE(drives.isFixedDrive(L"C:\\"));
  std::wstring windows;
  ASSERT_EQ(drives.windowsFolder(windows), DriveSystem::WindowsFolder::kFound);
  EXPECT_EQ(systemRootOf(windows), L"C:\\");
  const std::optional<uint64_t> free = drives.freeBytes(L"C:\\");
  ASSERT_TRUE(free.has_value());
  EXPECT_GT(*free, 0u);
  EXPECT_FALSE(drives.freeBytes(L"Q:\\nowhere\\").has_value());
  EXPECT_TRUE(drives.exists(L"C:\\"));
}

TEST(WinChooseCacheRootTest, GivenRootThatDoesNotExistIsLeftAlone) {
  wchar_t tmp[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, tmp), 0u);
  const std::wstring mine = joinPath(tmp, L"kx_cache_root_" + std::to_wstring(GetCurrentProcessId()));
  const std::wstring given = joinPath(mine, L"root");
  LauncherState state;
  state.WEB_KX_DIR_PATH = given;
  // No cache exists at C:\Corvane\KxWeb or Z:\Corvane\KxWeb in a test prefix.
  ASSERT_FALSE(fileExists(L"C:\\Corvane\\KxWeb"));
  EXPECT_TRUE(chooseCacheRoot(state));
  EXPECT_EQ(state.WEB_KX_DIR_PATH, given);
  EXPECT_FALSE(fileExists(mine));
}

TEST(WinChooseCacheRootTest, ChoosesAFixedDriveFromRealFreeSpace) {
  RecordingDrives drives;
  LauncherState state;
  const bool ok = chooseCacheRoot(drives, state);
  if (!ok) {
    // A test machine without 800 MiB anywhere.
    EXPECT_EQ(state.errorText, kNotEnoughSpaceText);
    return;
  }
  ASSERT_EQ(drives.created.size(), 1u);
  EXPECT_EQ(drives.created[0], state.WEB_KX_DIR_PATH);
  ASSERT_GE(state.WEB_KX_DIR_PATH.size(), 3u);
  EXPECT_EQ(state.WEB_KX_DIR_PATH.substr(1), L":\\Corvane\\KxWeb");
  EXPECT_TRUE(drives.isFixedDrive(state.WEB_KX_DIR_PATH.substr(0, 3)));
}

}  // namespace
}  // namespace kx::launcher
