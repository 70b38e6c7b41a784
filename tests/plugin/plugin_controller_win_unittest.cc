// The real plug-in in the test browser with launchers in the prefix's system
// directory: which file it starts, how, and what the page and the user see.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/plugin/browser_session_win.h"
#include "common/base/text_convert_win.h"
#include "tests/plugin/dialog_finder_win.h"
#include "tests/plugin/system_launcher_win.h"

namespace kx::testing {
namespace {

std::wstring realDll() { return windowsPathFromEnv("KX_PLUGIN_DLL"); }
std::wstring pkiFile(const wchar_t* name) { return windowsPathFromEnv("KX_PKI_DIR") + L"\\" + name; }

std::vector<Line> pageCalls(BrowserSession& b, const std::string& instance = "a") {
  std::vector<Line> out;
  for (const Line& line : b.linesOf("page")) {
    if (line.size() < 4 || line[1] != instance) continue;
    out.emplace_back(line.begin() + 3, line.end());
  }
  return out;
}

DWORD browserPid(BrowserSession& b) { return std::stoul(b.lines()[0][5]); }

std::string windowOf(BrowserSession& b, const std::string& instance = "a") {
  for (const Line& line : b.linesOf("window"))
    if (line.size() >= 4 && line[1] == instance && line[3] != "0") return line[3];
  return "";
}

std::string utf8(const std::wstring& text) {
  std::string out;
  return wideToUtf8(text, out);
}

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return text;
}

// What kx_launch_recorder wrote for each start, through KX_LAUNCH_RECORD.
struct Launch {
  DWORD pid = 0;
  std::string path;
  unsigned flags = 0;
  unsigned show = 0;
  std::string commandLine;
};

class LaunchRecord {
 public:
  LaunchRecord() {
    wchar_t dir[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, dir);
    static int serial = 0;
    path_ = std::wstring(dir) + L"kx_launch_record_" + std::to_wstring(GetCurrentProcessId()) +
            L"_" + std::to_wstring(++serial) + L".txt";
    DeleteFileW(path_.c_str());
    SetEnvironmentVariableW(L"KX_LAUNCH_RECORD", path_.c_str());
  }
  ~LaunchRecord() {
    // Launchers the plug-in left running (a test that failed halfway).
    for (const Launch& launch : read()) {
      HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, launch.pid);
      if (process) {
        TerminateProcess(process, 9);
        CloseHandle(process);
      }
    }
    SetEnvironmentVariableW(L"KX_LAUNCH_RECORD", nullptr);
    DeleteFileW(path_.c_str());
  }

  std::vector<Launch> read() const {
    std::vector<Launch> launches;
    HANDLE file = CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return launches;
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
    CloseHandle(file);
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
      std::vector<std::string> f;
      size_t p = start;
      for (int i = 0; i < 4; ++i) {
        const size_t tab = text.find('\t', p);
        if (tab == std::string::npos || tab > end) break;
        f.push_back(text.substr(p, tab - p));
        p = tab + 1;
      }
      if (f.size() != 4) continue;
      launches.push_back({static_cast<DWORD>(std::stoul(f[0])), f[1],
                          static_cast<unsigned>(std::stoul(f[2])),
                          static_cast<unsigned>(std::stoul(f[3])), text.substr(p, end - p)});
    }
    return launches;
  }

  // Polls until |count| launches were recorded.
  std::vector<Launch> waitFor(size_t count, DWORD timeoutMs = 15000) const {
    const DWORD start = GetTickCount();
    std::vector<Launch> launches = read();
    while (launches.size() < count && GetTickCount() - start < timeoutMs) {
      Sleep(20);
      launches = read();
    }
    return launches;
  }

 private:
  std::wstring path_;
};

std::wstring launchersDir() { return windowsPathFromEnv("KX_LAUNCHERS_DIR"); }
std::wstring signedLauncher() { return launchersDir() + L"\\KXLaunch.exe"; }

// The exit code once |pid| ended, or -1 when it is still running after |timeoutMs|.
long exitCodeOf(DWORD pid, DWORD timeoutMs) {
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return -2;
  long code = -1;
  if (WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0) {
    DWORD exit = 0;
    GetExitCodeProcess(process, &exit);
    code = static_cast<long>(exit);
  }
  CloseHandle(process);
  return code;
}

