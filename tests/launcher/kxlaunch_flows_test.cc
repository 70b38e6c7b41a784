// The real KXLaunch.exe under Wine: a private nginx serves the patch list and
// a generated package (the signed stand-in game client as Kx\kxmain.exe), the
// copy-data recorder stands in for the plug-in window, the box answerer
// answers the launcher's boxes and reports its exit code.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cwctype>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/protocol/copy_data.h"
#include "common/protocol/payloads.h"
#include "launcher/package/zip_file_test_writer.h"
#include "tests/servers/server_files.h"
#include "tests/support/copy_data_recorder_win.h"
#include "tests/support/game_standin_win.h"
#include "tests/support/test_process_win.h"
#include "tests/support/test_tree_win.h"

namespace kx::launcher {
namespace {

using cocos2d::testing::makeTestZip;
using test::CopyDataRecorder;
using Progress = std::vector<std::pair<int, int>>;

constexpr uint32_t kWaitMs = 30000;

std::wstring widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

std::string readWindowsFile(const std::wstring& path) {
  std::ifstream f(path.c_str(), std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

void writeHostFile(const std::string& zPath, const std::string& bytes) {
  std::ofstream f(zPath, std::ios::binary | std::ios::trunc);
  f << bytes;
}

bool exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The signed and unsigned copies of the stand-in game client made by the
// test PKI (tests/signing/make-pki.sh with kxmain.exe as its sample).
std::string pkiFile(const char* name) {
  return readWindowsFile(test::pathFromEnv("KX_LAUNCH_PKI_DIR") + L"\\" + widen(name));
}

// Incompressible filler, so that the transfer takes a while on the slow path.
std::string noise(size_t size) {
  std::mt19937 rng(7);
  std::string out(size, '\0');
  for (char& c : out) c = static_cast<char>(rng());
  return out;
}

const char* const kSamples[] = {"A4/B5E22B", "29/98F231", "48/02AFA8", "2A/0B96FE",
                                "49/47FC7F", "7F/569D84", "1D/17CF03", "89/A334F0"};

std::string gamePackage(const std::string& version) {
  std::vector<cocos2d::testing::TestZipEntry> entries = {
      {"Kx/", ""},
      {"Kx/kxmain.exe", pkiFile("corvane.exe")},
      {"Kx/kxmain.dll", "engine " + version},
      {"Kx/version.ini", version + "\r\n"},
      {"Kx/res/", ""},
      {"Kx/res/big.bin", noise(64 * 1024), false},
      {"Kx/HashRes/", ""}};
  // Folders come only from their own entries.
  for (const char* s : kSamples) {
    entries.push_back({"Kx/HashRes/" + std::string(s, 3), ""});
    entries.push_back({std::string("Kx/HashRes/") + s, s});
  }
  return makeTestZip(entries);
}

// The 0x1102 pairs of |records|, in order.
Progress launchProgress(const CopyDataRecorder::Records& records) {
  Progress out;
  for (const auto& r : records) {
    if (r.id != CD_LAUNCH_PROGRESS) continue;
    const auto p = decodeLaunchProgress(r.bytes.data(), r.bytes.size());
    if (p) out.emplace_back(p->progress, p->status);
  }
  return out;
}

// (4, n) collapsed to one (4, 0) entry, after checking that n rose from 1.
// The downloader reports no more after its last read unless that read met
// the report rule, so the last eighth is 7 or 8.
Progress withEighthsCollapsed(const Progress& all) {
  Progress out;
  int last = 0;
  for (const auto& p : all) {
    if (p.first != 4) {
      out.push_back(p);
      continue;
    }
    EXPECT_GT(p.second, last) << "eighths rise";
    if (last == 0) {
      EXPECT_EQ(p.second, 1);
      out.emplace_back(4, 0);
    }
    last = p.second;
  }
  if (last != 0) EXPECT_GE(last, 7);
  return out;
}

size_t countOf(const CopyDataRecorder::Records& records, uint32_t id) {
  size_t n = 0;
  for (const auto& r : records) n += r.id == id;
  return n;
}

void endProcess(uint32_t pid) {
  HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
  if (!h) return;
  TerminateProcess(h, 3);
  WaitForSingleObject(h, 10000);
  CloseHandle(h);
}

// One KXLaunch run inside the box answerer, which presses OK on the first box
// and prints "caption=..", "text=..", "exit=N" (or "error=no box").
class LauncherRun {
 public:
  bool start(const std::wstring& arguments) {
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!CreatePipe(&read, &write, &sa, 1 << 16)) return false;
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    read_.reset(read);
    std::wstring cmd = L"\"" + test::pathFromEnv("KX_BOX_ANSWERER") +
                       L"\" --timeout-ms 60000 --press ok -- \"" +
                       test::pathFromEnv("KX_LAUNCHER") + L"\" " + arguments;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = write;
    si.hStdError = write;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi = {};
    const BOOL ok = CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                   &si, &pi);
    CloseHandle(write);
    if (!ok) return false;
    CloseHandle(pi.hThread);
    process_.reset(pi.hProcess);
    return true;
  }
  // The answerer's output without CRs, once it has ended.
  std::string finish() {
    if (!process_ || WaitForSingleObject(process_.get(), kWaitMs) != WAIT_OBJECT_0) {
      return "answerer still running";
    }
    std::string out;
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(read_.get(), buffer, sizeof(buffer), &n, nullptr) && n > 0) {
      out.append(buffer, n);
    }
    std::string clean;
    for (char c : out) {
      if (c != '\r') clean += c;
    }
    return clean;
  }

