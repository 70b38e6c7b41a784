// A whole run under Wine: the real plug-in in the test browser, the signed
// stand-in launcher in the prefix's system directory reporting its phases,
// and the stand-in game client it starts from a cache tree.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/plugin/browser_session_win.h"
#include "tests/plugin/dialog_finder_win.h"
#include "tests/plugin/system_launcher_win.h"
#include "tests/support/game_standin_win.h"
#include "tests/support/scoped_env_win.h"
#include "tests/support/test_tree_win.h"

namespace kx::testing {
namespace {

constexpr char kUrl[] = "http://127.0.0.1:9/list";

std::wstring realDll() { return windowsPathFromEnv("KX_PLUGIN_DLL"); }
std::wstring signedStandin() {
  return windowsPathFromEnv("KX_LAUNCHERS_DIR") + L"\\standin\\KXLaunch.exe";
}

std::wstring wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }
std::string narrowAscii(const std::wstring& text) { return std::string(text.begin(), text.end()); }

using kx::test::ScopedEnv;

// Polls |check| until it holds or |timeoutMs| passed.
bool eventually(const std::function<bool()>& check, DWORD timeoutMs = 20000) {
  const DWORD start = GetTickCount();
  while (!check()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(20);
  }
  return true;
}

std::vector<Line> pageCalls(BrowserSession& b) {
  std::vector<Line> out;
  for (const Line& line : b.linesOf("page"))
    if (line.size() >= 4 && line[1] == "a") out.emplace_back(line.begin() + 3, line.end());
  return out;
}

bool sawPage(BrowserSession& b, const Line& call) {
  for (const Line& seen : pageCalls(b))
    if (seen == call) return true;
  return false;
}


// |wanted| appear in this order among |calls| (others may come between).
::testing::AssertionResult inOrder(const std::vector<Line>& calls, const std::vector<Line>& wanted) {
  size_t next = 0;
  for (const Line& call : calls)
    if (next < wanted.size() && call == wanted[next]) ++next;
  if (next == wanted.size()) return ::testing::AssertionSuccess();
  std::string missing;
  for (const std::string& f : wanted[next]) missing += f + " ";
  return ::testing::AssertionFailure() << "missing in order: " << missing;
}

bool logHas(const std::vector<std::string>& log, const std::string& prefix) {
  for (const std::string& line : log)
    if (line.compare(0, prefix.size(), prefix) == 0) return true;
  return false;
}

// The game's process id from its own log of the 0x0101 it sent.
DWORD gamePid(const std::vector<std::string>& log) {
  for (const std::string& line : log) {
    const size_t at = line.find("processId=");
    if (line.rfind("send 0x0101", 0) == 0 && at != std::string::npos)
      return static_cast<DWORD>(std::stoul(line.substr(at + 10)));
  }
  return 0;
}

// Waits for |process| and gives its exit code; -1 while it still runs.
long exitCode(HANDLE process, DWORD timeoutMs) {
  if (!process || WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  return static_cast<long>(code);
}

std::string windowOf(BrowserSession& b) {
  for (const Line& line : b.linesOf("window"))
    if (line.size() >= 4 && line[1] == "a" && line[3] != "0") return line[3];
  return "";
}

Line status(int phase) {
  return {"invokeFunc", "commonCmdHandler", "cmd:com_progress_status,status:" + std::to_string(phase)};
}

// One run: a cache tree with the game stand-in in cache\Kx, the launcher
// script, the page loaded.
class PluginRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(launcher_.copied());
    gameDir_ = tree_.path(L"cache\\Kx");
  }
  void TearDown() override {
    if (started_) {
      EXPECT_EQ(b_.finish(), 0);
    }
    // A launcher or game started after the plug-in's last look (a relaunch
    // under way at NPP_Destroy) is this test's to end.
    endStrays(L"KXLaunch.exe", L"");
    endStrays(L"kxmain.exe", gameDir_);
  }
  // Processes named |name| running from |folder| (or the system launcher).
  void endStrays(const wchar_t* name, const std::wstring& folder) {
    const std::wstring place = folder.empty() ? systemLauncherPath() : folder;
    for (DWORD pid : processesNamed(name)) {
      const std::wstring image = processImage(pid);
      if (image.empty() || _wcsnicmp(image.c_str(), place.c_str(), place.size()) != 0) continue;
      HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, pid);
      if (process) {
        TerminateProcess(process, 9);
        CloseHandle(process);
      }
    }
  }

  // |launcherTail| runs after the phases and the game start.
  void run(const std::string& gameScript, const std::string& launcherTail = "") {
    ASSERT_TRUE(kx::test::installGameStandin(gameDir_, "lifetime 20000;" + gameScript));
    script_ = std::make_unique<ScopedEnv>(
        L"KX_LAUNCHER_STANDIN_SCRIPT",
        wide("send 0x1102 1 1;send 0x1102 2 1;send 0x1102 3 1;send 0x1104 512 1024 4096;"
             "send 0x1102 4 8;send 0x1105 3 10;send 0x1102 5 1;send 0x1102 6 1;"
             "send 0x1102 7 1;start-game ") + gameDir_ + wide(launcherTail));
    ASSERT_TRUE(b_.start(realDll()));
    started_ = true;
    b_.send({"new", "a"});
    b_.send({"object", "a"});
    b_.send({"window", "a"});
    b_.send({"invoke", "a", "SetParams", std::string("s:gameUpdateUrl=") + kUrl + ",extParam=E"});
    b_.send({"invoke", "a", "OnScriptMessage",
             "s:eventType:OnExtFunc,subType:GetJsVersionDone,hversion:3,midversion:19,"
             "lowversion:7,exploreInfo:Test Browser"});
    b_.send({"invoke", "a", "OnScriptMessage", "s:eventType:OnPageLoaded"});
    ASSERT_TRUE(b_.sync());
    hwnd_ = windowOf(b_);
    pid_ = b_.lines()[0][5];
  }
  std::vector<std::string> gameLog() const {
    return kx::test::readStandinLog(gameDir_ + L"\\kxmain.log");
  }
  std::vector<std::string> launchLog() const { return kx::test::readStandinLog(launchLogPath_); }
  bool gameReady() {
    return eventually([&] { return sawPage(b_, {"showDiv", "0", "1"}); });
  }

  kx::test::TempTree tree_{L"plugin_run"};
  std::wstring launchLogPath_ = tree_.path(L"launch.log");
  ScopedEnv logEnv_{L"KX_LAUNCHER_STANDIN_LOG", launchLogPath_};
  SystemLauncher launcher_{signedStandin()};
  std::unique_ptr<ScopedEnv> script_;
  std::wstring gameDir_;
  BrowserSession b_;
  bool started_ = false;
  std::string hwnd_, pid_;
};

