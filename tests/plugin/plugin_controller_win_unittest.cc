// The real plug-in in the test browser with launchers in the prefix's system
// directory: which file it starts, how, and what the page and the user see.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/plugin/browser_session_win.h"
#include "tests/plugin/dialog_finder_win.h"

namespace kx::testing {
namespace {

std::wstring realDll() { return windowsPathFromEnv("KX_PLUGIN_DLL"); }
std::wstring pkiFile(const wchar_t* name) { return windowsPathFromEnv("KX_PKI_DIR") + L"\\" + name; }

std::wstring systemDirectory() {
  wchar_t dir[MAX_PATH] = {};
  GetSystemDirectoryW(dir, MAX_PATH - 1);
  return dir;
}

// Puts a file in place as <system directory>\KXLaunch.exe for one test.
class SystemLauncher {
 public:
  explicit SystemLauncher(const std::wstring& source)
      : path_(systemDirectory() + L"\\KXLaunch.exe") {
    copied_ = CopyFileW(source.c_str(), path_.c_str(), FALSE) != 0;
  }
  ~SystemLauncher() {
    // A launcher still running keeps its image busy for a moment.
    for (int i = 0; i < 250 && !DeleteFileW(path_.c_str()) &&
                    GetLastError() != ERROR_FILE_NOT_FOUND;
         ++i)
      Sleep(20);
  }
  bool copied() const { return copied_; }

 private:
  std::wstring path_;
  bool copied_ = false;
};

std::vector<DWORD> processesNamed(const wchar_t* name) {
  std::vector<DWORD> found;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return found;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
    if (_wcsicmp(entry.szExeFile, name) == 0) found.push_back(entry.th32ProcessID);
  CloseHandle(snapshot);
  return found;
}

std::vector<Line> pageCalls(BrowserSession& b, const std::string& instance = "a") {
  std::vector<Line> out;
  for (const Line& line : b.linesOf("page")) {
    if (line.size() < 4 || line[1] != instance) continue;
    out.emplace_back(line.begin() + 3, line.end());
  }
  return out;
}

DWORD browserPid(BrowserSession& b) { return std::stoul(b.lines()[0][5]); }

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
    SCOPED_TRACE(narrow(file));
    SystemLauncher launcher(pkiFile(file));
    ASSERT_TRUE(launcher.copied());
    BrowserSession b;
    ASSERT_TRUE(b.start(realDll()));
    loadPage(b, "gameUpdateUrl=http://127.0.0.1:9/list,extParam=E");
    const auto box = waitForDialog(browserPid(b), L"启动失败");
    ASSERT_TRUE(box);
    EXPECT_EQ(box->texts, std::vector<std::wstring>{L"无法启动程序"});
    EXPECT_TRUE(processesNamed(L"KXLaunch.exe").empty());
    ASSERT_TRUE(pressButton(box->window, IDOK));
    ASSERT_TRUE(b.sync());
    const std::vector<Line> calls = pageCalls(b);
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2], (Line{"OnActiveXReady"}));
    EXPECT_EQ(calls.back(), (Line{"showDiv", "0", "0"}));
    EXPECT_EQ(b.finish(), 0);
  }
}

}  // namespace
}  // namespace kx::testing
