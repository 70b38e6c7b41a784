#include "launcher/entry/launcher_entry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/base/scoped_handle.h"
#include "launcher/util/file_util_win.h"
#include "common/base/text.h"
#include "tests/support/scripted_message_boxes.h"

namespace kx::launcher {
namespace {

// Records each call with what the record held at that moment.
class RecordingFlows : public LaunchFlows {
 public:
  struct Call {
    std::string name;
    LauncherState state;  // without the handle
    DWORD hostPid = 0;    // process behind hBrowserProcess, 0 when none
  };
  bool flowResult = false;
  std::wstring chosenRoot = L"C:\\chosen";
  std::vector<Call> calls;
  std::weak_ptr<void> hostHandle;

  bool chooseCacheRoot(LauncherState& s) override {
    record("chooseCacheRoot", s);
    s.WEB_KX_DIR_PATH = chosenRoot;
    return true;
  }
  bool runNormal(LauncherState& s) override { return record("normal", s), flowResult; }
  bool runSwitch(LauncherState& s) override { return record("switch", s), flowResult; }
  bool runRepair(LauncherState& s) override { return record("repair", s), flowResult; }
  bool runClearPatch(LauncherState& s) override { return record("clearPatch", s), flowResult; }
  bool startGameClient(LauncherState& s) override { return record("startGameClient", s), true; }

  std::vector<std::string> names() const {
    std::vector<std::string> n;
    for (const Call& c : calls) n.push_back(c.name);
    return n;
  }

 private:
  void record(const char* name, const LauncherState& s) {
    Call c{name, s, 0};
    c.state.hBrowserProcess.reset();
    if (s.hBrowserProcess) {
      c.hostPid = GetProcessId(s.hBrowserProcess.get());
      hostHandle = s.hBrowserProcess;
    }
    calls.push_back(std::move(c));
  }
};

class LauncherEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A real host: this test program, started suspended.
    wchar_t self[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::wstring cmd = L"host --gtest_list_tests";
    ASSERT_TRUE(CreateProcessW(self, &cmd[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                               nullptr, &si, &pi));
    host_.reset(pi.hProcess);
    CloseHandle(pi.hThread);
    hostPid_ = pi.dwProcessId;

    wchar_t tmp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, tmp), 0u);
    existingDir_ = joinPath(tmp, L"kx_entry_" + std::to_wstring(GetCurrentProcessId()));
    ASSERT_TRUE(makeDirectories(existingDir_, false));
  }
  void TearDown() override {
    TerminateProcess(host_.get(), 0);
    WaitForSingleObject(host_.get(), 5000);
    removeDirectoryTree(existingDir_);
  }
  int run(const std::wstring& arguments) { return runLauncher(arguments.c_str(), flows_, boxes_); }
  std::wstring numbers() const { return L" 4660 " + std::to_wstring(hostPid_) + L" 800 600 "; }

  ScopedHandle host_;
  DWORD hostPid_ = 0;
  std::wstring existingDir_;
  RecordingFlows flows_;
  ScriptedMessageBoxes boxes_;
};

using Names = std::vector<std::string>;

TEST_F(LauncherEntryTest, RejectedCommandLineShowsOneOwnerlessBox) {
  for (const std::wstring& args : std::vector<std::wstring>{
           L"__kx_launch_normal__ 1 2 3 4 u", L"__KX_CLEAR_PATCH__ 1 2 3 4", L"",
        L"__KX_LAUNCH_NORMAL__ 1 2 3 4 " + std::wstring(128, L'u')}) {
    ScriptedMessageBoxes boxes;
    RecordingFlows flows;
    EXPECT_EQ(runLauncher(args.c_str(), flows, boxes), 0);
    ASSERT_EQ(boxes.requests().size(), 1u);
    EXPECT_EQ(boxes.requests()[0].owner, 0u);
    EXPECT_EQ(boxes.requests()[0].text, L"请使用网页启动程序");
    EXPECT_EQ(boxes.requests()[0].caption, L"启动失败");
    EXPECT_EQ(boxes.requests()[0].style, static_cast<uint32_t>(MB_OK));
    EXPECT_TRUE(flows.calls.empty());
  }
  EXPECT_EQ(runLauncher(nullptr, flows_, boxes_), 0);
  EXPECT_EQ(boxes_.requests().size(), 1u);
}