TEST_F(PluginRunTest, LauncherPhasesBecomeProgressAndTheReadyGameIsShownAndTold) {
  run("");
  ASSERT_TRUE(gameReady());
  EXPECT_TRUE(logHas(launchLog(), "args __KX_LAUNCH_NORMAL__ " + hwnd_ + " " + pid_ + " 960 640 " +
                                      kUrl + " E"));
  EXPECT_TRUE(inOrder(pageCalls(b_), {
      {"onPluginReady"},
      {"OnGameInitProgress", "1"}, status(0), {"OnSetResolution", "0"}, {"OnActiveXReady"},
      {"showDiv", "0", "0"},
      {"OnGameInitProgress", "3"}, status(1),
      {"OnGameInitProgress", "6"}, status(2),
      {"OnGameInitProgress", "8"}, status(3),
      {"invokeFunc", "commonCmdHandler", "cmd:com_down_speed,downloadSpeed:512,curBytesRead:1024,totalBytes:4096"},
      {"OnGameInitProgress", "53"}, status(4),
      {"invokeFunc", "commonCmdHandler", "cmd:com_unzip_progress,curFiles:3,totalFiles:10"},
      {"OnGameInitProgress", "60"}, status(5),
      {"OnGameInitProgress", "90"}, status(6),
      {"OnGameInitProgress", "95"}, status(7),
      {"OnGameInitProgress", "100"}, status(10),
      {"showDiv", "0", "1"},
  }));
  ASSERT_TRUE(eventually([&] { return logHas(gameLog(), "recv wParam=" + hwnd_ + " 0x2106"); }));
  const std::vector<std::string> log = gameLog();
  std::vector<std::string> received;
  for (const std::string& line : log)
    if (line.rfind("recv ", 0) == 0) received.push_back(line);
  ASSERT_GE(received.size(), 2u);
  EXPECT_EQ(received[0], "recv wParam=" + hwnd_ + " 0x2103 CD_SHOW_GAME show=1 cbData=1");
  EXPECT_EQ(received[1], "recv wParam=" + hwnd_ +
                             " 0x2106 CD_BROWSER_INFO hversion=3 midversion=19 lowversion=7 "
                             "words=1,19,0,1 exploreInfo=\"Test Browser\" cbData=284");
}