 private:
  ScopedHandle read_;
  ScopedHandle process_;
};

std::string boxOutput(const std::string& caption, const std::string& text, int exitCode) {
  return "caption=" + caption + "\ntext=" + text + "\nexit=" + std::to_string(exitCode) + "\n";
}
std::string noBoxOutput(int exitCode) {
  return "error=no box\nexit=" + std::to_string(exitCode) + "\n";
}

const char kFlowCaption[] = "Vantorra手游网页版";

class KxLaunchTest : public ::testing::Test {
 protected:
  KxLaunchTest() : tree_(L"kxl") {
    for (const std::wstring& root : kHostRoots) hostRootsBefore_.push_back(exists(root));
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::string("kxl-") + info->name();
    CreateDirectoryA(test::serverPath("KX_NGINX_DIR", "www/" + folder_).c_str(), nullptr);
  }
  ~KxLaunchTest() override {
    for (uint32_t pid : gamePids_) endProcess(pid);
  }
  void TearDown() override {
    // Every run names its cache root; a launcher that chose one itself would
    // have made it on a real drive (Wine's Z: is the host's /).
    for (size_t i = 0; i < kHostRoots.size(); ++i) {
      EXPECT_FALSE(!hostRootsBefore_[i] && exists(kHostRoots[i])) << "made " << i;
    }
  }