TEST_F(LauncherEntryTest, NormalOpensTheHostAndLeavesTheRootToTheFlow) {
  EXPECT_EQ(run(L"__KX_LAUNCH_NORMAL__" + numbers() + L"http://u/p x@1@LocalDir@C:\\missing"), 0);
  ASSERT_EQ(flows_.names(), (Names{"normal"}));
  const RecordingFlows::Call& c = flows_.calls[0];
  EXPECT_EQ(c.hostPid, hostPid_);
  EXPECT_EQ(c.state.hOcxWnd, 4660);
  EXPECT_EQ(c.state.browserPid, static_cast<int32_t>(hostPid_));
  EXPECT_EQ(c.state.gameWidth, 800);
  EXPECT_EQ(c.state.gameHeight, 600);
  EXPECT_EQ(c.state.GameUpdateUrl, L"http://u/p");
  EXPECT_EQ(c.state.WEB_KX_DIR_PATH, L"C:\\missing");
  EXPECT_EQ(c.state.launchParams.size(), 2u);
  EXPECT_TRUE(boxes_.requests().empty());
  EXPECT_TRUE(flows_.hostHandle.expired()) << "host handle still open after the run";
}

TEST_F(LauncherEntryTest, GameStartsOnlyAfterASuccessfulFlowWithTheHostStillOpen) {
  flows_.flowResult = true;
  run(L"__KX_CLEAR_REPAIR__" + numbers() + L"u LocalDir@" + existingDir_);
  ASSERT_EQ(flows_.names(), (Names{"repair", "startGameClient"}));
  EXPECT_EQ(flows_.calls[1].hostPid, hostPid_);
  EXPECT_EQ(flows_.calls[0].state.WEB_KX_DIR_PATH, existingDir_);
  EXPECT_TRUE(flows_.hostHandle.expired());
}

TEST_F(LauncherEntryTest, HostThatCannotBeOpenedLeavesNoHandle) {
  run(L"__KX_LAUNCH_NORMAL__ 1 -5 2 3 u");
  ASSERT_EQ(flows_.names(), (Names{"normal"}));
  EXPECT_EQ(flows_.calls[0].hostPid, 0u);
}

struct RootCase {
  const char* mode;
  std::wstring token;
  std::wstring field6;
  bool opensHost;
};

TEST_F(LauncherEntryTest, OtherModesChooseARootWhenTheirsIsMissing) {
  const RootCase cases[] = {
      {"switch", L"__KX_SWITCH_LAUNCH__", L"2", false},
      {"repair", L"__KX_CLEAR_REPAIR__", L"u", true},
      {"clearPatch", L"__KX_CLEAR_PATCH__", L"u", false},
  };
  for (const RootCase& rc : cases) {
    const bool repair = rc.mode == std::string("repair");
    const std::wstring prefix = rc.token + numbers() + rc.field6;
    const std::wstring dir = repair ? L" LocalDir@" : L" ";
    struct Root {
      std::wstring tail;
      bool chooses;
    } roots[] = {{L"", true}, {dir + L"C:\\kx_no_such_folder", true}, {dir + existingDir_, false}};
    for (const Root& root : roots) {
      SCOPED_TRACE(std::string(rc.mode) + " " + std::string(root.tail.begin(), root.tail.end()));
      RecordingFlows flows;
      ScriptedMessageBoxes boxes;
      EXPECT_EQ(runLauncher((prefix + root.tail).c_str(), flows, boxes), 0);
      const Names expected =
          root.chooses ? Names{"chooseCacheRoot", rc.mode} : Names{std::string(rc.mode)};
      ASSERT_EQ(flows.names(), expected);
      const RecordingFlows::Call& flow = flows.calls.back();
      EXPECT_EQ(flow.hostPid, rc.opensHost ? hostPid_ : 0u);
      EXPECT_EQ(flow.state.WEB_KX_DIR_PATH, root.chooses ? flows.chosenRoot : existingDir_);
      EXPECT_EQ(flow.state.GameUpdateUrl,
                rc.mode == std::string("switch") ? std::wstring(kDefaultPatchListUrl) : L"u");
      EXPECT_TRUE(boxes.requests().empty());
    }
  }
}

}  // namespace
}  // namespace kx::launcher
