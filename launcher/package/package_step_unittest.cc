#include "launcher/package/package_step.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "launcher/report/fake_report_platform.h"
#include "tests/support/fake_clock.h"
#include "tests/support/scripted_message_boxes.h"

namespace kx::launcher {
namespace {

const std::wstring kRoot = L"R:\\cache";
const std::wstring kGame = L"R:\\cache\\Kx";
const std::wstring kDownloads = L"R:\\cache\\KxDownload";

// Files as path -> bytes; folders are implied by the paths.
class FakeFiles : public PackageFiles {
 public:
  void makeDirectories(const std::wstring& folder) override { made.push_back(folder); }
  std::vector<std::wstring> list(const std::wstring& folder) override {
    std::vector<std::wstring> names;
    for (const auto& [path, bytes] : files) {
      if (path.rfind(folder + L"\\", 0) == 0) names.push_back(path.substr(folder.size() + 1));
    }
    return names;
  }
  bool exists(const std::wstring& path) override { return files.count(path) != 0; }
  int64_t size(const std::wstring& path) override {
    if (unreadable.count(path)) return -1;
    return exists(path) ? static_cast<int64_t>(files[path].size()) : -1;
  }
  bool remove(const std::wstring& path) override { return files.erase(path) != 0; }
  bool rename(const std::wstring& from, const std::wstring& to) override {
    if (!exists(from) || failRename) return false;
    files[to] = files[from];
    files.erase(from);
    return true;
  }
  bool unpack(const std::wstring& package, const std::wstring& root,
              const std::function<bool(int, int)>& progress) override {
    unpacked.push_back(package + L" -> " + root);
    if (!exists(package) || files[package] != "zip") return false;
    for (int i = 1; i <= 2; ++i) {
      if (!progress(i, 2)) return false;
    }
    return true;
  }
  bool writeVersionFile(const std::wstring& path, const std::wstring& version) override {
    if (failVersionFile) return false;
    files[path] = std::string(version.begin(), version.end()) + "\r\n";
    return true;
  }
  void saveEngineSnapshot(const std::wstring& gameDir) override { snapshots.push_back(gameDir); }

  std::map<std::wstring, std::string> files;
  std::set<std::wstring> unreadable;
  bool failRename = false;
  bool failVersionFile = false;
  std::vector<std::wstring> made;
  std::vector<std::wstring> unpacked;
  std::vector<std::wstring> snapshots;
};

// What one request does to the partial file and what it answers.
struct Answer {
  enum Kind { kBody, kCutShort, kRestartCut, kRangeNotSatisfiable } kind;
  std::wstring contentRange;  // for kRangeNotSatisfiable
};

class ScriptedTransfer : public PackageTransfer {
 public:
  ScriptedTransfer(FakeFiles& files, std::vector<Answer> script)
      : files_(files), script_(std::move(script)) {}
  Result download(const std::wstring& url, const std::wstring& path, int32_t offset,
                  const Progress& progress) override {
    urls.push_back(url);
    offsets.push_back(offset);
    Result r;
    if (offset < 0) return r;  // refused locally, no request
    const Answer a = calls_ < script_.size() ? script_[calls_] : Answer{Answer::kBody, L""};
    ++calls_;
    std::string& file = files_.files[path];
    if (offset == 0) file.clear();
    switch (a.kind) {
      case Answer::kBody:  // the rest of a 10-byte package "zip"+7
        r.status = offset == 0 ? 200 : 206;
        file = "zip";
        progress(10, 10);
        r.ok = true;
        break;
      case Answer::kCutShort:  // 206, two bytes, then the connection drops
        r.status = 206;
        file += "ab";
        progress(2, 10);
        break;
      case Answer::kRestartCut:  // range ignored (200): truncated, one byte, then cut
        r.status = 200;
        file = "z";
        break;
      case Answer::kRangeNotSatisfiable:
        r.status = 416;
        r.contentRange = a.contentRange;
        break;
    }
    return r;
  }

