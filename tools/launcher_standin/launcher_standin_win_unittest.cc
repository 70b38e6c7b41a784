// The stand-in launcher, run for real with a recorder as the plug-in window.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "common/base/scoped_handle.h"
#include "common/protocol/wire.h"
#include "tests/support/copy_data_recorder_win.h"
#include "tests/support/game_standin_win.h"
#include "tests/support/scoped_env_win.h"
#include "tests/support/test_process_win.h"
#include "tests/support/test_tree_win.h"

namespace kx::test {
namespace {

constexpr uint32_t kWaitMs = 20000;

std::string narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out.push_back(static_cast<char>(c));
  return out;
}

class LauncherStandinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(launcherStandinPath().empty()) << "KX_LAUNCHER_STANDIN is not set";
    ASSERT_TRUE(recorder_.ready());
    exe_ = tree_.path(L"system32\\KXLaunch.exe");
    ASSERT_TRUE(tree_.write(L"system32\\placeholder", ""));
    ASSERT_TRUE(CopyFileW(launcherStandinPath().c_str(), exe_.c_str(), FALSE));
  }
  std::wstring rec() const { return std::to_wstring(recorder_.windowValue()); }
  std::vector<std::string> log() const {
    return readStandinLog(tree_.path(L"system32\\KXLaunch.log"));
  }

  TempTree tree_{L"launcher_standin"};
  CopyDataRecorder recorder_;
  std::wstring exe_;
};

TEST_F(LauncherStandinTest, LogsItsCommandLineAndSendsTheScriptedReports) {
  ScopedEnv script(L"KX_LAUNCHER_STANDIN_SCRIPT",
                   L"send 0x1102 1 1;send 0x1104 1000 2000 3000\nsend 0x1105 3 9;send 0x1102 4 8");
  const std::wstring args =
      L"__KX_LAUNCH_NORMAL__ " + rec() + L" 4321 800 600 http://127.0.0.1/list LocalDir@C:\\k";
  ChildProcess launcher;
  ASSERT_TRUE(launcher.start(exe_, args));
  ASSERT_TRUE(launcher.waitForExit(kWaitMs));
  EXPECT_EQ(launcher.exitCode(), 0u);

  ASSERT_TRUE(recorder_.waitForCount(4, kWaitMs));
  EXPECT_EQ(
      recorder_.lines(),
      (std::vector<std::string>{
          "0x1102 CD_LAUNCH_PROGRESS progress=1 status=1 cbData=2",
          "0x1104 CD_DOWNLOAD_SPEED downloadSpeed=1000 curBytesRead=2000 totalBytes=3000 cbData=12",
          "0x1105 CD_UNZIP_PROGRESS curFiles=3 totalFiles=9 cbData=8",
          "0x1102 CD_LAUNCH_PROGRESS progress=4 status=8 cbData=2"}));
  for (const CopyDataRecord& r : recorder_.records()) EXPECT_EQ(r.wParam, 0u);

  const std::vector<std::string> lines = log();
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0], "args " + narrow(args));
  EXPECT_EQ(lines[1], "mode normal hOcxWnd=" + narrow(rec()) +
                          " browserPid=4321 width=800 height=600 url=http://127.0.0.1/list "
                          "extParam=LocalDir@C:\\k");
  // The send result depends on how fast the window answers (no time-out wait).
  EXPECT_EQ(lines[2].rfind("send 0x1102 CD_LAUNCH_PROGRESS progress=1 status=1 cbData=2 ", 0), 0u);
  EXPECT_EQ(lines[6], "exit 0");
}

TEST_F(LauncherStandinTest, ARejectedCommandLineIsLoggedAndNothingIsSentWithoutAScript) {
  ChildProcess launcher;
  ASSERT_TRUE(launcher.start(exe_, L"__kx_launch_normal__ " + rec() + L" 1 2 3 u"));
  ASSERT_TRUE(launcher.waitForExit(kWaitMs));
  EXPECT_EQ(launcher.exitCode(), 0u);
  const std::vector<std::string> lines = log();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], "mode rejected");
  EXPECT_EQ(lines[2], "exit 0");
  EXPECT_EQ(recorder_.size(), 0u);
}

TEST_F(LauncherStandinTest, LogGoesWhereTheVariableSaysAndScriptErrorsEndIt) {
  const std::wstring elsewhere = tree_.path(L"launcher.log");
  ScopedEnv logEnv(L"KX_LAUNCHER_STANDIN_LOG", elsewhere);
  ScopedEnv script(L"KX_LAUNCHER_STANDIN_SCRIPT", L"send 0x1102 1 1\nsend 0x1105 3");
  ChildProcess launcher;
  ASSERT_TRUE(launcher.start(exe_, L"__KX_SWITCH_LAUNCH__ " + rec() + L" 1 2 3 1 D:\\root"));
  ASSERT_TRUE(launcher.waitForExit(kWaitMs));
  EXPECT_EQ(launcher.exitCode(), 3u);
  EXPECT_TRUE(log().empty());
  const std::vector<std::string> lines = readStandinLog(elsewhere);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1], "mode switch hOcxWnd=" + narrow(rec()) +
                          " browserPid=1 width=2 height=3 switchNumber=1 cacheRoot=D:\\root");
  EXPECT_EQ(lines[2], "script error line 2: missing totalFiles");
  EXPECT_EQ(lines[3], "exit 3");
  EXPECT_EQ(recorder_.size(), 0u);
}

TEST_F(LauncherStandinTest, StartsTheGameStandinWhichReportsToThePluginWindow) {
  const std::wstring gameDir = tree_.path(L"cache\\Kx");
  GameStandinRun game(gameDir);
  ASSERT_TRUE(game.install());
  ScopedEnv script(L"KX_LAUNCHER_STANDIN_SCRIPT",
                   L"send 0x1102 7 1\nstart-game " + gameDir + L"\nexit 0");
  ChildProcess launcher;
  ASSERT_TRUE(launcher.start(exe_, L"__KX_LAUNCH_NORMAL__ " + rec() + L" 555 1024 768 u"));
  ASSERT_TRUE(launcher.waitForExit(kWaitMs));

  const auto info = recorder_.waitFor(0x0101, kWaitMs);
  ASSERT_TRUE(info.has_value());
  ASSERT_EQ(recorder_.records()[0].id, 0x1102u);
  const std::vector<std::string> gameLog = game.log();
  ASSERT_FALSE(gameLog.empty());
  EXPECT_EQ(gameLog[0], "start hOcxWnd=" + narrow(rec()) + " browserPid=555 width=1024 height=768");
  const std::vector<std::string> lines = log();
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[3], "start-game " + narrow(gameDir) + "\\kxmain.exe ok");

  // End the game through its window.
  ScopedHandle process(OpenProcess(SYNCHRONIZE, FALSE, info->u32At(4)));
  ASSERT_TRUE(process.valid());
  ASSERT_TRUE(sendCopyData(reinterpret_cast<HWND>(fromWire32(info->u32At(0))), 0, 0x2102, {1}));
  EXPECT_EQ(WaitForSingleObject(process.get(), kWaitMs), static_cast<DWORD>(WAIT_OBJECT_0));
}

}  // namespace
}  // namespace kx::test
