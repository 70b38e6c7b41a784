// The stand-in game client, run for real: its handshake with a recorder
// window, what it does with the plug-in's messages, its log and its script.
#include "tests/support/game_standin_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "common/protocol/wire.h"
#include "tests/support/copy_data_recorder_win.h"
#include "tests/support/test_tree_win.h"

namespace kx::test {
namespace {

// Generous bounds on waits for another process; nothing waits them out.
constexpr uint32_t kWaitMs = 20000;

HWND gameWindow(const CopyDataRecord& info) {
  return reinterpret_cast<HWND>(fromWire32(info.u32At(0)));
}

SIZE windowSize(HWND hwnd) {
  RECT r = {};
  GetWindowRect(hwnd, &r);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

class GameStandinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(gameStandinPath().empty()) << "KX_GAME_STANDIN is not set";
    ASSERT_TRUE(recorder_.ready());
  }
  std::wstring folder() const { return tree_.path(L"Kx"); }
  GameCommandLine args(int32_t w = 640, int32_t h = 480) const {
    return GameCommandLine{recorder_.windowValue(), 4321, w, h};
  }
  std::string rec() const { return std::to_string(recorder_.windowValue()); }

  TempTree tree_{L"standin"};
  CopyDataRecorder recorder_;
};

TEST_F(GameStandinTest, ReportsItsWindowThenObeysShowResizeAndQuit) {
  GameStandinRun game(folder());
  ASSERT_TRUE(game.install());
  ASSERT_TRUE(game.start(args()));

  const auto info = recorder_.waitFor(0x0101, kWaitMs);
  ASSERT_TRUE(info.has_value());
  ASSERT_EQ(info->bytes.size(), 12u);
  const HWND hGame = gameWindow(*info);
  const std::string hGameText = std::to_string(toWire32(reinterpret_cast<uintptr_t>(hGame)));
  const std::string pid = std::to_string(game.pid());
  EXPECT_EQ(info->line, "0x0101 CD_GAME_CLIENT_INFO hGameWnd=" + hGameText + " processId=" + pid +
                            " startStatus=0 cbData=12");
  EXPECT_EQ(info->wParam, toWire32(reinterpret_cast<uintptr_t>(hGame)));
  ASSERT_TRUE(IsWindow(hGame));
  EXPECT_FALSE(IsWindowVisible(hGame));
  EXPECT_EQ(windowSize(hGame).cx, 640);
  EXPECT_EQ(windowSize(hGame).cy, 480);

  const WPARAM self = reinterpret_cast<WPARAM>(recorder_.window());
  ASSERT_TRUE(sendCopyData(hGame, self, 0x2103, {1}));
  EXPECT_TRUE(IsWindowVisible(hGame));
  ASSERT_TRUE(sendCopyData(hGame, self, 0x2104, {0x40, 1, 0, 0, 0xC8, 0, 0, 0}));
  EXPECT_EQ(windowSize(hGame).cx, 320);
  EXPECT_EQ(windowSize(hGame).cy, 200);
  ASSERT_TRUE(sendCopyData(hGame, self, 0x2103, {0}));
  EXPECT_FALSE(IsWindowVisible(hGame));
  // A short resize is logged as such and changes nothing.
  ASSERT_TRUE(sendCopyData(hGame, self, 0x2104, {1, 0, 0, 0, 1, 0, 0}));
  EXPECT_EQ(windowSize(hGame).cx, 320);
  ASSERT_TRUE(
      sendCopyData(hGame, self, 0x2101, {1, 0, 5, 0, 'a', 0, 'b', 0, 'c', 0, ' ', 0, '2', 0, 0, 0}));
  ASSERT_TRUE(sendCopyData(hGame, 0, 0x2102, {1}));

  ASSERT_TRUE(game.waitForExit(kWaitMs));
  EXPECT_EQ(game.exitCode(), 0u);
  const std::vector<std::string> expected = {
      "start hOcxWnd=" + rec() + " browserPid=4321 width=640 height=480",
      "send 0x0101 CD_GAME_CLIENT_INFO hGameWnd=" + hGameText + " processId=" + pid +
          " startStatus=0 cbData=12 ok",
      "recv wParam=" + rec() + " 0x2103 CD_SHOW_GAME show=1 cbData=1",
      "recv wParam=" + rec() + " 0x2104 CD_RESIZE_GAME width=320 height=200 cbData=8",
      "recv wParam=" + rec() + " 0x2103 CD_SHOW_GAME show=0 cbData=1",
      "recv wParam=" + rec() + " 0x2104 CD_RESIZE_GAME malformed cbData=7",
      "recv wParam=" + rec() + " 0x2101 CD_SDK_NOTIFY kind=1 text=\"abc 2\" cbData=16",
      "recv wParam=0 0x2102 CD_QUIT_GAME value=1 cbData=1",
      "quit",
      "exit 0",
  };
  EXPECT_EQ(game.log(), expected);
  EXPECT_EQ(recorder_.size(), 1u);
}

TEST_F(GameStandinTest, ScriptSendsAtStartAfterADelayAndOnReceipt) {
  GameStandinRun game(folder());
  ASSERT_TRUE(
      game.install("status 7\n"
                   "after 30 send 0x3101 5 1\n"
                   "send 0x0003 2\n"
                   "on 0x2103 send 0x0104 800 600 1\n"
                   "on 0x2105 exit 9\n"));
  ASSERT_TRUE(game.start(args()));

  const auto relaunch = recorder_.waitFor(0x0003, kWaitMs);
  ASSERT_TRUE(relaunch.has_value());
  EXPECT_EQ(relaunch->line, "0x0003 CD_GAME_RELAUNCH switchMode=2 cbData=1");
  const auto progress = recorder_.waitFor(0x3101, kWaitMs);
  ASSERT_TRUE(progress.has_value());
  EXPECT_EQ(progress->bytes, (std::vector<uint8_t>{5, 1}));

  // The delayed step, though first in the script, comes after the start steps.
  const CopyDataRecorder::Records first = recorder_.records();
  ASSERT_EQ(first.size(), 3u);
  EXPECT_EQ(first[0].id, 0x0101u);
  EXPECT_EQ(first[0].line.substr(first[0].line.find(" startStatus")), " startStatus=7 cbData=12");
  EXPECT_EQ(first[1].id, 0x0003u);
  EXPECT_EQ(first[2].id, 0x3101u);

  const HWND hGame = gameWindow(first[0]);
  EXPECT_EQ(recorder_.waitFor(0x0104, 0).has_value(), false);  // only on receipt
  ASSERT_TRUE(sendCopyData(hGame, 0, 0x2103, {1}));
  const auto size = recorder_.waitFor(0x0104, kWaitMs);
  ASSERT_TRUE(size.has_value());
  EXPECT_EQ(size->line,
            "0x0104 CD_GAME_MAIN_SIZE mainWidth=800 mainHeight=600 customSize=1 cbData=12");

  ASSERT_TRUE(sendCopyData(hGame, 0, 0x2105, {1, 0, 0, 0}));
  ASSERT_TRUE(game.waitForExit(kWaitMs));
  EXPECT_EQ(game.exitCode(), 9u);
}

TEST_F(GameStandinTest, IgnoredQuitKeepsItRunning) {
  GameStandinRun game(folder());
  ASSERT_TRUE(game.install("ignore 0x2102\non 0x2102 send 0x0104 1 2 0\non 0x2103 exit 0\n"));
  ASSERT_TRUE(game.start(args()));
  const auto info = recorder_.waitFor(0x0101, kWaitMs);
  ASSERT_TRUE(info.has_value());
  const HWND hGame = gameWindow(*info);

  ASSERT_TRUE(sendCopyData(hGame, 0, 0x2102, {1}));
  // The scripted answer is posted after the quit would have been: it arrives
  // only from a stand-in that did not quit.
  ASSERT_TRUE(recorder_.waitFor(0x0104, kWaitMs).has_value());
  EXPECT_EQ(WaitForSingleObject(game.process(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(IsWindow(hGame));

  ASSERT_TRUE(sendCopyData(hGame, 0, 0x2103, {0}));
  ASSERT_TRUE(game.waitForExit(kWaitMs));
  const std::vector<std::string> log = game.log();
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(log[2], "recv wParam=0 0x2102 CD_QUIT_GAME value=1 cbData=1");
  EXPECT_EQ(log[3], "ignored 0x2102");
  for (const std::string& line : log) EXPECT_NE(line, "quit");
}

TEST_F(GameStandinTest, ScriptFromTheEnvironmentUnlessAFileIsBeside) {
  ASSERT_TRUE(SetEnvironmentVariableW(L"KX_STANDIN_SCRIPT", L"send 0x0003 4;exit 0"));
  {
    GameStandinRun game(folder());
    ASSERT_TRUE(game.install());
    ASSERT_TRUE(game.start(args()));
    ASSERT_TRUE(game.waitForExit(kWaitMs));
  }
  {
    GameStandinRun game(tree_.path(L"second\\Kx"));
    ASSERT_TRUE(game.install("send 0x0003 6\nexit 0\n"));
    ASSERT_TRUE(game.start(args()));
    ASSERT_TRUE(game.waitForExit(kWaitMs));
  }
  SetEnvironmentVariableW(L"KX_STANDIN_SCRIPT", nullptr);
  std::vector<std::string> relaunches;
  for (const CopyDataRecord& r : recorder_.records()) {
    if (r.id == 0x0003) relaunches.push_back(r.line);
  }
  EXPECT_EQ(relaunches,
            (std::vector<std::string>{"0x0003 CD_GAME_RELAUNCH switchMode=4 cbData=1",
                                      "0x0003 CD_GAME_RELAUNCH switchMode=6 cbData=1"}));
}

TEST_F(GameStandinTest, RefusesABadCommandLineOrScriptBeforeReporting) {
  {
    GameStandinRun game(folder());
    ASSERT_TRUE(game.install());
    ASSERT_TRUE(game.startWithArguments(L"__KXGAME_NORMAL_TAG__ " +
                                        std::to_wstring(recorder_.windowValue()) + L" 2"));
    ASSERT_TRUE(game.waitForExit(kWaitMs));
    EXPECT_EQ(game.exitCode(), 2u);
    ASSERT_EQ(game.log().size(), 1u);
    EXPECT_EQ(game.log()[0].rfind("bad command line: __KXGAME_NORMAL_TAG__ ", 0), 0u);
  }
  {
    GameStandinRun game(tree_.path(L"other\\Kx"));
    ASSERT_TRUE(game.install("send 0x0003 1\nsend 0x1102 300 1\n"));
    ASSERT_TRUE(game.start(args()));
    ASSERT_TRUE(game.waitForExit(kWaitMs));
    EXPECT_EQ(game.exitCode(), 3u);
    const std::vector<std::string> log = game.log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1], "script error line 2: bad progress '300'");
  }
  EXPECT_EQ(recorder_.size(), 0u);
}

TEST_F(GameStandinTest, EndsByItselfWhenItsLifetimeIsOver) {
  GameStandinRun game(folder());
  ASSERT_TRUE(game.install("lifetime 50\n"));
  ASSERT_TRUE(game.start(args()));
  ASSERT_TRUE(game.waitForExit(kWaitMs));
  EXPECT_EQ(game.exitCode(), 4u);
  const std::vector<std::string> log = game.log();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[2], "lifetime over");
  EXPECT_EQ(log[3], "exit 4");
}

}  // namespace
}  // namespace kx::test
