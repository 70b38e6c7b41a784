#include "launcher/report/launcher_reports.h"

#include <gtest/gtest.h>

#include "common/protocol/payloads.h"
#include "launcher/report/download_meter.h"
#include "launcher/report/fake_report_platform.h"
#include "tests/support/fake_clock.h"
#include "tests/support/scripted_message_boxes.h"

namespace kx::launcher {
namespace {

TEST(DownloadEighthTest, Table) {
  struct Case {
    int32_t received, total;
    int eighth;
  };
  const Case cases[] = {
      {0, 1000, 1},    {124, 1000, 1},   {125, 1000, 1},  {250, 1000, 2},  {999, 1000, 7},
      {1000, 1000, 8}, {5000, 1000, 8},  {10, 0, 1},      {0, 0, 1},       {-5, 1000, 1},
      {100, -1, 1},    {0x7FFFFFFF, 0x7FFFFFFF, 8},       {0x40000000, 0x7FFFFFFF, 4},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.eighth, downloadEighth(c.received, c.total)) << c.received << "/" << c.total;
  }
}

TEST(DownloadMeterTest, SpeedNeedsTwoFiguresAndNewTimeAndBytes) {
  DownloadMeter m;
  EXPECT_EQ(0u, m.computeDownloadSpeed(1000, 10));  // first figure only stored
  EXPECT_EQ(0u, m.computeDownloadSpeed(5000, 10));  // same second: nothing changes
  EXPECT_EQ(2000u, m.computeDownloadSpeed(3000, 11)) << "still measured from the first figure";
  EXPECT_EQ(0u, m.computeDownloadSpeed(3000, 12));  // no new bytes
  EXPECT_EQ(500u, m.computeDownloadSpeed(4000, 13));
  m.resetSpeed(20);
  EXPECT_EQ(0u, m.computeDownloadSpeed(100, 21)) << "after a reset the byte count is 0";
  EXPECT_EQ(100u, m.computeDownloadSpeed(200, 22));
}

TEST(DownloadMeterTest, EighthOnlyWhenItGrows) {
  DownloadMeter m;
  EXPECT_EQ(1, m.nextEighth(0, 1000));
  EXPECT_EQ(0, m.nextEighth(100, 1000));
  EXPECT_EQ(8, m.nextEighth(1000, 1000));
  EXPECT_EQ(0, m.nextEighth(500, 1000)) << "smaller eighth sends nothing";
  EXPECT_EQ(0, m.nextEighth(600, 1000));
  EXPECT_EQ(0, m.nextEighth(600, 1000));
  EXPECT_EQ(6, m.nextEighth(800, 1000)) << "the last eighth followed the smaller figure";
}

class ReportsTest : public ::testing::Test {
 protected:
  ReportsTest() : reports_(state_, platform_, boxes_, clock_) { state_.hOcxWnd = 0x1234; }
  LauncherState state_;
  FakeReportPlatform platform_;
  ScriptedMessageBoxes boxes_;
  FakeClock clock_{50000};
  LauncherReports reports_;
};

TEST_F(ReportsTest, LaunchProgressGoesToThePluginWindow) {
  EXPECT_TRUE(reports_.sendLaunchProgress(3, 1));
  platform_.deliver = false;
  EXPECT_TRUE(reports_.sendLaunchProgress(6, 0)) << "a failed send still counts as sent";
  ASSERT_EQ(2u, platform_.sent.size());
  EXPECT_EQ(0x1234, platform_.sent[0].window);
  EXPECT_EQ((std::vector<std::pair<int, int>>{{3, 1}, {6, 0}}), platform_.launchProgress());
  EXPECT_EQ(0u, reports_.sendCopyData(0x1102, "\x01\x01", 2));
}

TEST_F(ReportsTest, NoWindowNoMessagesNoBoxes) {
  state_.hOcxWnd = 0;
  EXPECT_FALSE(reports_.sendLaunchProgress(1, 1));
  EXPECT_EQ(0u, reports_.sendCopyData(0x1102, "\x01\x01", 2));
  reports_.showErrorBox(L"a", L"b");
  EXPECT_TRUE(reports_.onDownloadProgress(500, 1000));
  EXPECT_TRUE(reports_.onUnzipProgress(1, 2));
  EXPECT_TRUE(platform_.sent.empty());
  EXPECT_TRUE(boxes_.requests().empty());
}

TEST_F(ReportsTest, AlwaysShownBoxIsOwnedByTheRootWindowOrByNone) {
  reports_.showAlwaysBox(L"running");
  state_.hOcxWnd = 0;
  reports_.showAlwaysBox(L"still shown");
  ASSERT_EQ(2u, boxes_.requests().size());
  EXPECT_EQ(0x1234u + 1000u, boxes_.requests()[0].owner);
  EXPECT_EQ(0u, boxes_.requests()[1].owner);
  EXPECT_EQ(L"still shown", boxes_.requests()[1].text);
  for (const auto& r : boxes_.requests()) {
    EXPECT_EQ(L"Vantorra手游网页版", r.caption);
    EXPECT_EQ(0u, r.style);  // MB_OK
  }
}

TEST_F(ReportsTest, ErrorBoxPrefersTheFirstText) {
  reports_.showErrorBox(L"解压游戏资源包失败", L"flow text");
  reports_.showErrorBox(L"", L"flow text");
  reports_.showErrorBox(L"", L"");
  ASSERT_EQ(3u, boxes_.requests().size());
  EXPECT_EQ(L"解压游戏资源包失败", boxes_.requests()[0].text);
  EXPECT_EQ(L"flow text", boxes_.requests()[1].text);
  EXPECT_EQ(L"", boxes_.requests()[2].text);
  for (const auto& r : boxes_.requests()) {
    EXPECT_EQ(L"Vantorra手游网页版", r.caption);
    EXPECT_EQ(0x1234u + 1000u, r.owner) << "owned by the root window";
    EXPECT_EQ(static_cast<uint32_t>(kMbOk), r.style);
  }
}

TEST_F(ReportsTest, DownloadProgressSendsSpeedAndEighths) {
  reports_.resetDownloadSpeed();
  reports_.onDownloadProgress(0, 1000);     // (4,1); speed: only stored
  clock_.advance(2999);  // 52.999 s
  reports_.onDownloadProgress(400, 1000);   // speed 0 (byte count was 0), (4,3)
  clock_.advance(1001);  // 54 s
  reports_.onDownloadProgress(1000, 1000);  // speed 300, (4,8)
  reports_.onDownloadProgress(500, 1000);   // same second: no speed; smaller eighth
  EXPECT_EQ((std::vector<std::pair<int, int>>{{4, 1}, {4, 3}, {4, 8}}),
            platform_.launchProgress());
  std::vector<DownloadSpeed> speeds;
  for (const auto& s : platform_.sent) {
    if (s.id == 0x1104) speeds.push_back(*decodeDownloadSpeed(s.bytes.data(), s.bytes.size()));
  }
  ASSERT_EQ(1u, speeds.size());
  EXPECT_EQ(300u, speeds[0].downloadSpeed);
  EXPECT_EQ(1000u, speeds[0].curBytesRead);
  EXPECT_EQ(1000u, speeds[0].totalBytes);
}

TEST_F(ReportsTest, UnzipProgressCarriesTheCounts) {
  reports_.onUnzipProgress(2, 2);
  ASSERT_EQ(1u, platform_.sent.size());
  EXPECT_EQ(0x1105u, platform_.sent[0].id);
  auto u = decodeUnzipProgress(platform_.sent[0].bytes.data(), platform_.sent[0].bytes.size());
  ASSERT_TRUE(u);
  EXPECT_EQ(2u, u->curFiles);
  EXPECT_EQ(2u, u->totalFiles);
}

TEST_F(ReportsTest, GoneBrowserEndsTheLauncherWithCodeOne) {
  int dummy = 0;
  state_.hBrowserProcess = std::shared_ptr<void>(&dummy, [](void*) {});
  EXPECT_TRUE(reports_.isBrowserAlive());
  platform_.browserEnded = true;
  EXPECT_FALSE(reports_.isBrowserAlive());
  EXPECT_FALSE(reports_.onDownloadProgress(1, 10));
  EXPECT_EQ(std::vector<int>{1}, platform_.exitCodes);
  EXPECT_FALSE(state_.hBrowserProcess) << "handle closed before the exit";
  EXPECT_TRUE(platform_.sent.empty());
  EXPECT_TRUE(reports_.isBrowserAlive()) << "no handle held: alive";

  state_.hBrowserProcess = std::shared_ptr<void>(&dummy, [](void*) {});
  EXPECT_FALSE(reports_.onUnzipProgress(1, 2));
  EXPECT_EQ((std::vector<int>{1, 1}), platform_.exitCodes);
  EXPECT_TRUE(platform_.sent.empty());
}

}  // namespace
}  // namespace kx::launcher
