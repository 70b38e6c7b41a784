#include "launcher/flows/mode_flows.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "launcher/report/fake_report_platform.h"
#include "tests/support/fake_clock.h"
#include "tests/support/scripted_message_boxes.h"

namespace kx::launcher {
namespace {

using Progress = std::vector<std::pair<int, int>>;

std::string narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

// Records every step in one log; a step named in |failing| fails (leaving
// |stepError| in errorText when it is a step that sets one).
class FakeSteps : public FlowSteps {
 public:
  class Mutex : public NamedMutex {
   public:
    Mutex(FakeSteps& owner, std::string name) : owner_(owner), name_(std::move(name)) {}
    ~Mutex() override { owner_.log.push_back("close " + name_); }

   private:
    FakeSteps& owner_;
    std::string name_;
  };

  bool pathExists(const std::wstring& path) override {
    return !path.empty() && !failing.count("root exists");
  }
  bool chooseCacheRoot(LauncherState& state) override {
    log.push_back("choose");
    if (failing.count("choose")) {
      state.WEB_KX_DIR_PATH.clear();
      state.errorText = stepError;
      return false;
    }
    state.WEB_KX_DIR_PATH = L"D:\\Corvane\\KxWeb";
    return true;
  }
  bool fetchPatchList(LauncherState&) override { return step("fetch"); }
  bool checkNeedToClearRes(const LauncherState&) override {
    log.push_back("needClear");
    return failing.count("needClear") != 0;
  }
  bool downloadGamePackage(LauncherState& state) override {
    log.push_back("download");
    if (!failing.count("download")) return true;
    state.errorText = stepError;
    return false;
  }
  bool checkEnginePath(const std::wstring& gameDir) override {
    log.push_back("checkPath " + narrow(gameDir));
    if (pathAnswers.empty()) return true;
    const bool ok = pathAnswers.front();
    pathAnswers.pop_front();
    return ok;
  }
  bool checkEngineVersion(LauncherState& state) override {
    log.push_back("engine");
    if (!failing.count("engine")) return true;
    state.errorText = stepError;
    return false;
  }
  bool restoreEngineFromHashRes(const std::wstring& gameDir) override {
    log.push_back("restore " + narrow(gameDir));
    return true;
  }
  void removeDirectoryTree(const std::wstring& folder) override {
    log.push_back("remove " + narrow(folder));
  }
  void makeDirectories(const std::wstring& folder) override {
    log.push_back("make " + narrow(folder));
  }
  bool anyClientRunningUnder(const std::wstring& gameDir) override {
    log.push_back("scan " + narrow(gameDir));
    return failing.count("client") != 0;
  }
  std::unique_ptr<NamedMutex> createNamedMutex(const std::wstring& name) override {
    log.push_back("create " + narrow(name));
    const std::string key = "mutex " + narrow(name);
    const int n = ++created[key];
    if (failing.count(key) || failing.count(key + " #" + std::to_string(n))) return nullptr;
    return std::make_unique<Mutex>(*this, narrow(name));
  }

  std::set<std::string> failing;
  std::deque<bool> pathAnswers;  // checkEnginePath answers in order; then true
  std::wstring stepError;
  std::vector<std::string> log;
  std::map<std::string, int> created;