  std::vector<std::wstring> urls;
  std::vector<int32_t> offsets;

 private:
  FakeFiles& files_;
  std::vector<Answer> script_;
  size_t calls_ = 0;
};

class PackageStepTest : public ::testing::Test {
 protected:
  PackageStepTest() : reports_(state_, platform_, boxes_, clock_) {
    state_.hOcxWnd = 0x4242;
    state_.WEB_KX_DIR_PATH = kRoot;
    state_.gameDir = kGame;
    state_.downloadDir = kDownloads;
    state_.patchList = {{L"miniver", L"1.0.4"}, {L"apkver", L"1.0.5"},
                        {L"httpurl", L"http://127.0.0.1/p"}};
  }
  void put(const std::wstring& name, const std::string& bytes) {
    files_.files[kDownloads + L"\\" + name] = bytes;
  }
  bool has(const std::wstring& name) { return files_.exists(kDownloads + L"\\" + name); }
  std::vector<std::pair<int, int>> stages() const {
    std::vector<std::pair<int, int>> out;
    for (const auto& p : platform_.launchProgress()) {
      if (p.first != 4) out.push_back(p);
    }
    return out;
  }

  LauncherState state_;
  FakeReportPlatform platform_;
  FakeClock clock_;
  FakeFiles files_;
  ScriptedMessageBoxes boxes_;
  LauncherReports reports_;
};

TEST(UnsatisfiedRangeTotal, ReadsOnlyTheStarForm) {
  const std::pair<const wchar_t*, int64_t> cases[] = {
      {L"bytes */300", 300},   {L"bytes */0", 0},       {L"bytes */300 ", 300},
      {L"bytes 0-9/300", -1},  {L"bytes */", -1},       {L"bytes */3x0", -1},
      {L"", -1},               {L"Bytes */300", -1},    {L"bytes */-3", -1},
      {L"bytes */2147483648", 2147483648LL},
  };
  for (const auto& [text, want] : cases) EXPECT_EQ(unsatisfiedRangeTotal(text), want) << text;
}

// The download path: what each request is asked for, and how the step ends.
TEST_F(PackageStepTest, DownloadAttemptsTable) {
  struct Case {
    const char* name;
    const char* partial;  // KX-1.0.5.temp before the run; null: none
    std::vector<Answer> script;
    std::vector<int> boxAnswers;
    std::vector<int32_t> wantOffsets;
    size_t wantBoxes;
    bool want;
  };
  const Case cases[] = {
      {"fresh download", nullptr, {{Answer::kBody, L""}}, {}, {0}, 0, true},
      {"resume", "zip", {{Answer::kBody, L""}}, {}, {3}, 0, true},
      // The last run ended after the last byte but before the rename.
      {"416 of our own size: already whole", "zip",
       {{Answer::kRangeNotSatisfiable, L"bytes */3"}}, {}, {3}, 0, true},
      {"416 of another size: over from byte 0", "zip",
       {{Answer::kRangeNotSatisfiable, L"bytes */4"}, {Answer::kBody, L""}}, {}, {3, 0}, 0, true},
      {"416 without a size: over from byte 0", "zip",
       {{Answer::kRangeNotSatisfiable, L""}, {Answer::kBody, L""}}, {}, {3, 0}, 0, true},
      {"416 on a fresh file is a plain failure", nullptr,
       {{Answer::kRangeNotSatisfiable, L"bytes */0"}, {Answer::kBody, L""}}, {kIdOk}, {0, 0}, 1,
       true},
      // Each retry resumes where the file now ends.
      {"cut short, retried twice", "zip",
       {{Answer::kCutShort, L""}, {Answer::kCutShort, L""}, {Answer::kBody, L""}},
       {kIdOk, kIdOk}, {3, 5, 7}, 2, true},
      // A restart truncated the file to 1 byte: the retry asks from there.
      {"restart cut short", "zip", {{Answer::kRestartCut, L""}, {Answer::kBody, L""}}, {kIdOk},
       {3, 1}, 1, true},
      {"three failures", nullptr,
       {{Answer::kCutShort, L""}, {Answer::kCutShort, L""}, {Answer::kCutShort, L""}},
       {kIdOk, kIdOk, kIdOk}, {0, 2, 4}, 3, false},
      {"cancel", "zip", {{Answer::kCutShort, L""}}, {kIdCancel}, {3}, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LauncherState state = state_;
    FakeReportPlatform platform;
    FakeFiles files;
    ScriptedMessageBoxes boxes(c.boxAnswers);
    FakeClock clock;
    LauncherReports reports(state, platform, boxes, clock);
    if (c.partial) files.files[kDownloads + L"\\KX-1.0.5.temp"] = c.partial;
    ScriptedTransfer transfer(files, c.script);
    EXPECT_EQ(downloadGamePackage(transfer, files, reports), c.want);
    EXPECT_EQ(transfer.offsets, c.wantOffsets);
    for (const std::wstring& url : transfer.urls) {
      EXPECT_EQ(url, L"http://127.0.0.1/p/KX-1.0.5.zip");
    }
    EXPECT_EQ(boxes.requests().size(), c.wantBoxes);
    for (const auto& r : boxes.requests()) {
      EXPECT_EQ(r.text, L"下载资源失败，是否需要重试！");
      EXPECT_EQ(r.caption, L"下载异常");
      EXPECT_EQ(r.owner, 0u);
    }
    if (c.want) {
      EXPECT_EQ(files.unpacked,
                std::vector<std::wstring>{L"R:\\cache\\KxDownload\\KX-1.0.5.zip -> R:\\cache"});
      EXPECT_EQ(files.files[L"R:\\cache\\Kx\\findownload.dat"], "1.0.5\r\n");
      EXPECT_EQ(files.list(kDownloads), std::vector<std::wstring>{}) << "package deleted";
      EXPECT_EQ(files.snapshots, std::vector<std::wstring>{kGame});
      EXPECT_EQ(state.errorText, L"");
      const std::vector<std::pair<int, int>> stagesWant = {{3, 1}, {5, 1}, {6, 1}};
      std::vector<std::pair<int, int>> got;
      for (const auto& p : platform.launchProgress()) {
        if (p.first != 4) got.push_back(p);
      }
      EXPECT_EQ(got, stagesWant);
    } else {
      EXPECT_TRUE(files.unpacked.empty());
      EXPECT_EQ(state.errorText, L"加载资源失败，请检查网络，刷新页面再试");
      EXPECT_TRUE(files.exists(kDownloads + L"\\KX-1.0.5.temp")) << "bytes kept for later";
    }
  }
}

TEST_F(PackageStepTest, UnreadablePartialFailsEveryAttemptWithoutARequest) {
  put(L"KX-1.0.5.temp", "zi");
  files_.unreadable.insert(kDownloads + L"\\KX-1.0.5.temp");
  ScriptedTransfer transfer(files_, {});
  EXPECT_FALSE(downloadGamePackage(transfer, files_, reports_));
  EXPECT_EQ(transfer.offsets, (std::vector<int32_t>{-1, -1, -1}));
  EXPECT_EQ(clock_.sleeps(), (std::vector<uint32_t>{500, 500, 500}));
}

TEST_F(PackageStepTest, ReusedPackageThatDoesNotUnpackIsDeleted) {
  put(L"KX-1.0.6.zip", "broken");
  put(L"KX-1.0.3.zip", "zip");  // below miniver: deleted by the plan
  put(L"KX-1.0.5.temp", "zi");  // left alone next to a chosen package
  ScriptedTransfer transfer(files_, {});
  EXPECT_FALSE(downloadGamePackage(transfer, files_, reports_));
  EXPECT_EQ(state_.errorText, L"解压游戏资源包失败");
  EXPECT_TRUE(transfer.offsets.empty());
  EXPECT_FALSE(has(L"KX-1.0.6.zip"));
  EXPECT_FALSE(has(L"KX-1.0.3.zip"));
  EXPECT_TRUE(has(L"KX-1.0.5.temp"));
  EXPECT_EQ(stages(), (std::vector<std::pair<int, int>>{{5, 1}}));
}

TEST_F(PackageStepTest, ReusedPackageIsUnpackedAndRecordedByItsOwnVersion) {
  put(L"KX-1.0.6.zip", "zip");
  ScriptedTransfer transfer(files_, {});
  EXPECT_TRUE(downloadGamePackage(transfer, files_, reports_));
  EXPECT_TRUE(transfer.offsets.empty());
  EXPECT_EQ(files_.files[kGame + L"\\findownload.dat"], "1.0.6\r\n");
  EXPECT_FALSE(has(L"KX-1.0.6.zip"));
  EXPECT_EQ(stages(), (std::vector<std::pair<int, int>>{{5, 1}, {6, 1}}));
  EXPECT_EQ(files_.made, (std::vector<std::wstring>{kDownloads, kGame}));
}

TEST_F(PackageStepTest, DownloadedPackageThatDoesNotUnpackStays) {
  put(L"KX-1.0.5.temp", "zzz");  // whole, but not a zip
  ScriptedTransfer whole(files_, {{Answer::kRangeNotSatisfiable, L"bytes */3"}});
  EXPECT_FALSE(downloadGamePackage(whole, files_, reports_));
  EXPECT_EQ(state_.errorText, L"解压游戏资源包失败");
  EXPECT_TRUE(has(L"KX-1.0.5.zip")) << "kept for the next run";
  EXPECT_FALSE(has(L"KX-1.0.5.temp"));
}

TEST_F(PackageStepTest, VersionFileFailureKeepsThePackage) {
  put(L"KX-1.0.5.zip", "zip");
  files_.failVersionFile = true;
  ScriptedTransfer transfer(files_, {});
  EXPECT_FALSE(downloadGamePackage(transfer, files_, reports_));
  EXPECT_EQ(state_.errorText, L"生成版本文件失败");
  EXPECT_TRUE(has(L"KX-1.0.5.zip"));
  EXPECT_TRUE(files_.snapshots.empty());
}

TEST_F(PackageStepTest, FailedRenameUnpacksThePartialFileWhereItIs) {
  files_.failRename = true;
  ScriptedTransfer transfer(files_, {});
  EXPECT_TRUE(downloadGamePackage(transfer, files_, reports_));
  EXPECT_EQ(files_.unpacked,
            std::vector<std::wstring>{L"R:\\cache\\KxDownload\\KX-1.0.5.temp -> R:\\cache"});
  EXPECT_FALSE(has(L"KX-1.0.5.temp"));
}

TEST_F(PackageStepTest, BrowserGoneAfterTheTransferEndsWithCodeOneAndUnpacksNothing) {
  int process = 0;
  state_.hBrowserProcess = std::shared_ptr<void>(&process, [](void*) {});
  // Alive during the transfer's reports, gone right after it.
  struct EndsAfterTransfer : ScriptedTransfer {
    using ScriptedTransfer::ScriptedTransfer;
    FakeReportPlatform* platform = nullptr;
    Result download(const std::wstring& u, const std::wstring& p, int32_t o,
                    const Progress& g) override {
      Result r = ScriptedTransfer::download(u, p, o, g);
      platform->browserEnded = true;
      return r;
    }
  } transfer(files_, {});
  transfer.platform = &platform_;
  EXPECT_FALSE(downloadGamePackage(transfer, files_, reports_));
  EXPECT_EQ(platform_.exitCodes, std::vector<int>{1});
  EXPECT_FALSE(state_.hBrowserProcess);
  EXPECT_TRUE(files_.unpacked.empty());
  EXPECT_TRUE(boxes_.requests().empty());
}

}  // namespace
}  // namespace kx::launcher