// The next answer to an invoke of |method|. Modal boxes run the browser's
// commands inside their own loops, so a sync is no proof that a call returned.
bool invokeReturned(BrowserSession& b, const std::string& method) {
  for (;;) {
    const std::optional<Line> line = b.next("invoke");
    if (!line) return false;
    if (line->size() > 3 && (*line)[3] == method) return true;
  }
}

// The page embeds the plug-in, configures it and reports itself loaded.
void loadPage(BrowserSession& b, const std::string& params) {
  b.send({"new", "a"});
  b.send({"object", "a"});
  b.send({"window", "a"});
  b.send({"invoke", "a", "SetParams", "s:" + params});
  b.send({"invoke", "a", "OnScriptMessage", "s:eventType:OnPageLoaded"});
}

TEST(PluginLauncherStartTest, ARefusedLauncherIsNotStartedAndTheUserIsTold) {
  for (const wchar_t* file : {L"unsigned.exe", L"other.exe", L"tampered.exe"}) {
    std::string name;
    SCOPED_TRACE(wideToUtf8(file, name));
    SystemLauncher launcher(pkiFile(file));
    ASSERT_TRUE(launcher.copied());
    BrowserSession b;
    ASSERT_TRUE(b.start(realDll()));
    loadPage(b, "gameUpdateUrl=http://127.0.0.1:9/list,extParam=E");
    const auto box = waitForDialog(browserPid(b), L"启动失败");
    ASSERT_TRUE(box);
    EXPECT_EQ(box->texts, std::vector<std::wstring>{L"无法启动程序"});
    EXPECT_TRUE(processesNamed(L"KXLaunch.exe", browserPid(b)).empty());
    ASSERT_TRUE(pressButton(box->window, IDOK));
    ASSERT_TRUE(invokeReturned(b, "OnScriptMessage"));
    const std::vector<Line> calls = pageCalls(b);
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2], (Line{"OnActiveXReady"}));
    EXPECT_EQ(calls.back(), (Line{"showDiv", "0", "0"}));
    EXPECT_EQ(b.finish(), 0);
  }
}

constexpr char kUrl[] = "http://127.0.0.1:9/list";

TEST(PluginLauncherStartTest, NormalLaunchRunsTheVerifiedSystemLauncherHidden) {
  SystemLauncher launcher(signedLauncher());
  ASSERT_TRUE(launcher.copied());
  LaunchRecord record;
  BrowserSession b;
  ASSERT_TRUE(b.start(realDll()));
  loadPage(b, std::string("gameUpdateUrl=") + kUrl + ",extParam=E");
  ASSERT_TRUE(b.sync());
  const std::vector<Launch> launches = record.waitFor(1);
  ASSERT_EQ(launches.size(), 1u);
  EXPECT_EQ(lower(launches[0].path), lower(utf8(systemDirectory())) + "\\kxlaunch.exe");
  EXPECT_EQ(launches[0].flags & STARTF_USESHOWWINDOW, static_cast<unsigned>(STARTF_USESHOWWINDOW));
  EXPECT_EQ(launches[0].show, static_cast<unsigned>(SW_HIDE));
  EXPECT_EQ(launches[0].commandLine, "KXLaunch.exe __KX_LAUNCH_NORMAL__ " + windowOf(b) + " " +
                                         std::to_string(browserPid(b)) + " 960 640 " + kUrl + " E");
  const std::vector<Line> calls = pageCalls(b);
  EXPECT_EQ(calls, (std::vector<Line>{{"onPluginReady"},
                                      {"OnGameInitProgress", "1"},
                                      {"invokeFunc", "commonCmdHandler", "cmd:com_progress_status,status:0"},
                                      {"OnSetResolution", "0"},
                                      {"OnActiveXReady"},
                                      {"showDiv", "0", "0"}}));
  EXPECT_FALSE(anyDialog(browserPid(b)));

  // NPP_Destroy ends the launcher at once, with exit code 2.
  b.send({"destroy", "a"});
  ASSERT_TRUE(b.sync());
  EXPECT_EQ(exitCodeOf(launches[0].pid, 5000), 2);
  EXPECT_EQ(b.finish(), 0);
}