 private:
  bool step(const char* name) {
    log.push_back(name);
    return !failing.count(name);
  }
};

// The browser ends after |aliveChecks| successful checks (-1: never).
class CountingPlatform : public FakeReportPlatform {
 public:
  bool processEnded(void*) override { return aliveChecks >= 0 && checks++ >= aliveChecks; }
  int aliveChecks = -1;
  int checks = 0;
};

struct FlowCase {
  const char* name;
  std::set<std::string> failing;
  std::deque<bool> pathAnswers;
  int aliveChecks;           // -1: the browser stays
  const wchar_t* stepError;  // errorText left by a failing step
  bool want;
  Progress wantProgress;
  const wchar_t* wantBox;  // null: no box
  std::vector<std::string> wantLog;
};

using Flow = bool (*)(LauncherReports&, FlowSteps&);

void runTable(Flow flow, const std::vector<FlowCase>& cases, const wchar_t* root,
              int32_t window = 0x5150) {
  for (const FlowCase& c : cases) {
    SCOPED_TRACE(c.name);
    LauncherState state;
    state.hOcxWnd = window;
    state.WEB_KX_DIR_PATH = root;
    state.errorText = L"stale";
    int process = 0;
    state.hBrowserProcess = std::shared_ptr<void>(&process, [](void*) {});
    CountingPlatform platform;
    platform.aliveChecks = c.aliveChecks;
    ScriptedMessageBoxes boxes;
    FakeClock clock;
    LauncherReports reports(state, platform, boxes, clock);
    FakeSteps steps;
    steps.failing = c.failing;
    steps.pathAnswers = c.pathAnswers;
    steps.stepError = c.stepError ? c.stepError : L"";
    EXPECT_EQ(flow(reports, steps), c.want);
    EXPECT_EQ(platform.launchProgress(), c.wantProgress);
    if (c.wantBox) {
      ASSERT_EQ(boxes.requests().size(), 1u);
      EXPECT_EQ(boxes.requests()[0].text, c.wantBox);
      EXPECT_EQ(boxes.requests()[0].caption, L"Vantorra手游网页版");
      EXPECT_EQ(boxes.requests()[0].owner, static_cast<uintptr_t>(window == 0 ? 0 : window + 1000));
      EXPECT_EQ(boxes.requests()[0].style, 0u);
    } else {
      EXPECT_TRUE(boxes.requests().empty());
    }
    EXPECT_EQ(steps.log, c.wantLog);
  }
}

const char kGame[] = "checkPath D:\\Corvane\\KxWeb\\Kx";

TEST(NormalLaunch, Table) {
  const std::string mutexed[] = {"create kx_main_download_mutex", "download",
                                 "close kx_main_download_mutex"};
  auto withDownload = [&](std::vector<std::string> before, std::vector<std::string> after) {
    before.insert(before.end(), std::begin(mutexed), std::end(mutexed));
    before.insert(before.end(), after.begin(), after.end());
    return before;
  };
  const std::vector<FlowCase> cases = {
      {"complete cache", {}, {}, -1, nullptr, true, {{1, 1}, {2, 1}, {6, 1}, {7, 1}}, nullptr,
       {"fetch", kGame, "needClear", "engine"}},
      {"incomplete cache downloads under the mutex", {}, {false, true}, -1, nullptr, true,
       {{1, 1}, {2, 1}, {6, 1}, {7, 1}}, nullptr,
       withDownload({"fetch", kGame}, {kGame, "engine"})},
      {"miniver above the cache: game folder rebuilt", {"needClear"}, {}, -1, nullptr, true,
       {{1, 1}, {2, 1}, {6, 1}, {7, 1}}, nullptr,
       withDownload({"fetch", kGame, "needClear", "remove D:\\Corvane\\KxWeb\\Kx",
                     "make D:\\Corvane\\KxWeb\\Kx"},
                    {kGame, "engine"})},
      {"browser gone at the start", {}, {}, 0, nullptr, false, {}, nullptr, {}},
      {"no cache root: the chooser's text", {"choose", "root exists"}, {}, -1, L"chooser says",
       false, {{1, 0}}, L"chooser says", {"choose"}},
      {"no cache root: the flow's text", {"choose", "root exists"}, {}, -1, nullptr, false,
       {{1, 0}}, L"磁盘空间不够，游戏需要800M以上空间来做缓存加速，请适当清理磁盘，刷新页面再试",
       {"choose"}},
      {"patch list not fetched", {"fetch"}, {}, -1, nullptr, false, {{1, 1}, {2, 0}},
       L"获取更新列表失败，请检查网络，刷新页面再试", {"fetch"}},
      {"browser gone after the patch list", {}, {}, 1, nullptr, false, {{1, 1}}, nullptr,
       {"fetch"}},
      {"another launcher downloads", {"mutex kx_main_download_mutex"}, {false}, -1, nullptr,
       false, {{1, 1}, {2, 1}, {6, 0}},
       L"当前有其它的Vantorra手游网页版正在下载资源包，请耐心等待!",
       {"fetch", kGame, "create kx_main_download_mutex"}},
      {"download failed: its text", {"download"}, {false}, -1, L"解压游戏资源包失败", false,
       {{1, 1}, {2, 1}, {6, 0}}, L"解压游戏资源包失败", withDownload({"fetch", kGame}, {})},
      {"download failed: the flow's text", {"download"}, {false}, -1, nullptr, false,
       {{1, 1}, {2, 1}, {6, 0}}, L"加载资源失败，请检查网络，刷新页面再试",
       withDownload({"fetch", kGame}, {})},
      {"browser gone right after the download", {}, {false}, 2, nullptr, false, {{1, 1}, {2, 1}},
       L"网页出现异常，刷新页面重试", withDownload({"fetch", kGame}, {})},
      {"incomplete after the download", {}, {false, false}, -1, nullptr, false,
       {{1, 1}, {2, 1}, {6, 0}}, L"校验资源完整性失败，刷新页面重试，或者尝试修复客户端",
       withDownload({"fetch", kGame}, {kGame})},
      {"browser gone after the check", {}, {false, true}, 3, nullptr, false, {{1, 1}, {2, 1}},
       L"网页进程出现异常，刷新页面重试", withDownload({"fetch", kGame}, {kGame})},
      {"engine update failed: its text", {"engine"}, {}, -1, L"更新游戏引擎文件失败（拷贝游戏引擎文件失败）",
       false, {{1, 1}, {2, 1}, {6, 1}, {7, 0}}, L"更新游戏引擎文件失败（拷贝游戏引擎文件失败）",
       {"fetch", kGame, "needClear", "engine"}},
      {"engine update failed: the flow's text", {"engine"}, {}, -1, nullptr, false,
       {{1, 1}, {2, 1}, {6, 1}, {7, 0}},
       L"当前有其它的Vantorra手游网页版正在运行，请先关闭后再尝试刷新本页面",
       {"fetch", kGame, "needClear", "engine"}},
      {"browser gone before the game start", {}, {}, 2, nullptr, false, {{1, 1}, {2, 1}, {6, 1}},
       nullptr, {"fetch", kGame, "needClear", "engine"}},
  };
  runTable(normalLaunch, cases, L"D:\\Corvane\\KxWeb");
}

TEST(NormalLaunch, GivenRootThatExistsIsKeptAndNoWindowMeansNoMessages) {
  const std::vector<FlowCase> cases = {
      {"no window: runs to the end silently", {}, {false, true}, -1, nullptr, true, {}, nullptr,
       {"fetch", kGame, "create kx_main_download_mutex", "download",
        "close kx_main_download_mutex", kGame, "engine"}},
      {"no window: failures show nothing", {"fetch"}, {}, -1, nullptr, false, {}, nullptr,
       {"fetch"}},
  };
  runTable(normalLaunch, cases, L"D:\\Corvane\\KxWeb", 0);
}

TEST(SwitchLaunch, Table) {
  const std::vector<FlowCase> cases = {
      {"complete cache", {}, {}, -1, nullptr, true, {{1, 1}, {5, 1}, {7, 1}}, nullptr,
       {kGame, "engine"}},
      {"no usable root", {"root exists"}, {}, -1, L"ignored", false, {{1, 0}},
       L"初始化游戏缓存目录失败，请稍后刷新页面再试", {}},
      {"incomplete cache", {}, {false}, -1, nullptr, false, {{1, 1}, {5, 0}},
       L"校验资源完整性失败，刷新页面重试，或者尝试修复客户端", {kGame}},
      {"browser gone after the check", {}, {}, 0, nullptr, false, {{1, 1}, {5, 1}}, nullptr,
       {kGame}},
      {"engine update failed", {"engine"}, {}, -1, nullptr, false, {{1, 1}, {5, 1}, {7, 0}},
       L"当前有其它的Vantorra手游网页版正在运行，请先关闭后再尝试刷新本页面", {kGame, "engine"}},
      {"browser gone before the game start", {}, {}, 1, nullptr, false, {{1, 1}, {5, 1}},
       nullptr, {kGame, "engine"}},
  };
  runTable(switchLaunch, cases, L"D:\\Corvane\\KxWeb");
}

TEST(RepairLaunch, Table) {
  const std::vector<std::string> probe = {"create kx_main_download_mutex",
                                          "close kx_main_download_mutex"};
  const std::vector<std::string> wipe = {
      "scan D:\\Corvane\\KxWeb\\Kx", "remove D:\\Corvane\\KxWeb\\Kx",
      "remove D:\\Corvane\\KxWeb\\KxDownload", "make D:\\Corvane\\KxWeb\\Kx", "fetch"};
  auto join = [](std::vector<std::vector<std::string>> parts) {
    std::vector<std::string> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
  };
  const std::vector<std::string> download = {"create kx_main_download_mutex", "download",
                                             "close kx_main_download_mutex"};
  const std::vector<FlowCase> cases = {
      {"success sends no (2,1)", {}, {}, -1, nullptr, true, {{1, 1}, {6, 1}, {7, 1}}, nullptr,
       join({probe, wipe, download, {kGame, "engine"}})},
      {"another launcher downloads (probe)", {"mutex kx_main_download_mutex"}, {}, -1, nullptr,
       false, {}, L"当前正在有其他网页下载游戏客户端，请等待下载安装完成后重新刷新本页面",
       {"create kx_main_download_mutex"}},
      {"no cache root: the chooser's text", {"choose", "root exists"}, {}, -1, L"chooser says",
       false, {{1, 0}}, L"chooser says", join({probe, {"choose"}})},
      {"no cache root: the flow's text", {"choose", "root exists"}, {}, -1, nullptr, false,
       {{1, 0}}, L"修复失败，磁盘空间不够或者无法找到游戏缓存文件", join({probe, {"choose"}})},
      {"game client running: nothing deleted", {"client"}, {}, -1, nullptr, false, {},
       L"当前有游戏客户端正在运行，请先将其关闭后再使用重装游戏功能。",
       join({probe, {"scan D:\\Corvane\\KxWeb\\Kx"}})},
      {"browser gone before deleting", {}, {}, 0, nullptr, false, {}, nullptr,
       join({probe, {"scan D:\\Corvane\\KxWeb\\Kx"}})},
      {"browser gone after deleting", {}, {}, 1, nullptr, false, {{1, 1}}, nullptr,
       join({probe, {"scan D:\\Corvane\\KxWeb\\Kx", "remove D:\\Corvane\\KxWeb\\Kx",
                     "remove D:\\Corvane\\KxWeb\\KxDownload", "make D:\\Corvane\\KxWeb\\Kx"}})},
      {"patch list not fetched", {"fetch"}, {}, -1, nullptr, false, {{1, 1}, {2, 0}},
       L"修复失败,获取更新列表失败，请检查网络再试。", join({probe, wipe})},
      {"another launcher downloads (download step)", {"mutex kx_main_download_mutex #2"}, {},
       -1, nullptr, false, {{1, 1}, {6, 0}}, L"发现有其他网页正在下载资源包，请耐心等待!",
       join({probe, wipe, {"create kx_main_download_mutex"}})},
      {"download failed: its text", {"download"}, {}, -1, L"生成版本文件失败", false,
       {{1, 1}, {6, 0}}, L"生成版本文件失败", join({probe, wipe, download})},
      {"download failed: the flow's text", {"download"}, {}, -1, nullptr, false, {{1, 1}, {6, 0}},
       L"修复失败，加载资源失败，请检查网络再试。", join({probe, wipe, download})},
      {"browser gone after the download", {}, {}, 2, nullptr, false, {{1, 1}},
       L"网页出现异常，刷新页面重试", join({probe, wipe, download})},
      {"incomplete after the download", {}, {false}, -1, nullptr, false, {{1, 1}, {6, 0}},
       L"修复失败，更新引擎失败，请检查网络再试。", join({probe, wipe, download, {kGame}})},
      {"browser gone after the check", {}, {}, 3, nullptr, false, {{1, 1}},
       L"网页进程出现异常，刷新页面重试", join({probe, wipe, download, {kGame}})},
      {"engine update failed", {"engine"}, {}, -1, nullptr, false, {{1, 1}, {6, 1}, {7, 0}},
       L"发现有Vantorra手游网页版正在运行，请先关闭其它网页程序再尝试刷新：\n",
       join({probe, wipe, download, {kGame, "engine"}})},
      {"browser gone before the game start", {}, {}, 4, nullptr, false, {{1, 1}, {6, 1}},
       nullptr, join({probe, wipe, download, {kGame, "engine"}})},
  };
  runTable(repairLaunch, cases, L"D:\\Corvane\\KxWeb");
}

TEST(ClearPatchLaunch, Table) {
  const std::vector<std::string> cleared = {
      "remove D:\\Corvane\\KxWeb\\Kx\\Documents\\pkres",
      "remove D:\\Corvane\\KxWeb\\Kx\\Documents\\subver",
      "remove D:\\Corvane\\KxWeb\\Kx\\Documents\\patch_cache",
      "restore D:\\Corvane\\KxWeb\\Kx", "close kx_main_clearpatch_mutex"};
  std::vector<std::string> success = {"create kx_main_clearpatch_mutex",
                                      "scan D:\\Corvane\\KxWeb\\Kx", kGame, "engine"};
  success.insert(success.end(), cleared.begin(), cleared.end());
  const std::vector<FlowCase> cases = {
      {"complete cache", {}, {}, -1, nullptr, true, {{1, 1}, {5, 1}, {6, 1}, {7, 1}}, nullptr,
       success},
      // No browser handle in this mode; a gone browser changes nothing.
      {"browser state is not looked at", {}, {}, 0, nullptr, true,
       {{1, 1}, {5, 1}, {6, 1}, {7, 1}}, nullptr, success},
      {"another launcher clears", {"mutex kx_main_clearpatch_mutex"}, {}, -1, nullptr, false, {},
       L"当前正在有其他网页修复游戏客户端，请等待修复完成后重新刷新本页面",
       {"create kx_main_clearpatch_mutex"}},
      {"root missing", {"root exists"}, {}, -1, nullptr, false, {{1, 0}}, L"无法找到游戏缓存文件",
       {"create kx_main_clearpatch_mutex", "close kx_main_clearpatch_mutex"}},
      {"game client running", {"client"}, {}, -1, nullptr, false, {},
       L"当前有游戏客户端正在运行，请先将其关闭后再使用清除补丁功能。",
       {"create kx_main_clearpatch_mutex", "scan D:\\Corvane\\KxWeb\\Kx",
        "close kx_main_clearpatch_mutex"}},
      {"incomplete cache", {}, {false}, -1, nullptr, false, {{1, 1}, {5, 0}},
       L"校验资源完整性失败，刷新页面重试",
       {"create kx_main_clearpatch_mutex", "scan D:\\Corvane\\KxWeb\\Kx", kGame,
        "close kx_main_clearpatch_mutex"}},
      {"engine update failed", {"engine"}, {}, -1, L"解析游戏引擎版本号失败", false,
       {{1, 1}, {5, 1}, {6, 1}, {7, 0}}, L"解析游戏引擎版本号失败",
       {"create kx_main_clearpatch_mutex", "scan D:\\Corvane\\KxWeb\\Kx", kGame, "engine",
        "close kx_main_clearpatch_mutex"}},
  };
  runTable(clearPatchLaunch, cases, L"D:\\Corvane\\KxWeb");
}

// The two always-shown boxes appear without a window too, with no owner.
TEST(AlwaysShownBoxes, AppearWithoutAWindow) {
  const std::vector<FlowCase> repair = {
      {"repair, client running", {"client"}, {}, -1, nullptr, false, {},
       L"当前有游戏客户端正在运行，请先将其关闭后再使用重装游戏功能。",
       {"create kx_main_download_mutex", "close kx_main_download_mutex",
        "scan D:\\Corvane\\KxWeb\\Kx"}}};
  runTable(repairLaunch, repair, L"D:\\Corvane\\KxWeb", 0);
  const std::vector<FlowCase> clear = {
      {"clear patch, client running", {"client"}, {}, -1, nullptr, false, {},
       L"当前有游戏客户端正在运行，请先将其关闭后再使用清除补丁功能。",
       {"create kx_main_clearpatch_mutex", "scan D:\\Corvane\\KxWeb\\Kx",
        "close kx_main_clearpatch_mutex"}}};
  runTable(clearPatchLaunch, clear, L"D:\\Corvane\\KxWeb", 0);
}

}  // namespace
}  // namespace kx::launcher
