#include "tests/support/copy_data_recorder_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>
#include <vector>

namespace kx::test {
namespace {

bool sendTo(HWND to, WPARAM wParam, uint32_t id, const void* data, DWORD size) {
  COPYDATASTRUCT cds = {};
  cds.dwData = id;
  cds.cbData = size;
  cds.lpData = const_cast<void*>(data);
  return SendMessageW(to, WM_COPYDATA, wParam, reinterpret_cast<LPARAM>(&cds)) == TRUE;
}

TEST(CopyDataRecorderTest, KeepsMessagesInOrderWithTheirBytesAndSender) {
  CopyDataRecorder recorder;
  ASSERT_TRUE(recorder.ready());
  EXPECT_TRUE(IsWindow(recorder.window()));
  EXPECT_FALSE(IsWindowVisible(recorder.window()));
  EXPECT_EQ(GetAncestor(recorder.window(), GA_ROOT), recorder.window());

  const uint8_t progress[2] = {3, 1};
  const uint8_t speed[12] = {1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0};
  ASSERT_TRUE(sendTo(recorder.window(), 0, 0x1102, progress, 2));
  ASSERT_TRUE(sendTo(recorder.window(), 0x12345, 0x1104, speed, 12));
  ASSERT_TRUE(sendTo(recorder.window(), 0, 0x1105, nullptr, 8));

  const CopyDataRecorder::Records rs = recorder.records();
  ASSERT_EQ(rs.size(), 3u);
  EXPECT_EQ(rs[0].id, 0x1102u);
  EXPECT_EQ(rs[0].wParam, 0u);
  EXPECT_EQ(rs[0].bytes, (std::vector<uint8_t>{3, 1}));
  EXPECT_EQ(rs[1].wParam, 0x12345u);
  EXPECT_EQ(rs[1].cbData, 12u);
  EXPECT_EQ(rs[2].cbData, 8u);
  EXPECT_TRUE(rs[2].bytes.empty());
  EXPECT_EQ(recorder.lines(),
            (std::vector<std::string>{
                "0x1102 CD_LAUNCH_PROGRESS progress=3 status=1 cbData=2",
                "0x1104 CD_DOWNLOAD_SPEED downloadSpeed=1 curBytesRead=2 totalBytes=3 cbData=12",
                "0x1105 CD_UNZIP_PROGRESS malformed cbData=8"}));
  recorder.clear();
  EXPECT_EQ(recorder.size(), 0u);
}

TEST(CopyDataRecorderTest, WaitsForMessagesFromAnotherThread) {
  CopyDataRecorder recorder;
  ASSERT_TRUE(recorder.ready());
  const HWND window = recorder.window();
  const uint8_t first[2] = {1, 1};
  const uint8_t second[2] = {2, 1};
  ASSERT_TRUE(sendTo(window, 0, 0x1102, first, 2));
  // A message sent later, while the test waits.
  std::thread sender([&] { sendTo(window, 0, 0x1102, second, 2); });
  const auto later = recorder.waitFor(0x1102, 20000, 1);
  sender.join();
  ASSERT_TRUE(later.has_value());
  EXPECT_EQ(later->bytes, (std::vector<uint8_t>{2, 1}));
  EXPECT_TRUE(recorder.waitForCount(2, 0));
  EXPECT_FALSE(recorder.waitForCount(3, 10));
  EXPECT_FALSE(recorder.waitFor(0x1104, 10).has_value());
}

TEST(CopyDataRecorderTest, HookRunsInsideTheSendAfterRecording) {
  CopyDataRecorder recorder;
  ASSERT_TRUE(recorder.ready());
  std::atomic<size_t> seenAtHook{0};
  recorder.setHook([&](const CopyDataRecord& r) {
    if (r.id == 0x0101) seenAtHook = recorder.size();
  });
  const uint8_t info[12] = {};
  ASSERT_TRUE(sendTo(recorder.window(), 0, 0x0101, info, 12));
  // SendMessageW returned, so the hook has run already.
  EXPECT_EQ(seenAtHook.load(), 1u);
}

TEST(CopyDataRecorderTest, TwoRecordersHaveTheirOwnWindows) {
  CopyDataRecorder a;
  CopyDataRecorder b;
  ASSERT_TRUE(a.ready() && b.ready());
  EXPECT_NE(a.window(), b.window());
  const uint8_t show[1] = {1};
  ASSERT_TRUE(sendTo(b.window(), 0, 0x2103, show, 1));
  EXPECT_EQ(a.size(), 0u);
  EXPECT_EQ(b.size(), 1u);
}

}  // namespace
}  // namespace kx::test