TEST(PluginLauncherStartTest, OnlyTheSystemDirectoryIsLookedIn) {
  // A signed launcher beside the browser and in the working directory, none
  // in the system directory.
  const std::wstring browser = windowsPathFromEnv("KX_TEST_BROWSER");
  const std::wstring besideBrowser = browser.substr(0, browser.rfind(L'\\')) + L"\\KXLaunch.exe";
  ASSERT_TRUE(CopyFileW(signedLauncher().c_str(), besideBrowser.c_str(), FALSE));
  wchar_t cwd[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, cwd);
  const std::wstring inCwd = std::wstring(cwd) + L"\\KXLaunch.exe";
  const bool cwdCopy = CopyFileW(signedLauncher().c_str(), inCwd.c_str(), TRUE) != 0;
  LaunchRecord record;
  {
    BrowserSession b;
    ASSERT_TRUE(b.start(realDll()));
    loadPage(b, std::string("gameUpdateUrl=") + kUrl);
    const auto box = waitForDialog(browserPid(b), L"启动失败");
    ASSERT_TRUE(box);
    EXPECT_EQ(box->texts, std::vector<std::wstring>{L"无法启动程序"});
    ASSERT_TRUE(pressButton(box->window, IDOK));
    ASSERT_TRUE(invokeReturned(b, "OnScriptMessage"));
    EXPECT_EQ(b.finish(), 0);
  }
  EXPECT_TRUE(record.read().empty());
  DeleteFileW(besideBrowser.c_str());
  if (cwdCopy) DeleteFileW(inCwd.c_str());
}

TEST(PluginLauncherStartTest, APageLoadedBeforeTheWindowMustSayItAgain) {
  SystemLauncher launcher(signedLauncher());
  ASSERT_TRUE(launcher.copied());
  LaunchRecord record;
  BrowserSession b;
  ASSERT_TRUE(b.start(realDll()));
  b.send({"new", "a"});
  b.send({"object", "a"});
  b.send({"invoke", "a", "SetParams", std::string("s:gameUpdateUrl=") + kUrl});
  b.send({"invoke", "a", "OnScriptMessage", "s:eventType:OnPageLoaded"});
  b.send({"window", "a"});
  ASSERT_TRUE(b.sync());
  EXPECT_EQ(pageCalls(b), std::vector<Line>{{"onPluginReady"}});
  b.send({"invoke", "a", "OnScriptMessage", "s:eventType:OnPageLoaded"});
  ASSERT_TRUE(b.sync());
  const std::vector<Launch> launches = record.waitFor(1);
  ASSERT_EQ(launches.size(), 1u);
  EXPECT_NE(launches[0].commandLine.find("__KX_LAUNCH_NORMAL__ " + windowOf(b)), std::string::npos);
  EXPECT_EQ(b.finish(), 0);
  EXPECT_EQ(record.read().size(), 1u);
}

// Loads the page with the signed recorder as the launcher: one normal launch.
class RepairTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(launcher_.copied());
    ASSERT_TRUE(b_.start(realDll()));
    loadPage(b_, std::string("gameUpdateUrl=") + kUrl + ",extParam=E");
    ASSERT_TRUE(invokeReturned(b_, "OnScriptMessage"));
    ASSERT_EQ(record_.waitFor(1).size(), 1u);
    prefix_ = " " + windowOf(b_) + " " + std::to_string(browserPid(b_)) + " 960 640 " + kUrl;
  }
  void TearDown() override { EXPECT_EQ(b_.finish(), 0); }

  void repair(const std::string& fields) {
    b_.send({"invoke", "a", "OnScriptMessage", "s:eventType:OnClientRepair" + fields});
  }

  SystemLauncher launcher_{signedLauncher()};
  LaunchRecord record_;
  BrowserSession b_;
  std::string prefix_;
};