  std::wstring root() const { return tree_.root(); }
  std::wstring game(const std::wstring& rel = L"") const {
    return rel.empty() ? tree_.path(L"Kx") : tree_.path(L"Kx\\" + rel);
  }
  std::wstring serverFolderUrl(bool slow = false) const {
    // The port file ends in a line feed, which must not reach a command line.
    std::wstring base = test::serverUrl("KX_NGINX_DIR");
    while (!base.empty() && iswspace(base.back())) base.pop_back();
    return base + (slow ? L"/slow/" : L"/") + widen(folder_);
  }
  void serve(const std::string& name, const std::string& bytes) {
    writeHostFile(test::serverPath("KX_NGINX_DIR", "www/" + folder_ + "/" + name), bytes);
  }
  // The patch list, with the package of |apkver| beside it.
  void servePatchList(const std::string& apkver, const std::string& extra = "",
                      bool slowPackage = false) {
    const std::wstring url = serverFolderUrl(slowPackage);
    serve("kx_patchlist_win32", "#apkver " + apkver + "\r\n#httpurl " +
                                    std::string(url.begin(), url.end()) + "\r\n" + extra);
    serve("KX-" + apkver + ".zip", gamePackage(apkver));
  }
  std::vector<std::string> nginxRequests() const {
    std::vector<std::string> out;
    std::istringstream in(test::readFileBytes(test::serverPath("KX_NGINX_DIR", "access.log")));
    for (std::string line; std::getline(in, line);) {
      if (line.find("/" + folder_ + "/") != std::string::npos) out.push_back(line);
    }
    return out;
  }
  size_t packageRequests() const {
    size_t n = 0;
    for (const auto& line : nginxRequests()) n += line.find(".zip ") != std::string::npos;
    return n;
  }
  // A complete cache of |version| as a finished download leaves it.
  void installCache(const std::string& version, const std::string& exe = "corvane.exe") {
    tree_.writeAll({{L"Kx\\kxmain.exe", pkiFile(exe.c_str())},
                    {L"Kx\\kxmain.dll", "engine " + version},
                    {L"Kx\\version.ini", version + "\r\n"},
                    {L"Kx\\findownload.dat", version + "\r\n"},
                    {L"Kx\\HashRes\\kxmain.dll", "engine " + version},
                    {L"Kx\\HashRes\\version.ini", version + "\r\n"}});
    CreateDirectoryW(tree_.path(L"KxDownload").c_str(), nullptr);
  }

  std::wstring commandLine(const wchar_t* mode, int32_t window, uint32_t browserPid,
                           const std::wstring& field6, const std::wstring& field7) const {
    return std::wstring(mode) + L" " + std::to_wstring(window) + L" " +
           std::to_wstring(browserPid) + L" 960 640 " + field6 + (field7.empty() ? L"" : L" ") +
           field7;
  }
  std::wstring normal(int32_t window, uint32_t browserPid = GetCurrentProcessId()) const {
    return commandLine(L"__KX_LAUNCH_NORMAL__", window, browserPid,
                       serverFolderUrl() + L"/kx_patchlist_win32", L"LocalDir@" + root());
  }
  std::wstring repair(int32_t window, uint32_t browserPid = GetCurrentProcessId()) const {
    return commandLine(L"__KX_CLEAR_REPAIR__", window, browserPid,
                       serverFolderUrl() + L"/kx_patchlist_win32", L"LocalDir@" + root());
  }
  std::wstring clearPatch(int32_t window, const std::wstring& cacheRoot) const {
    return commandLine(L"__KX_CLEAR_PATCH__", window, GetCurrentProcessId(),
                       serverFolderUrl() + L"/kx_patchlist_win32", cacheRoot);
  }
  std::wstring switchMode(int32_t window) const {
    return commandLine(L"__KX_SWITCH_LAUNCH__", window, GetCurrentProcessId(), L"1", root());
  }

  std::string run(const std::wstring& arguments) {
    LauncherRun r;
    if (!r.start(arguments)) return "not started";
    return r.finish();
  }

  // Waits for the stand-in game client's 0x0101 and remembers it to end it later.
  std::optional<GameClientInfo> waitForGameClient(CopyDataRecorder& recorder) {
    const auto r = recorder.waitFor(CD_GAME_CLIENT_INFO, kWaitMs);
    if (!r) {
      for (const std::string& line : recorder.lines()) std::printf("recorded: %s\n", line.c_str());
      return std::nullopt;
    }
    const auto info = decodeGameClientInfo(r->bytes.data(), r->bytes.size());
    if (info) gamePids_.push_back(info->processId);
    return info;
  }
  // Runs the launcher (its command line made for the recorder's window) until
  // it has exited without a box and the game client has reported.
  void launchToGame(CopyDataRecorder& recorder,
                    const std::function<std::wstring(int32_t window)>& commandLineFor) {
    ASSERT_TRUE(recorder.ready());
    LauncherRun launcher;
    ASSERT_TRUE(launcher.start(commandLineFor(recorder.windowValue())));
    ASSERT_TRUE(waitForGameClient(recorder)) << launcher.finish();
    EXPECT_EQ(launcher.finish(), noBoxOutput(0));
  }
  std::vector<std::string> standinLog() const { return test::readStandinLog(game(L"kxmain.log")); }
  std::string startLine(int32_t window) const {
    return "start hOcxWnd=" + std::to_string(static_cast<uint32_t>(window)) +
           " browserPid=" + std::to_string(GetCurrentProcessId()) + " width=960 height=640";
  }

