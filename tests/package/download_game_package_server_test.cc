// downloadGamePackage on a real cache folder: packages generated here, served
// by a private nginx (and the misbehaving server for broken transfers).

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "launcher/package/download_game_package_win.h"
#include "launcher/package/zip_file_test_writer.h"
#include "launcher/report/fake_report_platform.h"
#include "tests/support/test_tree_win.h"
#include "tests/servers/server_files.h"
#include "tests/support/fake_clock.h"
#include "tests/support/scripted_message_boxes.h"

namespace kx::launcher {
namespace {

using cocos2d::testing::makeTestZip;
using Progress = std::vector<std::pair<int, int>>;

using test::readFileBytes;
using test::serverPath;
using test::serverUrl;

void writeAll(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f << bytes;
}

std::wstring widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// Lines of a server's request log that mention |needle|.
std::vector<std::string> requestsFor(const char* env, const char* log, const std::string& needle) {
  std::vector<std::string> out;
  std::istringstream in(readFileBytes(serverPath(env, log)));
  for (std::string line; std::getline(in, line);) {
    if (line.find(needle) != std::string::npos) out.push_back(line);
  }
  return out;
}

// A game package of |version|, with explicit folder entries; HashRes is the
// package's resource store, where the engine snapshot goes.
std::string gamePackage(const std::string& version) {
  return makeTestZip({{"Kx/", ""},
                      {"Kx/HashRes/", ""},
                      {"Kx/res/", ""},
                      {"Kx/kxmain.dll", "engine " + version},
                      {"Kx/version.ini", version + "\r\n"},
                      {"Kx/res/a.bin", std::string(70000, 'a') + version}});
}

class PackageStepTest : public ::testing::Test {
 protected:
  PackageStepTest() : tree_(L"kx_pkg"), reports_(state_, platform_, boxes_, clock_) {
    state_.hOcxWnd = 0x4242;
    state_.WEB_KX_DIR_PATH = tree_.root();
    state_.gameDir = tree_.path(L"Kx");
    state_.downloadDir = tree_.path(L"KxDownload");
    // A distinct folder on the server per test, so parallel runs stay apart.
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    serverFolder_ = std::string("pkg-") + info->name();
  }

  // Puts a file on nginx; returns its URL folder.
  std::wstring serve(const std::string& name, const std::string& bytes) {
    ::CreateDirectoryA(serverPath("KX_NGINX_DIR", "www/" + serverFolder_).c_str(), nullptr);
    writeAll(serverPath("KX_NGINX_DIR", "www/" + serverFolder_ + "/" + name), bytes);
    return nginxFolder();
  }
  std::wstring nginxFolder() const { return serverUrl("KX_NGINX_DIR") + L"/" + widen(serverFolder_); }
  std::vector<std::string> nginxRequests() const {
    return requestsFor("KX_NGINX_DIR", "access.log", "/" + serverFolder_ + "/");
  }

  void patchList(const std::wstring& miniver, const std::wstring& apkver, const std::wstring& url) {
    if (!miniver.empty()) state_.patchList[L"miniver"] = miniver;
    if (!apkver.empty()) state_.patchList[L"apkver"] = apkver;
    state_.patchList[L"httpurl"] = url;
  }
  void putDownload(const std::wstring& name, const std::string& bytes) {
    ASSERT_TRUE(tree_.write(L"KxDownload\\" + name, bytes));
  }
  // What the download folder holds afterwards.
  test::FileTree downloads() const {
    test::FileTree out;
    for (const auto& [path, bytes] : tree_.read()) {
      if (path.rfind(L"KxDownload\\", 0) == 0) out[path.substr(11)] = bytes;
    }
    return out;
  }
  std::string file(const std::wstring& rel) const { return tree_.read()[rel]; }

  bool run() {
    return downloadGamePackage(downloader_, reports_);
  }
  // 0x1102 reports without the stage-4 eighths, which depend on the transfer.
  Progress stages() const {
    Progress out;
    for (const auto& p : platform_.launchProgress()) {
      if (p.first != 4) out.push_back(p);
    }
    return out;
  }
  void expectUnpacked(const std::string& version) {
    const test::FileTree files = tree_.read();
    const std::string absent = "(absent)";
    auto at = [&](const wchar_t* rel) {
      auto it = files.find(rel);
      return it == files.end() ? absent : it->second;
    };
    EXPECT_EQ("engine " + version, at(L"Kx\\kxmain.dll"));
    EXPECT_EQ(std::string(70000, 'a') + version, at(L"Kx\\res\\a.bin"));
    EXPECT_EQ(version + "\r\n", at(L"Kx\\findownload.dat"));
    EXPECT_EQ("engine " + version, at(L"Kx\\HashRes\\kxmain.dll")) << "engine snapshot";
    EXPECT_EQ(version + "\r\n", at(L"Kx\\HashRes\\version.ini"));
  }

