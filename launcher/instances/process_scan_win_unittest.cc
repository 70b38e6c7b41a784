#include "launcher/instances/process_scan_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "launcher/util/file_util_win.h"
#include "common/base/text.h"
#include "tests/support/hooked_clock.h"
#include "tests/support/test_process_win.h"

namespace kx::launcher {
namespace {

bool contains(const std::vector<uint32_t>& ids, uint32_t pid) {
  return std::find(ids.begin(), ids.end(), pid) != ids.end();
}

// Polls until |pid| shows up under |dir|; fails after 10 s.
bool appearsUnder(const std::wstring& dir, uint32_t pid) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 10000) {
    if (contains(findProcessIdsUnder(dir), pid)) return true;
    Sleep(20);
  }
  return false;
}

class ProcessScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(test::waitHelperPath().empty());
    wchar_t tmp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, tmp), 0u);
    root_ = joinPath(tmp, L"kx_scan_" + std::to_wstring(GetCurrentProcessId()));
    gameDir_ = joinPath(root_, L"Kx");
    downloadDir_ = joinPath(root_, L"KxDownload");
    ASSERT_TRUE(makeDirectories(joinPath(gameDir_, L"sub"), false));
    ASSERT_TRUE(makeDirectories(downloadDir_, false));
  }
  void TearDown() override {
    game_.finish();
    sibling_.finish();
    removeDirectoryTree(root_);
  }
  void startBoth() {
    ASSERT_TRUE(game_.start(joinPath(gameDir_, L"sub\\tool.exe")));
    ASSERT_TRUE(sibling_.start(joinPath(downloadDir_, L"tool.exe")));
    ASSERT_TRUE(appearsUnder(gameDir_, game_.pid()));
    ASSERT_TRUE(appearsUnder(downloadDir_, sibling_.pid()));
  }
  std::wstring upperSlashed(std::wstring s) {
    for (wchar_t& c : s) {
      if (c == L'\\') c = L'/';
      if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    return s;
  }
  std::wstring root_, gameDir_, downloadDir_;
  test::HelperProcess game_, sibling_;
};

TEST_F(ProcessScanTest, FindsClientsBelowTheGameDirOnly) {
  startBoth();
  const std::wstring forms[] = {gameDir_, gameDir_ + L"\\", gameDir_ + L"\\\\",
                                upperSlashed(gameDir_)};
  for (const std::wstring& dir : forms) {
    SCOPED_TRACE(testing::Message() << dir);
    const std::vector<uint32_t> ids = findProcessIdsUnder(dir);
    EXPECT_TRUE(contains(ids, game_.pid()));
    EXPECT_FALSE(contains(ids, sibling_.pid()));
  }
  const std::vector<RunningProcess> found = findProcessesUnder(gameDir_);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].exeName, L"tool.exe");
  // The test program itself lives elsewhere; scanning its own folder skips it.
  wchar_t self[MAX_PATH];
  ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  std::wstring selfDir(self);
  selfDir.resize(selfDir.find_last_of(L'\\'));
  EXPECT_FALSE(contains(findProcessIdsUnder(selfDir), GetCurrentProcessId()));
}

TEST_F(ProcessScanTest, WaitEndsWhenTheClientExitsAfterThreeWaits) {
  startBoth();
  HookedClock clock([&](int count, uint32_t ms) {
    EXPECT_EQ(ms, 1000u);
    if (count == 3) EXPECT_TRUE(game_.finish());
  });
  EXPECT_TRUE(waitForOtherClients(gameDir_, clock));
  EXPECT_EQ(clock.sleeps().size(), 3u);
}

TEST_F(ProcessScanTest, WaitGivesUpAfterTheTenthWait) {
  startBoth();
  FakeClock clock;
  EXPECT_FALSE(waitForOtherClients(gameDir_, clock));
  EXPECT_EQ(clock.sleeps().size(), 10u);
  // Nothing from the game directory: no wait at all.
  game_.finish();
  FakeClock idle;
  EXPECT_TRUE(waitForOtherClients(gameDir_, idle));
  EXPECT_EQ(idle.sleeps().size(), 0u);
}

}  // namespace
}  // namespace kx::launcher