  const std::vector<std::wstring> kHostRoots = {L"Z:\\Corvane", L"C:\\Corvane"};
  std::vector<bool> hostRootsBefore_;
  test::TempTree tree_;
  std::string folder_;
  std::vector<uint32_t> gamePids_;
};

TEST_F(KxLaunchTest, CompleteCacheStartsTheGameWithoutDownloadOrMutex) {
  installCache("1.0.5");
  servePatchList("1.0.5");
  CopyDataRecorder recorder;
  ASSERT_TRUE(recorder.ready());
  LauncherRun launcher;
  ASSERT_TRUE(launcher.start(normal(recorder.windowValue())));
  const auto info = waitForGameClient(recorder);
  ASSERT_TRUE(info) << launcher.finish();
  EXPECT_EQ(info->startStatus, 0);
  EXPECT_EQ(launcher.finish(), noBoxOutput(0));
  const auto records = recorder.records();
  EXPECT_EQ(launchProgress(records), (Progress{{1, 1}, {2, 1}, {6, 1}, {7, 1}}));
  EXPECT_EQ(countOf(records, CD_DOWNLOAD_SPEED), 0u);
  EXPECT_EQ(countOf(records, CD_UNZIP_PROGRESS), 0u);
  EXPECT_EQ(records.back().id, CD_GAME_CLIENT_INFO);
  EXPECT_EQ(packageRequests(), 0u);
  ASSERT_FALSE(standinLog().empty());
  EXPECT_EQ(standinLog()[0], startLine(recorder.windowValue()));
  // The download mutex was never made: a fresh one is really new.
  HANDLE probe = CreateMutexW(nullptr, FALSE, L"kx_main_download_mutex");
  EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  CloseHandle(probe);
}

TEST_F(KxLaunchTest, EmptyCacheDownloadsUnpacksAndStarts) {
  servePatchList("1.0.5", "", /*slowPackage=*/true);
  CopyDataRecorder recorder;
  ASSERT_NO_FATAL_FAILURE(launchToGame(recorder, [&](int32_t w) { return normal(w); }));
  const auto records = recorder.records();
  EXPECT_EQ(withEighthsCollapsed(launchProgress(records)),
            (Progress{{1, 1}, {2, 1}, {3, 1}, {4, 0}, {5, 1}, {6, 1}, {6, 1}, {7, 1}}));
  EXPECT_GE(countOf(records, CD_DOWNLOAD_SPEED), 1u);
  std::optional<UnzipProgress> lastUnzip;
  for (const auto& r : records) {
    if (r.id == CD_UNZIP_PROGRESS) lastUnzip = decodeUnzipProgress(r.bytes.data(), r.bytes.size());
  }
  ASSERT_TRUE(lastUnzip);
  EXPECT_EQ(lastUnzip->curFiles, lastUnzip->totalFiles);
  EXPECT_EQ(lastUnzip->totalFiles, 12u) << "every file of the package; folders do not count";
  EXPECT_EQ(readWindowsFile(game(L"findownload.dat")), "1.0.5\r\n");
  EXPECT_EQ(readWindowsFile(game(L"HashRes\\kxmain.dll")), "engine 1.0.5");
  EXPECT_EQ(readWindowsFile(game(L"HashRes\\version.ini")), "1.0.5\r\n");
  EXPECT_EQ(readWindowsFile(game(L"HashRes\\7F\\569D84")), "7F/569D84");
  EXPECT_FALSE(exists(tree_.path(L"KxDownload\\KX-1.0.5.zip")));
  EXPECT_FALSE(exists(tree_.path(L"KxDownload\\KX-1.0.5.temp")));
  EXPECT_EQ(standinLog()[0], startLine(recorder.windowValue()));
}

TEST_F(KxLaunchTest, MiniverAboveTheInstalledVersionRebuildsTheGameFolder) {
  installCache("1.0.3");
  tree_.write(L"Kx\\stale.txt", "from 1.0.3");
  servePatchList("1.0.5", "#minivercheck 1\r\n#miniver 1.0.5\r\n");
  CopyDataRecorder recorder;
  ASSERT_NO_FATAL_FAILURE(launchToGame(recorder, [&](int32_t w) { return normal(w); }));
  EXPECT_FALSE(exists(game(L"stale.txt"))) << "the game folder was deleted";
  EXPECT_EQ(readWindowsFile(game(L"version.ini")), "1.0.5\r\n");
  EXPECT_EQ(packageRequests(), 1u);
}

TEST_F(KxLaunchTest, SecondLauncherDuringADownloadIsRefusedAndTheFirstFinishes) {
  servePatchList("1.0.5", "", /*slowPackage=*/true);
  CopyDataRecorder first;
  CopyDataRecorder second;
  ASSERT_TRUE(first.ready() && second.ready());
  LauncherRun downloading;
  ASSERT_TRUE(downloading.start(normal(first.windowValue())));
  ASSERT_TRUE(first.waitFor(CD_DOWNLOAD_SPEED, kWaitMs)) << "the first one is downloading";
  EXPECT_EQ(run(normal(second.windowValue())),
            boxOutput(kFlowCaption, "当前有其它的Vantorra手游网页版正在下载资源包，请耐心等待!", 0));
  EXPECT_EQ(launchProgress(second.records()), (Progress{{1, 1}, {2, 1}, {6, 0}}));
  ASSERT_TRUE(waitForGameClient(first));
  EXPECT_EQ(downloading.finish(), noBoxOutput(0));
  EXPECT_EQ(launchProgress(first.records()).back(), std::make_pair(7, 1));
  EXPECT_EQ(readWindowsFile(game(L"findownload.dat")), "1.0.5\r\n");
}

TEST_F(KxLaunchTest, BrowserEndingDuringTheDownloadEndsTheLauncherWithCodeOne) {
  servePatchList("1.0.5", "", /*slowPackage=*/true);
  CopyDataRecorder recorder;
  ASSERT_TRUE(recorder.ready());
  test::HelperProcess browser;
  ASSERT_TRUE(browser.start(tree_.path(L"browser.exe")));
  LauncherRun launcher;
  ASSERT_TRUE(launcher.start(normal(recorder.windowValue(), browser.pid())));
  ASSERT_TRUE(recorder.waitFor(CD_DOWNLOAD_SPEED, kWaitMs));
  ASSERT_TRUE(browser.finish());
  EXPECT_EQ(launcher.finish(), noBoxOutput(1));
  EXPECT_FALSE(exists(game(L"findownload.dat")));
  EXPECT_EQ(countOf(recorder.records(), CD_GAME_CLIENT_INFO), 0u);
}

TEST_F(KxLaunchTest, NoWindowRunsToTheEndSilentlyAndStartsNothing) {
  servePatchList("1.0.5");
  EXPECT_EQ(run(normal(0)), noBoxOutput(0));
  EXPECT_EQ(readWindowsFile(game(L"findownload.dat")), "1.0.5\r\n");
  EXPECT_TRUE(exists(game(L"kxmain.exe")));
  EXPECT_FALSE(exists(game(L"kxmain.log"))) << "the game client was not started";
}

TEST_F(KxLaunchTest, RepairRebuildsTheCache) {
  installCache("1.0.4");
  tree_.write(L"Kx\\junk.txt", "x");
  tree_.write(L"KxDownload\\KX-1.0.4.temp", "partial");
  servePatchList("1.0.5");
  CopyDataRecorder recorder;
  ASSERT_NO_FATAL_FAILURE(launchToGame(recorder, [&](int32_t w) { return repair(w); }));
  EXPECT_EQ(withEighthsCollapsed(launchProgress(recorder.records())),
            (Progress{{1, 1}, {3, 1}, {4, 0}, {5, 1}, {6, 1}, {6, 1}, {7, 1}}))
      << "no (2,1) in a repair";
  EXPECT_FALSE(exists(game(L"junk.txt")));
  EXPECT_FALSE(exists(tree_.path(L"KxDownload\\KX-1.0.4.temp")));
  EXPECT_EQ(readWindowsFile(game(L"version.ini")), "1.0.5\r\n");
}

TEST_F(KxLaunchTest, RepairRefusesWhileAGameClientRunsEvenWithoutAWindow) {
  installCache("1.0.5");
  test::GameStandinRun running(game());
  ASSERT_TRUE(running.install("lifetime 30000"));
  CopyDataRecorder gameSide;
  ASSERT_TRUE(gameSide.ready());
  ASSERT_TRUE(running.start({gameSide.windowValue(), static_cast<int32_t>(GetCurrentProcessId()),
                             960, 640}));
  ASSERT_TRUE(gameSide.waitFor(CD_GAME_CLIENT_INFO, kWaitMs));
  servePatchList("1.0.5");
  EXPECT_EQ(run(repair(0)),
            boxOutput(kFlowCaption, "当前有游戏客户端正在运行，请先将其关闭后再使用重装游戏功能。", 0));
  EXPECT_TRUE(exists(game(L"findownload.dat"))) << "nothing deleted";
  EXPECT_TRUE(nginxRequests().empty());
}

TEST_F(KxLaunchTest, RepairRefusesWhileAnotherLauncherDownloads) {
  installCache("1.0.5");
  HANDLE other = CreateMutexW(nullptr, FALSE, L"kx_main_download_mutex");
  ASSERT_NE(other, nullptr);
  CopyDataRecorder recorder;
  ASSERT_TRUE(recorder.ready());
  EXPECT_EQ(run(repair(recorder.windowValue())),
            boxOutput(kFlowCaption,
                      "当前正在有其他网页下载游戏客户端，请等待下载安装完成后重新刷新本页面", 0));
  CloseHandle(other);
  EXPECT_TRUE(exists(game(L"findownload.dat"))) << "nothing deleted";
  EXPECT_TRUE(recorder.records().empty());
}

TEST_F(KxLaunchTest, ClearPatchRemovesThePatchesAndRestoresTheEngine) {
  installCache("1.0.5");
  tree_.writeAll({{L"Kx\\kxmain.dll", "patched engine"},
                  {L"Kx\\Documents\\pkres\\version.ini", "1.0.5\r\n"},
                  {L"Kx\\Documents\\subver\\extra.dll", "sub"},
                  {L"Kx\\Documents\\patch_cache\\p.bin", "p"}});
  CopyDataRecorder recorder;
  ASSERT_NO_FATAL_FAILURE(
      launchToGame(recorder, [&](int32_t w) { return clearPatch(w, root()); }));
  EXPECT_EQ(launchProgress(recorder.records()), (Progress{{1, 1}, {5, 1}, {6, 1}, {7, 1}}));
  EXPECT_FALSE(exists(game(L"Documents\\pkres")));
  EXPECT_FALSE(exists(game(L"Documents\\subver")));
  EXPECT_FALSE(exists(game(L"Documents\\patch_cache")));
  EXPECT_EQ(readWindowsFile(game(L"kxmain.dll")), "engine 1.0.5");
  EXPECT_EQ(readWindowsFile(game(L"version.ini")), "1.0.5\r\n");
  EXPECT_TRUE(nginxRequests().empty());
}

TEST_F(KxLaunchTest, ClearPatchRefusals) {
  installCache("1.0.5");
  CopyDataRecorder recorder;
  ASSERT_TRUE(recorder.ready());
  HANDLE other = CreateMutexW(nullptr, FALSE, L"kx_main_clearpatch_mutex");
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(run(clearPatch(recorder.windowValue(), root())),
            boxOutput(kFlowCaption,
                      "当前正在有其他网页修复游戏客户端，请等待修复完成后重新刷新本页面", 0));
  CloseHandle(other);
  EXPECT_TRUE(recorder.records().empty());

  EXPECT_EQ(run(clearPatch(recorder.windowValue(), root() + L"\\missing")),
            boxOutput(kFlowCaption, "无法找到游戏缓存文件", 0));
  EXPECT_EQ(launchProgress(recorder.records()), (Progress{{1, 0}}));
}

TEST_F(KxLaunchTest, SwitchLaunchChecksAndStartsWithoutNetwork) {
  installCache("1.0.5");
  servePatchList("1.0.5");
  CopyDataRecorder recorder;
  ASSERT_NO_FATAL_FAILURE(launchToGame(recorder, [&](int32_t w) { return switchMode(w); }));
  EXPECT_EQ(launchProgress(recorder.records()), (Progress{{1, 1}, {5, 1}, {7, 1}}));
  EXPECT_TRUE(nginxRequests().empty());
}

TEST_F(KxLaunchTest, GameClientNotSignedByTheMakerIsNotStarted) {
  for (const char* exe : {"other.exe", "unsigned.exe"}) {
    SCOPED_TRACE(exe);
    installCache("1.0.5", exe);
    servePatchList("1.0.5");
    CopyDataRecorder recorder;
    ASSERT_TRUE(recorder.ready());
    const std::string out = run(normal(recorder.windowValue()));
    EXPECT_NE(out.find("\ntext=无法启动游戏程序\nexit=0\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("caption=Vantorra"), std::string::npos) << "the system's caption";
    EXPECT_EQ(launchProgress(recorder.records()).back(), std::make_pair(7, 1));
    EXPECT_EQ(countOf(recorder.records(), CD_GAME_CLIENT_INFO), 0u);
    EXPECT_FALSE(exists(game(L"kxmain.log")));
  }
}

// Figures for bench/kxlaunch.sh (not run by ctest): a warm normal launch,
// KXLaunch.exe started directly, against the stand-in game client started
// directly. Prints milliseconds from process start; asserts nothing about time.
TEST_F(KxLaunchTest, DISABLED_WarmNormalLaunchFigures) {
  installCache("1.0.5");
  servePatchList("1.0.5");
  const int rounds = 5;
  for (int round = 0; round < rounds; ++round) {
    CopyDataRecorder recorder;
    ASSERT_TRUE(recorder.ready());
    ULONGLONG flowDone = 0;
    ULONGLONG gameReported = 0;
    recorder.setHook([&](const test::CopyDataRecord& r) {
      const ULONGLONG now = GetTickCount64();
      if (r.id == CD_LAUNCH_PROGRESS && r.bytes.size() == 2 && r.bytes[0] == 7) flowDone = now;
      if (r.id == CD_GAME_CLIENT_INFO) gameReported = now;
    });
    std::wstring cmd = L"\"" + test::pathFromEnv("KX_LAUNCHER") + L"\" " +
                       normal(recorder.windowValue());
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    const ULONGLONG start = GetTickCount64();
    ASSERT_TRUE(CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &si, &pi));
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, kWaitMs), WAIT_OBJECT_0);
    const ULONGLONG exited = GetTickCount64();
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    ASSERT_TRUE(waitForGameClient(recorder));

    // The game client alone, from the same folder, for comparison.
    CopyDataRecorder alone;
    ASSERT_TRUE(alone.ready());
    test::GameStandinRun direct(tree_.path(L"direct"));
    ASSERT_TRUE(direct.install());
    const ULONGLONG directStart = GetTickCount64();
    ASSERT_TRUE(direct.start({alone.windowValue(), static_cast<int32_t>(GetCurrentProcessId()),
                              960, 640}));
    ASSERT_TRUE(alone.waitFor(CD_GAME_CLIENT_INFO, kWaitMs));
    const ULONGLONG directReported = GetTickCount64();
    std::printf("round %d: to (7,1) %llu ms, launcher exit %llu ms, to 0x0101 %llu ms; "
                "game client alone to 0x0101 %llu ms\n",
                round, flowDone - start, exited - start, gameReported - start,
                directReported - directStart);
    for (uint32_t pid : gamePids_) endProcess(pid);
    gamePids_.clear();
  }
}

}  // namespace
}  // namespace kx::launcher