TEST_F(PluginRunTest, TheGameEndingResetsTheLaunchState) {
  run("after 1500 exit 0");
  ASSERT_TRUE(gameReady());
  ASSERT_TRUE(eventually([&] { return sawPage(b_, {"OnActiveXQuit"}); }));
  const std::vector<Line> calls = pageCalls(b_);
  EXPECT_TRUE(inOrder(calls, {{"showDiv", "0", "1"}, {"showDiv", "0", "0"}, {"OnActiveXQuit"},
                              {"OnGameInitProgress", "100"}, status(0)}));
  // Page events are not passed on to a game that has gone.
  b_.send({"invoke", "a", "OnScriptMessage", "s:eventType:OnLogin,code:c,clientType:1"});
  ASSERT_TRUE(b_.sync());
  EXPECT_FALSE(logHas(gameLog(), "recv wParam=" + hwnd_ + " 0x2101"));
}

TEST_F(PluginRunTest, ARelaunchRequestEndsTheGameAndStartsASwitchLaunch) {
  run("");
  ASSERT_TRUE(gameReady());
  ASSERT_TRUE(eventually([&] { return logHas(gameLog(), "recv wParam=" + hwnd_ + " 0x2106"); }));
  // The request comes in through the plug-in window like the game's would; a
  // game that asked on every start would relaunch for ever.
  b_.send({"copydata", "a", "0x0003", "02"});
  // The game quits on 0x2102; the switch launch names the cache root.
  ASSERT_TRUE(eventually([&] { return logHas(launchLog(), "args __KX_SWITCH_LAUNCH__"); }));
  EXPECT_TRUE(logHas(gameLog(), "recv wParam=0 0x2102 CD_QUIT_GAME value=1 cbData=1"));
  EXPECT_TRUE(logHas(launchLog(), "args __KX_SWITCH_LAUNCH__ " + hwnd_ + " " + pid_ + " 960 640 2 " +
                                      narrowAscii(tree_.path(L"cache"))));
}

TEST_F(PluginRunTest, DestroyEndsTheLauncherAtOnceAndTheGameAfterItsGrace) {
  run("ignore 0x2102", ";after 60000 exit 0");
  ASSERT_TRUE(gameReady());
  ASSERT_TRUE(eventually([&] { return logHas(launchLog(), "start-game "); }));
  const std::vector<DWORD> launchers = processesNamed(L"KXLaunch.exe", std::stoul(pid_));
  ASSERT_EQ(launchers.size(), 1u);
  HANDLE launcher = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, launchers[0]);
  // The game logs its 0x0101 once the plug-in's handling of it has returned.
  ASSERT_TRUE(eventually([&] { return gamePid(gameLog()) != 0; }));
  HANDLE game = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, gamePid(gameLog()));
  ASSERT_TRUE(launcher);
  ASSERT_TRUE(game);
  EXPECT_EQ(exitCode(launcher, 0), -1);
  b_.send({"destroy", "a"});
  ASSERT_TRUE(b_.sync());
  EXPECT_EQ(exitCode(launcher, 5000), 2);
  EXPECT_EQ(exitCode(game, 5000), 2);
  EXPECT_TRUE(logHas(gameLog(), "recv wParam=0 0x2102 CD_QUIT_GAME value=1 cbData=1"));
  EXPECT_TRUE(logHas(gameLog(), "ignored 0x2102"));
  CloseHandle(launcher);
  CloseHandle(game);
}

TEST_F(PluginRunTest, ClearPatchFromTheDialogNamesTheCacheRootOfTheRunningGame) {
  run("");
  ASSERT_TRUE(gameReady());
  b_.send({"invoke", "a", "OnScriptMessage", "s:eventType:OnClientRepair,openClearPatch:1"});
  const auto dialog = waitForDialog(std::stoul(pid_), L"《Vantorra》手游网页版");
  ASSERT_TRUE(dialog);
  ASSERT_TRUE(pressButton(dialog->window, IDOK));
  ASSERT_TRUE(waitGone(dialog->window));
  ASSERT_TRUE(eventually([&] { return logHas(launchLog(), "args __KX_CLEAR_PATCH__"); }));
  EXPECT_TRUE(logHas(gameLog(), "recv wParam=0 0x2102 CD_QUIT_GAME value=1 cbData=1"));
  EXPECT_TRUE(logHas(launchLog(), "args __KX_CLEAR_PATCH__ " + hwnd_ + " " + pid_ + " 960 640 " +
                                      kUrl + " " + narrowAscii(tree_.path(L"cache"))));
}

}  // namespace
}  // namespace kx::testing
