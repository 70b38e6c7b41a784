#include "launcher/report/win_report_platform.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "common/protocol/payloads.h"
#include "tests/support/fake_clock.h"
#include "tests/support/scripted_message_boxes.h"

namespace kx::launcher {
namespace {

struct Received {
  WPARAM wParam;
  ULONG_PTR id;
  std::vector<uint8_t> bytes;
};
std::vector<Received>* g_received = nullptr;

LRESULT CALLBACK recordCopyData(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_COPYDATA && g_received) {
    const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    const auto* p = static_cast<const uint8_t*>(cds->lpData);
    g_received->push_back({wParam, cds->dwData, std::vector<uint8_t>(p, p + cds->cbData)});
    return TRUE;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class WinReportPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_received = &received_;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = recordCopyData;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KxReportTestWindow";
    RegisterClassW(&wc);
    top_ = CreateWindowExW(0, wc.lpszClassName, L"top", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200,
                           nullptr, nullptr, wc.hInstance, nullptr);
    child_ = CreateWindowExW(0, wc.lpszClassName, L"child", WS_CHILD, 0, 0, 50, 50, top_,
                             nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, child_);
  }
  void TearDown() override {
    DestroyWindow(top_);
    g_received = nullptr;
  }
  int32_t wire(HWND h) { return static_cast<int32_t>(reinterpret_cast<uintptr_t>(h)); }

  std::vector<Received> received_;
  HWND top_ = nullptr;
  HWND child_ = nullptr;
  WinReportPlatform platform_;
};

TEST_F(WinReportPlatformTest, ProgressArrivesAsCopyData) {
  LauncherState state;
  state.hOcxWnd = wire(child_);
  ScriptedMessageBoxes boxes;
  FakeClock clock;
  LauncherReports reports(state, platform_, boxes, clock);
  EXPECT_TRUE(reports.sendLaunchProgress(5, 1));
  EXPECT_TRUE(reports.onUnzipProgress(3, 4));
  ASSERT_EQ(2u, received_.size());
  EXPECT_EQ(0u, received_[0].wParam);
  EXPECT_EQ(0x1102u, received_[0].id);
  EXPECT_EQ((std::vector<uint8_t>{5, 1}), received_[0].bytes);
  EXPECT_EQ(0x1105u, received_[1].id);
  auto u = decodeUnzipProgress(received_[1].bytes.data(), received_[1].bytes.size());
  ASSERT_TRUE(u);
  EXPECT_EQ(3u, u->curFiles);
  EXPECT_EQ(4u, u->totalFiles);
}

TEST_F(WinReportPlatformTest, BoxOwnerIsTheTopLevelWindow) {
  EXPECT_EQ(reinterpret_cast<uintptr_t>(top_), platform_.rootWindow(wire(child_)));
}

TEST_F(WinReportPlatformTest, SendToAWindowThatIsGoneFails) {
  HWND gone = CreateWindowExW(0, L"KxReportTestWindow", L"gone", 0, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  const int32_t value = wire(gone);
  DestroyWindow(gone);
  EXPECT_FALSE(platform_.sendCopyData(value, 0x1102, "\x01\x01", 2));
}

DWORD WINAPI quickly(void*) { return 0; }

TEST_F(WinReportPlatformTest, EndedProcessIsSignalled) {
  EXPECT_FALSE(platform_.processEnded(GetCurrentProcess()));
  HANDLE t = CreateThread(nullptr, 0, quickly, nullptr, 0, nullptr);
  ASSERT_NE(nullptr, t);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(t, INFINITE));
  EXPECT_TRUE(platform_.processEnded(t));
  CloseHandle(t);
}

}  // namespace
}  // namespace kx::launcher