TEST_F(RepairTest, QuestionCancelledChangesNothingAndOkRelaunchesForRepair) {
  for (const char* fields : {"", ",openClearPatch:01", ",openClearPatch:2", ",openClearPatch:"}) {
    SCOPED_TRACE(fields);
    repair(fields);
    const auto box = waitForDialog(browserPid(b_), L"Vantorra手游网页版");
    ASSERT_TRUE(box);
    EXPECT_EQ(box->texts, std::vector<std::wstring>{
                              L"游戏修复功能将删除本地客户端文件并自动重新进行下载，确定要进行游戏修复吗？"});
    ASSERT_TRUE(pressButton(box->window, IDCANCEL));
    ASSERT_TRUE(invokeReturned(b_, "OnScriptMessage"));
  }
  EXPECT_EQ(record_.read().size(), 1u);
  EXPECT_EQ(exitCodeOf(record_.read()[0].pid, 0), -1);  // still running

  repair("");
  const auto box = waitForDialog(browserPid(b_), L"Vantorra手游网页版");
  ASSERT_TRUE(box);
  ASSERT_TRUE(pressButton(box->window, IDOK));
  ASSERT_TRUE(invokeReturned(b_, "OnScriptMessage"));
  const std::vector<Launch> launches = record_.waitFor(2);
  ASSERT_EQ(launches.size(), 2u);
  EXPECT_EQ(exitCodeOf(launches[0].pid, 5000), 2);
  EXPECT_EQ(launches[1].commandLine, "KXLaunch.exe __KX_CLEAR_REPAIR__" + prefix_ + " E");
}

TEST_F(RepairTest, DialogClosesWithoutEndingAnythingOnCancelEscapeAndClose) {
  const struct {
    const char* how;
    UINT message;
    WPARAM wParam;
    bool toButton;
  } cases[] = {
      {"cancel button", BM_CLICK, 0, true},
      {"escape", WM_KEYDOWN, VK_ESCAPE, false},
      {"title bar close", WM_CLOSE, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.how);
    repair(",openClearPatch:1");
    const auto dialog = waitForDialog(browserPid(b_), L"《Vantorra》手游网页版");
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->buttons, (std::vector<std::wstring>{L"清除补丁", L"重装游戏", L"取消"}));
    EXPECT_EQ(dialog->texts,
              (std::vector<std::wstring>{
                  L"1、清除补丁。将只清除补丁文件并自动重新下载，不影响其他文件，耗时较短。",
                  L"2、重装游戏。将清除本地客户端所有文件并自动重新下载，耗时较长。",
                  L"您可以选择以下2种游戏修复方式："}));
    HWND target = c.toButton ? GetDlgItem(dialog->window, IDCANCEL) : dialog->window;
    if (c.message == WM_KEYDOWN) target = GetDlgItem(dialog->window, IDOK);  // the focused button
    PostMessageW(target, c.message, c.wParam, 0);
    ASSERT_TRUE(waitGone(dialog->window));
    ASSERT_TRUE(invokeReturned(b_, "OnScriptMessage"));
  }
  EXPECT_EQ(record_.read().size(), 1u);
  EXPECT_EQ(exitCodeOf(record_.read()[0].pid, 0), -1);
}

TEST_F(RepairTest, DialogChoicesRelaunchAndClose) {
  const struct {
    const char* how;
    int button;  // 0: Enter
    const char* mode;
  } cases[] = {
      {"clear patch", IDOK, "__KX_CLEAR_PATCH__"},
      {"enter", 0, "__KX_CLEAR_PATCH__"},
      {"reinstall", IDYES, "__KX_CLEAR_REPAIR__"},
  };
  size_t count = 1;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.how);
    repair(",openClearPatch:1");
    const auto dialog = waitForDialog(browserPid(b_), L"《Vantorra》手游网页版");
    ASSERT_TRUE(dialog);
    if (c.button) {
      ASSERT_TRUE(pressButton(dialog->window, c.button));
    } else {
      PostMessageW(GetDlgItem(dialog->window, IDOK), WM_KEYDOWN, VK_RETURN, 0);
    }
    ASSERT_TRUE(waitGone(dialog->window));
    ASSERT_TRUE(invokeReturned(b_, "OnScriptMessage"));
    const std::vector<Launch> launches = record_.waitFor(++count);
    ASSERT_EQ(launches.size(), count);
    EXPECT_EQ(exitCodeOf(launches[count - 2].pid, 5000), 2);
    // No game has reported yet: no gameLocalDir, and extParam only for the reinstall.
    EXPECT_EQ(launches.back().commandLine, std::string("KXLaunch.exe ") + c.mode + prefix_ +
                                               (c.button == IDYES ? " E" : ""));
  }
}

}  // namespace
}  // namespace kx::testing