  test::TempTree tree_;
  LauncherState state_;
  FakeReportPlatform platform_;
  ScriptedMessageBoxes boxes_;
  FakeClock clock_;
  LauncherReports reports_;
  HttpDownloader downloader_;
  std::string serverFolder_;
};

// Nothing listens on port 9 here: a download attempt would fail.
const wchar_t kNoServer[] = L"http://127.0.0.1:9";

TEST_F(PackageStepTest, NewestAcceptedPackageIsReusedWithoutDownload) {
  putDownload(L"KX-1.0.3.zip", gamePackage("1.0.3"));
  putDownload(L"KX-1.0.5.zip", gamePackage("1.0.5"));
  patchList(L"1.0.4", L"1.0.9", kNoServer);
  ASSERT_TRUE(run()) << state_.errorText;
  expectUnpacked("1.0.5");
  EXPECT_TRUE(downloads().empty()) << "older package deleted, used package deleted";
  EXPECT_EQ((Progress{{5, 1}, {6, 1}}), stages());
  EXPECT_TRUE(boxes_.requests().empty());
  // One unpack report, after the last file: (3 files written of 3).
  ASSERT_FALSE(platform_.sent.empty());
  const auto& unzip = platform_.sent[1];
  EXPECT_EQ(0x1105u, unzip.id);
  EXPECT_EQ((std::vector<uint8_t>{3, 0, 0, 0, 3, 0, 0, 0}), unzip.bytes);
}

TEST_F(PackageStepTest, TooOldPackageIsDeletedAndTheNewOneDownloaded) {
  putDownload(L"KX-1.0.3.zip", gamePackage("1.0.3"));
  const std::wstring url = serve("KX-1.0.6.zip", gamePackage("1.0.6"));
  patchList(L"1.0.4", L"1.0.6", url);
  ASSERT_TRUE(run()) << state_.errorText;
  expectUnpacked("1.0.6");
  EXPECT_TRUE(downloads().empty());
  EXPECT_EQ((Progress{{3, 1}, {5, 1}, {6, 1}}), stages());
  const auto requests = nginxRequests();
  ASSERT_EQ(1u, requests.size());
  EXPECT_NE(std::string::npos, requests[0].find("/KX-1.0.6.zip HTTP/1.1 range=- 200"))
      << requests[0];
  // Stage 4 ends at the eighth that covers the whole package.
  const Progress all = platform_.launchProgress();
  EXPECT_NE(all.end(), std::find(all.begin(), all.end(), std::make_pair(4, 8)));
}

TEST_F(PackageStepTest, PartialOfTheCurrentVersionIsResumed) {
  const std::string package = gamePackage("1.0.5");
  putDownload(L"KX-1.0.5.temp", package.substr(0, 300));
  const std::wstring url = serve("KX-1.0.5.zip", package);
  patchList(L"", L"1.0.5", url);
  ASSERT_TRUE(run()) << state_.errorText;
  expectUnpacked("1.0.5");
  const auto requests = nginxRequests();
  ASSERT_EQ(1u, requests.size());
  EXPECT_NE(std::string::npos, requests[0].find("range=bytes=300- 206")) << requests[0];
  EXPECT_TRUE(downloads().empty());
}

// A resume that nginx answers with 416 "bytes */<size>": a partial file of
// exactly that size is whole (the last run ended before its rename); a
// longer one cannot be resumed and starts over.
TEST_F(PackageStepTest, PartialAnsweredWith416) {
  const std::string package = gamePackage("1.0.5");
  struct Case {
    const char* name;
    std::string partial;
    std::vector<std::string> wantRequests;  // in order, as the access log shows them
  } cases[] = {
      {"whole", package, {"range=bytes=" + std::to_string(package.size()) + "- 416"}},
      {"longer", package + "trailing junk",
       {"range=bytes=" + std::to_string(package.size() + 13) + "- 416", "range=- 200"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    serverFolder_ = std::string("pkg-416-") + c.name;
    putDownload(L"KX-1.0.5.temp", c.partial);
    const std::wstring url = serve("KX-1.0.5.zip", package);
    patchList(L"", L"1.0.5", url);
    ASSERT_TRUE(run()) << state_.errorText;
    expectUnpacked("1.0.5");
    const auto requests = nginxRequests();
    ASSERT_EQ(requests.size(), c.wantRequests.size());
    for (size_t i = 0; i < requests.size(); ++i) {
      EXPECT_NE(std::string::npos, requests[i].find(c.wantRequests[i])) << requests[i];
    }
    EXPECT_TRUE(boxes_.requests().empty());
    EXPECT_TRUE(downloads().empty());
  }
}

TEST_F(PackageStepTest, PartialOfAnotherVersionIsDeletedAndDownloadStartsOver) {
  putDownload(L"KX-1.0.4.temp", std::string(300, 'x'));
  const std::wstring url = serve("KX-1.0.5.zip", gamePackage("1.0.5"));
  patchList(L"", L"1.0.5", url);
  ASSERT_TRUE(run()) << state_.errorText;
  expectUnpacked("1.0.5");
  const auto requests = nginxRequests();
  ASSERT_EQ(1u, requests.size());
  EXPECT_NE(std::string::npos, requests[0].find("range=- 200")) << requests[0];
  EXPECT_TRUE(downloads().empty()) << "KX-1.0.4.temp deleted";
}

TEST_F(PackageStepTest, PackageBesidePartialIsUsedAndThePartialLeftAlone) {
  putDownload(L"KX-1.0.5.zip", gamePackage("1.0.5"));
  putDownload(L"KX-1.0.6.temp", std::string(300, 'p'));
  patchList(L"1.0.5", L"1.0.6", kNoServer);
  ASSERT_TRUE(run()) << state_.errorText;
  expectUnpacked("1.0.5");
  EXPECT_EQ((test::FileTree{{L"KX-1.0.6.temp", std::string(300, 'p')}}), downloads());
}

TEST_F(PackageStepTest, MissingMiniverAcceptsAnyPackage) {
  putDownload(L"KX-0.0.1.zip", gamePackage("0.0.1"));
  patchList(L"", L"1.0.6", kNoServer);
  ASSERT_TRUE(run()) << state_.errorText;
  expectUnpacked("0.0.1");
}

// A package from the download folder that does not unpack is deleted, so the
// next run downloads instead of failing on it again.
TEST_F(PackageStepTest, NameWithZipInsideCountsAsAPackageAndFailsToUnpack) {
  putDownload(L"notes.zip.txt", "just notes");
  patchList(L"1.0.4", L"1.0.5", kNoServer);
  EXPECT_FALSE(run());
  EXPECT_EQ(L"解压游戏资源包失败", state_.errorText);
  EXPECT_TRUE(downloads().empty());
  EXPECT_EQ((Progress{{5, 1}}), stages());
  EXPECT_EQ(0u, tree_.read().count(L"Kx\\findownload.dat"));
}

TEST_F(PackageStepTest, MissingApkverNamesThePackageKxDash) {
  const std::wstring url = serve("KX-.zip", gamePackage("x"));
  state_.patchList[L"httpurl"] = url;
  ASSERT_TRUE(run()) << state_.errorText;
  const auto requests = nginxRequests();
  ASSERT_EQ(1u, requests.size());
  EXPECT_NE(std::string::npos, requests[0].find("/KX-.zip ")) << requests[0];
  EXPECT_EQ("\r\n", file(L"Kx\\findownload.dat"));
}

TEST_F(PackageStepTest, ThreeFailedAttemptsAnsweredOk) {
  putDownload(L"KX-1.0.5.temp", std::string(300, 'p'));
  // Cut after 1000 bytes every time: each attempt resumes where the file ends.
  const std::wstring url = serverUrl("KX_MISBEHAVE_DIR") + L"/cut/5000/1000/three";
  patchList(L"", L"1.0.5", url);
  EXPECT_FALSE(run());
  EXPECT_EQ(L"加载资源失败，请检查网络，刷新页面再试", state_.errorText);
  ASSERT_EQ(3u, boxes_.requests().size());
  for (const auto& box : boxes_.requests()) {
    EXPECT_EQ(0u, box.owner);
    EXPECT_EQ(L"下载资源失败，是否需要重试！", box.text);
    EXPECT_EQ(L"下载异常", box.caption);
    EXPECT_EQ(static_cast<uint32_t>(kMbOkCancel), box.style);
  }
  EXPECT_EQ((std::vector<uint32_t>{500, 500, 500}), clock_.sleeps());
  EXPECT_EQ(3u, requestsFor("KX_MISBEHAVE_DIR", "requests.log", "/three/").size());
  // The partial file keeps what arrived: its 300 bytes and 1000 per attempt.
  const std::string kept = downloads()[L"KX-1.0.5.temp"];
  ASSERT_EQ(3300u, kept.size());
  EXPECT_EQ(std::string(300, 'p'), kept.substr(0, 300));
  EXPECT_EQ((Progress{{3, 1}}), stages());
}

TEST_F(PackageStepTest, CancelAtTheFirstBoxMakesOneRequest) {
  boxes_ = ScriptedMessageBoxes({kIdCancel});
  const std::wstring url = serverUrl("KX_MISBEHAVE_DIR") + L"/404/cancel";
  patchList(L"", L"1.0.5", url);
  EXPECT_FALSE(run());
  EXPECT_EQ(L"加载资源失败，请检查网络，刷新页面再试", state_.errorText);
  EXPECT_EQ(1u, boxes_.requests().size());
  EXPECT_TRUE(clock_.sleeps().empty());
  EXPECT_EQ(1u, requestsFor("KX_MISBEHAVE_DIR", "requests.log", "/cancel/").size());
}

TEST_F(PackageStepTest, FailedUnpackKeepsThePackageForTheNextRun) {
  const std::string broken = "PK\x03\x04 not really a zip";
  const std::wstring url = serve("KX-1.0.7.zip", broken);
  patchList(L"1.0.7", L"1.0.7", url);
  EXPECT_FALSE(run());
  EXPECT_EQ(L"解压游戏资源包失败", state_.errorText);
  EXPECT_EQ((test::FileTree{{L"KX-1.0.7.zip", broken}}), downloads());

  // The next run unpacks what is there (fixed meanwhile) without downloading.
  putDownload(L"KX-1.0.7.zip", gamePackage("1.0.7"));
  state_.errorText.clear();
  ASSERT_TRUE(run()) << state_.errorText;
  expectUnpacked("1.0.7");
  EXPECT_EQ(1u, nginxRequests().size());
}

TEST_F(PackageStepTest, UnwritableVersionFileFails) {
  putDownload(L"KX-1.0.5.zip", gamePackage("1.0.5"));
  // A folder where the version file should go cannot be opened as a file.
  ASSERT_TRUE(::CreateDirectoryW(tree_.path(L"Kx").c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryW(tree_.path(L"Kx\\findownload.dat").c_str(), nullptr));
  patchList(L"", L"1.0.5", kNoServer);
  EXPECT_FALSE(run());
  EXPECT_EQ(L"生成版本文件失败", state_.errorText);
  EXPECT_EQ(1u, downloads().count(L"KX-1.0.5.zip")) << "the package stays";
}

// The browser ends while the last bytes arrive: after the transfer the
// launcher ends with exit code 1 and unpacks nothing.
class BrowserEndsDuringDownload : public FakeReportPlatform {
 public:
  explicit BrowserEndsDuringDownload(const HttpDownloader& d) : downloader_(d) {}
  bool processEnded(void*) override { return !downloader_.busy(); }

 private:
  const HttpDownloader& downloader_;
};

TEST_F(PackageStepTest, BrowserGoneAfterTheDownloadEndsTheLauncher) {
  BrowserEndsDuringDownload platform(downloader_);
  LauncherReports reports(state_, platform, boxes_, clock_);
  int process = 0;
  state_.hBrowserProcess = std::shared_ptr<void>(&process, [](void*) {});
  const std::wstring url = serve("KX-1.0.5.zip", gamePackage("1.0.5"));
  patchList(L"", L"1.0.5", url);
  EXPECT_FALSE(downloadGamePackage(downloader_, reports));
  EXPECT_EQ(std::vector<int>{1}, platform.exitCodes);
  EXPECT_FALSE(state_.hBrowserProcess);
  EXPECT_EQ(0u, tree_.read().count(L"Kx\\kxmain.dll"));
}

}  // namespace
}  // namespace kx::launcher
