#include "plugin/controller/plugin_controller.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/controller/utf.h"
#include "plugin/npapi/host_funcs.h"
#include "tests/plugin/fake_controller_platform.h"
#include "tools/test_browser/npn_host.h"

namespace kx::plugin {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

using Bytes = std::vector<uint8_t>;

constexpr ProcessHandle kLauncher = 0x70;
constexpr ProcessHandle kGame = 0x90;
constexpr uint32_t kGameWnd = 0x77;
constexpr uint32_t kGamePid = 900;

Bytes le32(uint32_t v) {
  return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}
Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
Bytes clientInfo(uint32_t wnd, uint32_t pid, int32_t status) {
  return cat({le32(wnd), le32(pid), le32(static_cast<uint32_t>(status))});
}
Bytes sdkCall(uint16_t funcId, const std::u16string& param) {
  Bytes out{uint8_t(funcId), uint8_t(funcId >> 8), 0xAB, 0xCD};
  for (char16_t u : param) {
    out.push_back(uint8_t(u));
    out.push_back(uint8_t(u >> 8));
  }
  out.push_back(0);
  out.push_back(0);
  return out;
}

class ControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    table_ = browser_.table();
    NPPlugin::adoptHostFuncs(table_);
    browser_.setGetUrlListener([this](NPP, const char* url, const char* target) {
      EXPECT_STREQ(target, "_self");
      std::string text = url;
      const std::string scheme = "javascript:";
      if (text.compare(0, scheme.size(), scheme) == 0) text = text.substr(scheme.size());
      log_.push_back("page " + text);
      return NPERR_NO_ERROR;
    });
    platform_.processesById[kGamePid] = kGame;
    platform_.imagePaths[kGame] = u"C:\\cache\\Kx\\bin\\Kx\\kxmain.exe";
  }
  void TearDown() override { NPPlugin::clearHostFuncs(); }

  // One message; the pump's restart (checked on its own) is left out of the log.
  void send(uint32_t id, const Bytes& bytes, uint32_t sender = 0x99) {
    c_.onCopyData(sender, id, bytes.data(), bytes.size());
    if (log_.size() >= 2 && log_[log_.size() - 2] == "timer- 1002" && log_.back() == "timer+ 1002 5")
      log_.resize(log_.size() - 2);
  }
  void event(const std::string& text) { sdk_.onScriptMessageUtf8(text); }
  void fire(uint32_t id) {
    ASSERT_TRUE(platform_.timers.count(id)) << "timer " << std::hex << id << " is not running";
    c_.onTimer(id);
  }
  // Window attached, parameters set, the page loaded: the normal launcher runs.
  void launched(const std::string& params = "gameUpdateUrl=U,extParam=E") {
    c_.init(&npp_);
    c_.setParams(utf8ToUtf16(params));
    event("eventType:OnPageLoaded");
  }
  // ... and the game reported its window.
  void running() {
    launched();
    send(0x0101, clientInfo(kGameWnd, kGamePid, 0));
    log_.clear();
    platform_.sent.clear();
  }
  std::vector<std::string> only(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& line : log_)
      if (line.compare(0, prefix.size(), prefix) == 0) out.push_back(line);
    return out;
  }
  std::vector<std::string> percentages() const {
    std::vector<std::string> out;
    for (const auto& line : only("page OnGameInitProgress('")) out.push_back(line.substr(25, line.size() - 27));
    return out;
  }

  std::vector<std::string> log_;
  kx::browser::NpnHost browser_;
  NPNetscapeFuncs table_{};
  NPP_t npp_{};
  FakeControllerPlatform platform_{log_};
  WebSDK::SDKManager sdk_;
  PluginController c_{platform_, sdk_};
};

// ---- start, size, ready ----

TEST_F(ControllerTest, DefaultSizeFromTheScreenAtItsExactEdges) {
  const struct {
    int32_t w, h, width, height;
  } cases[] = {{1280, 900, 1024, 768}, {1280, 899, 960, 640}, {1279, 900, 960, 640},
               {1920, 1080, 1024, 768}, {800, 600, 960, 640}};
  for (const auto& c : cases) {
    platform_.screen = {c.w, c.h};
    c_.init(&npp_);
    EXPECT_EQ(c_.defaultWidth, c.width) << c.w << "x" << c.h;
    EXPECT_EQ(c_.defaultHeight, c.height) << c.w << "x" << c.h;
    EXPECT_EQ(c_.mainWidth, c.width);
    EXPECT_EQ(c_.mainHeight, c.height);
  }
}

TEST_F(ControllerTest, PageLoadedStartsOneNormalLaunchInOrder) {
  platform_.screen = {1280, 899};
  c_.init(&npp_);
  c_.notifyPluginReady();
  c_.setParams(u"gameUpdateUrl=U,extParam=E");
  event("eventType:OnPageLoaded");
  EXPECT_THAT(log_, ElementsAre("page onPluginReady()",
                                "timer- 1003", "page OnGameInitProgress('1')", "timer- 1003",
                                "timer+ 1003 1000", "page invokeFunc('commonCmdHandler','cmd:com_progress_status,status:0')",
                                "page OnSetResolution('0')", "page OnActiveXReady()",
                                "launch KXLaunch.exe __KX_LAUNCH_NORMAL__ 1312 4242 960 640 U E",
                                "page showDiv('0','0')", "timer+ 1001 500"));
  EXPECT_EQ(c_.hLaunchProcess, kLauncher);
}

TEST_F(ControllerTest, LargeScreenAndACustomSizeFromTheLastRun) {
  platform_.screen = {1280, 900};
  c_.init(&npp_);
  send(0x0104, cat({le32(1400), le32(900), le32(1)}));
  EXPECT_EQ(only("page"), std::vector<std::string>{"page OnChangeGamemainSize('1400')"});
  EXPECT_EQ(c_.mainHeight, 900);
  log_.clear();
  c_.setParams(u"gameUpdateUrl=U");
  event("eventType:OnPageLoaded");
  EXPECT_THAT(only("page On"), ElementsAre("page OnGameInitProgress('1')", "page OnSetResolution('1')",
                                           "page OnChangeGamemainSize('1024')", "page OnActiveXReady()"));
  EXPECT_EQ(c_.customSize, 0);
  EXPECT_EQ(c_.mainHeight, 768);
  EXPECT_EQ(platform_.launches.back(), u"KXLaunch.exe __KX_LAUNCH_NORMAL__ 1312 4242 1024 768 U");
}

TEST_F(ControllerTest, NoLaunchUntilPageAndWindowAreBoth) {
  c_.init(&npp_);
  c_.setParams(u"gameUpdateUrl=U");
  platform_.attached = false;
  event("eventType:OnPageLoaded");
  EXPECT_EQ(c_.pageLoaded, 1);
  EXPECT_THAT(platform_.launches, IsEmpty());
  EXPECT_EQ(c_.startGame(), 0);
  platform_.attached = true;
  c_.notifyPluginReady();  // the page answered before the call returned
  EXPECT_EQ(platform_.launches.size(), 1u);
}

TEST_F(ControllerTest, RefusedLauncherGivesTheBoxAndNoExitPoll) {
  platform_.nextLauncher = 0;
  launched();
  EXPECT_THAT(only("box"), ElementsAre("box 500 无法启动程序 | 启动失败 | 1000"));
  EXPECT_EQ(platform_.timers.count(TIMER_GAME_EXIT_POLL), 0u);
  EXPECT_EQ(c_.startGame(), -1);
  EXPECT_EQ(c_.hLaunchProcess, 0u);
}

TEST_F(ControllerTest, EmptyUrlHidesTheGameAndStartsNothing) {
  launched("extParam=E");
  EXPECT_THAT(platform_.launches, IsEmpty());
  EXPECT_THAT(only("box"), IsEmpty());
  EXPECT_THAT(only("page showDiv"), ElementsAre("page showDiv('0','0')", "page showDiv('0','0')"));
}

// ---- the game client reports ----

TEST_F(ControllerTest, GameReadyShowsFitsAndSendsBrowserInfo) {
  launched();
  event("eventType:OnExtFunc,subType:GetJsVersionDone,hversion: +3,midversion:x,exploreInfo:Fx");
  log_.clear();
  send(0x0101, clientInfo(kGameWnd, kGamePid, 0));
  EXPECT_THAT(log_, ElementsAre(
      "open 900 access 100411", "timer- 1003", "page OnGameInitProgress('100')",
      "page invokeFunc('commonCmdHandler','cmd:com_progress_status,status:10')",
      "page showDiv('0','1')", "send 2103 to 77 wp 1312 f 8 t 100: 01", "timer+ 1004 500",
      "send 2106 to 77 wp 1312 f 8 t 100: 284 bytes"));
  EXPECT_EQ(c_.gameLocalDir, u"C:\\cache\\Kx\\bin");
  EXPECT_EQ(c_.launchPhase, 10);
  const Bytes info = platform_.sent.back().payload;
  ASSERT_EQ(info.size(), 284u);
  EXPECT_EQ(Bytes(info.begin(), info.begin() + 34),
            cat({le32(3), le32(0), le32(0), le32(1), le32(19), le32(0), le32(1),
                 {'F', 0, 'x', 0, 0, 0}}));

  platform_.rect = WindowSize{1100, 700};
  fire(TIMER_FIT_WINDOW);
  EXPECT_EQ(log_.back(), "send 2104 to 77 wp 1312 f 8 t 100: 4c040000bc020000");
  EXPECT_EQ(platform_.timers.count(TIMER_FIT_WINDOW), 0u);
}

TEST_F(ControllerTest, GameLocalDirFromTheLastKxFolderOnly) {
  const struct {
    const char16_t* path;
    const char16_t* dir;
  } cases[] = {
      {u"C:\\cache\\Kx\\bin\\Kx\\kxmain.exe", u"C:\\cache\\Kx\\bin"},
      {u"D:\\Corvane\\KxWeb\\Kx\\kxmain.exe", u"D:\\Corvane\\KxWeb"},
      {u"C:\\cache\\kx\\kxmain.exe", u"old"},  // case-sensitive
      {u"C:\\cache\\Kxx\\kxmain.exe", u"old"},
      {u"Kx\\kxmain.exe", u"old"},
      {u"\\Kx\\kxmain.exe", u""},
      {u"", u"old"},
  };
  for (const auto& c : cases) {
    WebSDK::SDKManager sdk;
    PluginController controller(platform_, sdk);
    controller.init(&npp_);
    controller.gameLocalDir = u"old";
    platform_.imagePaths[kGame] = c.path;
    controller.onCopyData(0, 0x0101, clientInfo(kGameWnd, kGamePid, 0).data(), 12);
    EXPECT_EQ(utf16ToUtf8(controller.gameLocalDir), utf16ToUtf8(c.dir)) << utf16ToUtf8(c.path);
  }
}

TEST_F(ControllerTest, FailedGameStartResetsTheLaunch) {
  launched();
  log_.clear();
  send(0x0101, clientInfo(kGameWnd, kGamePid, 1));
  EXPECT_THAT(only("page"), ElementsAre("page showDiv('0','0')", "page OnActiveXQuit()",
                                        "page OnGameInitProgress('100')",
                                        "page invokeFunc('commonCmdHandler','cmd:com_progress_status,status:0')"));
  EXPECT_EQ(c_.hGameWnd, 0u);
  EXPECT_EQ(c_.hGameProcess, 0u);
  EXPECT_EQ(c_.hLaunchProcess, 0u);
  EXPECT_THAT(platform_.open, IsEmpty());
}

TEST_F(ControllerTest, UnopenedGameProcessKeepsTheWindowButNotTheProcessMessages) {
  launched();
  platform_.processesById.clear();
  log_.clear();
  send(0x0101, clientInfo(kGameWnd, kGamePid, 0));
  EXPECT_EQ(c_.hGameWnd, kGameWnd);
  EXPECT_THAT(only("send"), ElementsAre("send 2106 to 77 wp 1312 f 8 t 100: 284 bytes"));
  c_.resizeGame(800, 600);
  event("eventType:OnLogin,code:c,clientType:2");
  EXPECT_THAT(only("send"), ElementsAre("send 2106 to 77 wp 1312 f 8 t 100: 284 bytes"));
  event("eventType:OnClickChatBtn");  // needs the window only
  EXPECT_EQ(only("send").back(), "send 2105 to 77 wp 1312 f 8 t 100: 01000000");
  log_.clear();
  fire(TIMER_GAME_EXIT_POLL);
  EXPECT_THAT(log_, IsEmpty());
}

TEST_F(ControllerTest, ASecondGameReportReleasesTheFirstHandle) {
  running();
  platform_.processesById[901] = 0x91;
  send(0x0101, clientInfo(0x78, 901, 0));
  EXPECT_EQ(log_[0], "close 90");
  EXPECT_EQ(platform_.open.count(kGame), 0u);
  EXPECT_EQ(c_.hGameProcess, 0x91u);
}

TEST_F(ControllerTest, ExitPollResetsOnceTheGameEndedAndKeepsRunningOtherwise) {
  running();
  fire(TIMER_GAME_EXIT_POLL);
  EXPECT_THAT(log_, ElementsAre("wait 90 0"));
  platform_.ended.insert(kGame);
  fire(TIMER_GAME_EXIT_POLL);
  EXPECT_THAT(only("page"), ElementsAre("page showDiv('0','0')", "page OnActiveXQuit()",
                                        "page OnGameInitProgress('100')",
                                        "page invokeFunc('commonCmdHandler','cmd:com_progress_status,status:0')"));
  EXPECT_EQ(log_.back(), "timer- 1001");
  EXPECT_THAT(platform_.open, IsEmpty());
  EXPECT_EQ(c_.launchPhase, 0);
}

TEST_F(ControllerTest, MainSizeFromTheGameRevertsOnReset) {
  running();
  c_.init(&npp_);  // the same window again: handlers and default size anew
  event("eventType:OnPageLoaded");
  send(0x0101, clientInfo(kGameWnd, kGamePid, 0));
  send(0x0104, cat({le32(1400), le32(820), le32(1)}));
  event("eventType:OnClickChatBtn");
  EXPECT_EQ(only("send").back(), "send 2105 to 77 wp 1312 f 8 t 100: 00000000");
  log_.clear();
  c_.resetLaunchState();
  EXPECT_EQ(only("page").back(), "page OnChangeGamemainSize('1024')");
  EXPECT_EQ(c_.mainWidth, 1024);
  EXPECT_EQ(c_.customSize, 0);
}

// ---- endProcesses ----

TEST_F(ControllerTest, EndProcessesForEachKindOfGame) {
  const struct {
    const char* name;
    bool quits, unkillable, result;
    std::vector<std::string> processLog;
  } cases[] = {
      {"quits", true, false, true,
       {"terminate 70 2", "close 70", "send 2102 to 77 wp 0 f 8 t 100: 01", "wait 90 2000",
        "close 90"}},
      {"terminated", false, false, true,
       {"terminate 70 2", "close 70", "send 2102 to 77 wp 0 f 8 t 100: 01", "wait 90 2000",
        "terminate 90 2", "close 90"}},
      {"survives", false, true, false,
       {"terminate 70 2", "close 70", "send 2102 to 77 wp 0 f 8 t 100: 01", "wait 90 2000",
        "terminate 90 2", "close 90"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    log_.clear();
    platform_.quitsWhenAsked.clear();
    platform_.unkillable.clear();
    platform_.ended.clear();
    if (c.quits) platform_.quitsWhenAsked.insert(kGame);
    if (c.unkillable) platform_.unkillable.insert(kGame);
    c_.setParams(u"gameUpdateUrl=U");
    c_.init(&npp_);
    event("eventType:OnPageLoaded");
    send(0x0101, clientInfo(kGameWnd, kGamePid, 0));
    log_.clear();
    EXPECT_EQ(c_.endProcesses(), c.result);
    std::vector<std::string> processLog;
    for (const auto& line : log_)
      if (line.rfind("page", 0) != 0 && line.rfind("timer", 0) != 0) processLog.push_back(line);
    EXPECT_EQ(processLog, c.processLog);
    EXPECT_EQ(only("page OnActiveXQuit").size(), 1u);
    EXPECT_EQ(c_.hGameWnd, 0u);
    EXPECT_THAT(platform_.open, IsEmpty());
  }
}

TEST_F(ControllerTest, EndProcessesWithoutAGameEndsOnlyTheLauncher) {
  launched();
  log_.clear();
  EXPECT_TRUE(c_.endProcesses());
  EXPECT_THAT(only("terminate"), ElementsAre("terminate 70 2"));
  EXPECT_THAT(only("send"), IsEmpty());
  EXPECT_THAT(only("wait"), IsEmpty());
}

// ---- relaunch ----

TEST_F(ControllerTest, RelaunchEndsTheGameFromTheQueueThenSwitches) {
  running();
  platform_.quitsWhenAsked.insert(kGame);
  platform_.nextLauncher = 0x71;
  send(0x0003, {2});
  EXPECT_THAT(only("send"), IsEmpty());  // nothing before the game's send returned
  EXPECT_EQ(c_.queuedMessages(), 1u);
  fire(TIMER_COPYDATA_PUMP);
  EXPECT_THAT(only("send"), ElementsAre("send 2102 to 77 wp 0 f 8 t 100: 01"));
  EXPECT_EQ(only("launch").back(),
            "launch KXLaunch.exe __KX_SWITCH_LAUNCH__ 1312 4242 1024 768 2 C:\\cache\\Kx\\bin");
  EXPECT_EQ(c_.hLaunchProcess, 0x71u);
}

TEST_F(ControllerTest, RelaunchIsDroppedWhenTheGameSurvives) {
  running();
  platform_.unkillable.insert(kGame);
  send(0x0003, {2});
  fire(TIMER_COPYDATA_PUMP);
  EXPECT_THAT(only("launch"), IsEmpty());
}

// ---- the copy-data queue ----

TEST_F(ControllerTest, EveryMessageRestartsThePumpAndImmediateOnesRunInPlace) {
  c_.init(&npp_);
  log_.clear();
  const Bytes speed = cat({le32(512), le32(1024), le32(4096)});
  c_.onCopyData(0x99, 0x1104, speed.data(), speed.size());
  EXPECT_THAT(log_, ElementsAre(
      "page invokeFunc('commonCmdHandler','cmd:com_down_speed,downloadSpeed:512,curBytesRead:1024,totalBytes:4096')",
      "timer- 1002", "timer+ 1002 5"));
  EXPECT_EQ(c_.queuedMessages(), 0u);
  log_.clear();
  const uint8_t relaunch = 1;
  c_.onCopyData(0x99, 0x0003, &relaunch, 1);
  EXPECT_THAT(log_, ElementsAre("timer- 1002", "timer+ 1002 5"));
  EXPECT_EQ(c_.queuedMessages(), 1u);
}

TEST_F(ControllerTest, QueueHoldsSixtyFourDrainsTwoPerTickAndStopsWhenIdle) {
  c_.init(&npp_);  // not ready: each relaunch only resets, one OnActiveXQuit each
  for (int i = 0; i < 65; ++i) send(0x0003, {1});
  EXPECT_EQ(c_.queuedMessages(), 64u);
  log_.clear();
  fire(TIMER_COPYDATA_PUMP);
  EXPECT_EQ(only("page OnActiveXQuit").size(), 2u);
  EXPECT_EQ(c_.queuedMessages(), 62u);
  // Immediate messages are never dropped, even with the queue full.
  for (int i = 0; i < 3; ++i) send(0x0003, {1});
  EXPECT_EQ(c_.queuedMessages(), 64u);
  send(0x1105, cat({le32(0x80000001u), le32(0xFFFFFFFFu)}));
  EXPECT_EQ(only("page invokeFunc").back(),
            "page invokeFunc('commonCmdHandler','cmd:com_unzip_progress,curFiles:2147483649,totalFiles:4294967295')");
  EXPECT_EQ(c_.queuedMessages(), 64u);
  log_.clear();
  for (int i = 0; i < 32; ++i) fire(TIMER_COPYDATA_PUMP);
  EXPECT_EQ(only("page OnActiveXQuit").size(), 64u);
  EXPECT_TRUE(platform_.timers.count(TIMER_COPYDATA_PUMP));
  fire(TIMER_COPYDATA_PUMP);  // idle tick
  EXPECT_FALSE(platform_.timers.count(TIMER_COPYDATA_PUMP));
}

TEST_F(ControllerTest, ARefusedHeadEndsTheTickAndStopsThePump) {
  c_.init(&npp_);
  send(0x0005, {1, 2, 3});          // unknown, queued, refused
  c_.onCopyData(0, 0x0003, nullptr, 1);  // no payload: refused too
  send(0x0003, {1});
  log_.clear();
  fire(TIMER_COPYDATA_PUMP);
  EXPECT_THAT(log_, ElementsAre("timer- 1002"));
  EXPECT_EQ(c_.queuedMessages(), 2u);
  send(0x1102, {1, 1});  // the next message restarts the pump
  fire(TIMER_COPYDATA_PUMP);
  EXPECT_FALSE(platform_.timers.count(TIMER_COPYDATA_PUMP));
  EXPECT_EQ(c_.queuedMessages(), 1u);
  EXPECT_THAT(only("page OnActiveXQuit"), IsEmpty());
  send(0x1102, {1, 1});
  fire(TIMER_COPYDATA_PUMP);
  EXPECT_EQ(c_.queuedMessages(), 0u);
  EXPECT_EQ(only("page OnActiveXQuit").size(), 1u);
  EXPECT_TRUE(platform_.timers.count(TIMER_COPYDATA_PUMP));
}

TEST_F(ControllerTest, ANestedDrainWaitsForTheRunningHandler) {
  running();
  platform_.quitsWhenAsked.insert(kGame);
  send(0x0003, {1});
  send(0x0003, {2});
  bool nested = false;
  platform_.duringWait = [&] {
    // Messages delivered while the first relaunch waits for the game.
    nested = true;
    c_.onTimer(TIMER_COPYDATA_PUMP);
    EXPECT_EQ(c_.queuedMessages(), 2u);
    send(0x1104, cat({le32(1), le32(2), le32(3)}));
    EXPECT_EQ(only("page invokeFunc('commonCmdHandler','cmd:com_down").size(), 1u);
    EXPECT_EQ(c_.queuedMessages(), 2u);
  };
  fire(TIMER_COPYDATA_PUMP);
  EXPECT_TRUE(nested);
  EXPECT_EQ(c_.queuedMessages(), 0u);
  EXPECT_EQ(only("launch").size(), 2u);
}

// ---- progress ----

TEST_F(ControllerTest, PhaseFiveAnimatesFromSixtyToNinety) {
  launched();
  log_.clear();
  send(0x1102, {5, 1});
  EXPECT_THAT(only("page"), ElementsAre("page OnGameInitProgress('60')",
                                        "page invokeFunc('commonCmdHandler','cmd:com_progress_status,status:5')"));
  EXPECT_EQ(platform_.timers.at(TIMER_PROGRESS), 1000u);
  for (int i = 0; i < 30; ++i) fire(TIMER_PROGRESS);
  std::vector<std::string> expected;
  for (int p = 60; p <= 90; ++p) expected.push_back(std::to_string(p));
  EXPECT_EQ(percentages(), expected);
  EXPECT_FALSE(platform_.timers.count(TIMER_PROGRESS));
  EXPECT_EQ(c_.launchPhase, 5);
}

TEST_F(ControllerTest, ProgressCases) {
  const struct {
    const char* name;
    std::vector<Bytes> messages;  // 0x1102 payloads, the last one observed
    int ticks;
    std::vector<std::string> percent;
    const char* status;  // the last status text, or "" for none
    int32_t phase;
  } cases[] = {
      {"eighth 8", {{4, 8}}, 7, {"53", "54", "55", "56", "57", "58", "59", "60"}, "4", 4},
      {"back to 10", {{4, 3}, {4, 1}}, 0, {"10"}, "4", 4},
      {"game ready", {{10, 1}}, 0, {"99"}, "10", 10},
      {"phase 11", {{11, 1}}, 0, {}, "", 0},
      {"phase 11 failed", {{11, 0}}, 0, {"100"}, "0", 0},
      {"phase 2 failed", {{3, 1}, {2, 0}}, 0, {"100"}, "0", 0},
      {"game progress", {{6, 1}}, 1, {"90", "91"}, "6", 6},
      {"short payload", {{5}}, 0, {}, "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    launched();
    for (size_t i = 0; i < c.messages.size(); ++i) {
      if (i + 1 == c.messages.size()) log_.clear();
      const uint32_t id = std::string(c.name) == "game progress" ? 0x3101 : 0x1102;
      send(id, c.messages[i]);
    }
    for (int i = 0; i < c.ticks; ++i) fire(TIMER_PROGRESS);
    EXPECT_EQ(percentages(), c.percent);
    const auto statuses = only("page invokeFunc('commonCmdHandler','cmd:com_progress_status");
    if (*c.status) {
      ASSERT_FALSE(statuses.empty());
      EXPECT_EQ(statuses.back(), std::string("page invokeFunc('commonCmdHandler','cmd:com_progress_status,status:") + c.status + "')");
    } else {
      EXPECT_THAT(statuses, IsEmpty());
    }
    EXPECT_EQ(c_.launchPhase, c.phase);
    if (c.phase == 10) EXPECT_FALSE(platform_.timers.count(TIMER_PROGRESS));
  }
}

TEST_F(ControllerTest, BeforeThePageLoadsOnlyThePhaseMovesButTransferTextsStillGo) {
  c_.init(&npp_);
  log_.clear();
  send(0x1102, {5, 1});
  EXPECT_EQ(c_.launchPhase, 5);
  EXPECT_THAT(only("page"), IsEmpty());
  send(0x1104, cat({le32(0), le32(0), le32(0)}));
  send(0x1105, cat({le32(3), le32(10)}));
  EXPECT_THAT(only("page"), ElementsAre(
      "page invokeFunc('commonCmdHandler','cmd:com_down_speed,downloadSpeed:0,curBytesRead:0,totalBytes:0')",
      "page invokeFunc('commonCmdHandler','cmd:com_unzip_progress,curFiles:3,totalFiles:10')"));
  send(0x1104, cat({le32(0xFFFFFFFFu), le32(0x80000000u), le32(7)}));
  EXPECT_EQ(only("page").back(),
            "page invokeFunc('commonCmdHandler','cmd:com_down_speed,downloadSpeed:4294967295,curBytesRead:2147483648,totalBytes:7')");
  platform_.instance = false;
  log_.clear();
  send(0x1104, cat({le32(1), le32(1), le32(1)}));
  EXPECT_THAT(only("page"), IsEmpty());
}

// ---- parameters and command lines ----

TEST_F(ControllerTest, EachLaunchWritesItsCommandLine) {
  c_.init(&npp_);
  platform_.screen = {1280, 899};
  c_.init(&npp_);
  c_.pageLoaded = 1;
  c_.gameLocalDir = u"C:\\cache";
  const struct {
    const char* name;
    const char16_t* params;
    std::function<int32_t()> launch;
    const char* commandLine;
  } cases[] = {
      {"normal", u"gameUpdateUrl=U,extParam=E", [&] { return c_.launchNormal(1312); },
       "KXLaunch.exe __KX_LAUNCH_NORMAL__ 1312 4242 960 640 U E"},
      {"normal, no ext", u"gameUpdateUrl=U,extParam=", [&] { return c_.launchNormal(1312); },
       "KXLaunch.exe __KX_LAUNCH_NORMAL__ 1312 4242 960 640 U"},
      {"repair", u"gameUpdateUrl=U,extParam=E", [&] { return c_.launchClearRepair(1312); },
       "KXLaunch.exe __KX_CLEAR_REPAIR__ 1312 4242 960 640 U E"},
      {"clear patch", u"extParam=E", [&] { return c_.launchClearPatch(1312); },
       "KXLaunch.exe __KX_CLEAR_PATCH__ 1312 4242 960 640 U C:\\cache"},
      {"switch", u"", [&] { return c_.launchSwitch(1312, 2); },
       "KXLaunch.exe __KX_SWITCH_LAUNCH__ 1312 4242 960 640 2 C:\\cache"},
      {"spaces unquoted", u"gameUpdateUrl=http://h/a b", [&] { return c_.launchNormal(1312); },
       "KXLaunch.exe __KX_LAUNCH_NORMAL__ 1312 4242 960 640 http://h/a b E"},
  };
  for (const auto& c : cases) {
    c_.setParams(c.params);
    EXPECT_EQ(c.launch(), 0) << c.name;
    EXPECT_EQ(utf16ToUtf8(platform_.launches.back()), c.commandLine) << c.name;
  }
  c_.gameLocalDir.clear();
  c_.launchSwitch(1312, 2);
  EXPECT_EQ(utf16ToUtf8(platform_.launches.back()),
            "KXLaunch.exe __KX_SWITCH_LAUNCH__ 1312 4242 960 640 2");
  c_.launchClearPatch(1312);
  EXPECT_EQ(utf16ToUtf8(platform_.launches.back()),
            "KXLaunch.exe __KX_CLEAR_PATCH__ 1312 4242 960 640 http://h/a b");
  // Each new launcher handle replaces the last one without leaking it.
  EXPECT_EQ(platform_.open.size(), 1u);
}

TEST_F(ControllerTest, ParamsKeysAreExactAndLaterCallsWin) {
  c_.setParams(u"gameUpdateUrl=A,gameUpdateUrl=B,gameupdateurl=C,EXTPARAM=D");
  EXPECT_EQ(c_.gameUpdateUrl, u"A");
  EXPECT_EQ(c_.extParam, u"");
  c_.setParams(u"gameUpdateUrl=Z,extParam=x");
  EXPECT_EQ(c_.gameUpdateUrl, u"Z");
  c_.setParams(u"other=1");
  EXPECT_EQ(c_.gameUpdateUrl, u"Z");
  EXPECT_EQ(c_.extParam, u"x");
  c_.setParams(u"extParam");
  EXPECT_EQ(c_.extParam, u"");
}

TEST_F(ControllerTest, LaunchPreconditionsAndFailureBoxes) {
  c_.init(&npp_);
  c_.pageLoaded = 1;
  log_.clear();
  EXPECT_EQ(c_.launchNormal(0), -1);
  EXPECT_EQ(c_.launchSwitch(1312, 1), -1);  // needs the URL too
  EXPECT_EQ(c_.launchClearRepair(1312), -1);
  EXPECT_EQ(c_.launchClearPatch(1312), -1);
  EXPECT_THAT(log_, IsEmpty());
  EXPECT_EQ(c_.launchNormal(1312), -1);
  EXPECT_THAT(log_, ElementsAre("page showDiv('0','0')"));

  c_.setParams(u"gameUpdateUrl=U");
  platform_.nextLauncher = 0;
  log_.clear();
  EXPECT_EQ(c_.launchNormal(1312), -1);
  EXPECT_EQ(c_.launchSwitch(1312, 1), -1);
  EXPECT_EQ(c_.launchClearRepair(1312), -1);
  EXPECT_EQ(c_.launchClearPatch(1312), -1);
  EXPECT_THAT(only("box"), ElementsAre("box 500 无法启动程序 | 启动失败 | 1000",
                                       "box 500 无法启动程序 | 启动失败 | 1000",
                                       "box 500 无法启动修复程序 | 启动失败 | 0",
                                       "box 500 无法启动修复程序 | 启动失败 | 0"));
}

// ---- routing ----

TEST_F(ControllerTest, PageEventsBecomeNotices) {
  running();
  const struct {
    const char* event;
    const char* sends;  // hex of the 0x2101 payload, after any 0x2103
    bool shows;
  } cases[] = {
      {"eventType:OnSDKScriptInit,result:1", "000001003100 0000", false},
      {"eventType:OnSDKScriptInit,result:true", "000001003000 0000", false},
      {"eventType:OnSDKScriptInit,result:01", "000001003000 0000", false},
      {"eventType:OnSDKScriptInit", "000001003000 0000", false},
      {"eventType:OnLogin,code:abc,clientType:2", "0100050061006200630020003200 0000", true},
      {"eventType:OnLogin,clientType:2", "010002002000 3200 0000", true},
      {"eventType:OnLogout,userId:u", "030001007500 0000", true},
      {"eventType:OnSDKDialogClose", "04000000 0000", true},
      {"eventType:OnPay,status:1", "050002003100 2000 0000", true},
      {"eventType:OnClientInfo,token:t,deviceId:d,userId:u", "020005007400200064002000 7500 0000", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.event);
    log_.clear();
    platform_.sent.clear();
    event(c.event);
    std::string expected = c.sends;
    expected.erase(std::remove(expected.begin(), expected.end(), ' '), expected.end());
    ASSERT_FALSE(platform_.sent.empty());
    const auto& notice = platform_.sent.back();
    EXPECT_EQ(notice.id, 0x2101u);
    EXPECT_EQ(notice.wParam, 1312u);
    EXPECT_EQ(hexBytes(notice.payload), expected);
    if (c.shows) {
      EXPECT_THAT(only("page"), ElementsAre("page showDiv('0','1')"));
      ASSERT_EQ(platform_.sent.size(), 2u);
      EXPECT_EQ(hexBytes(platform_.sent[0].payload), "01");
    } else {
      EXPECT_EQ(platform_.sent.size(), 1u);
    }
  }
  log_.clear();
  event("eventType:OnExtFunc,subType:PayCloseDone");
  EXPECT_THAT(only("page"), ElementsAre("page showDiv('0','1')"));
  log_.clear();
  event("eventType:OnExtFunc,subType:paycloseDone");
  event("eventType:OnExtFunc");
  EXPECT_THAT(log_, IsEmpty());
}

TEST_F(ControllerTest, EventsBeforeThePageLoadedSendNothing) {
  c_.init(&npp_);
  send(0x0101, clientInfo(kGameWnd, kGamePid, 0));
  log_.clear();
  platform_.sent.clear();
  event("eventType:OnLogin,code:c,clientType:1");
  event("eventType:OnPay,status:1");
  event("eventType:OnClientInfo,token:t");
  event("eventType:OnClickChatBtn");
  event("eventType:OnClientRepair");
  EXPECT_THAT(log_, IsEmpty());
}

TEST_F(ControllerTest, JsVersionIsReadAsIntegers) {
  const struct {
    const char* event;
    int32_t h, m, l;
  } cases[] = {
      {"hversion:3,midversion:x", 3, 0, 0},
      {"hversion: -12abc,midversion:+7,lowversion:  9", -12, 7, 9},
      {"hversion:99999999999,lowversion:-99999999999", 2147483647, 0, -2147483647 - 1},
  };
  c_.init(&npp_);
  for (const auto& c : cases) {
    event(std::string("eventType:OnExtFunc,subType:GetJsVersionDone,") + c.event);
    EXPECT_EQ(c_.hversion, c.h) << c.event;
    EXPECT_EQ(c_.midversion, c.m) << c.event;
    EXPECT_EQ(c_.lowversion, c.l) << c.event;
  }
}

TEST_F(ControllerTest, SdkCallsHideWhereThePageShowsADialog) {
  running();
  const struct {
    uint16_t funcId;
    const char16_t* param;
    bool hides;
    const char* call;  // "" for none
  } cases[] = {
      {0, u"  G17   3", false, "page initWebSDK('G17','3')"},
      {0, u"G17", false, "page initWebSDK('G17','0')"},
      {0, u"G17 -4x", false, "page initWebSDK('G17','-4')"},
      {1, u"", true, "page login()"},
      {2, u"", false, "page logout()"},
      {3, u"d\u4F60", false, "page setClientData('d\xE4\xBD\xA0')"},
      {4, u"", true, "page showUserDialog()"},
      {5, u"{\"a\":1}", true, "page showPayDialog('{\"a\":1}')"},
      {6, u"{\"CNAME\":\"Anna\"}", false,
       "page invokeFunc('setRoleInfo','1:,10:,11:,12:,13:,14:,15:,2:Anna,3:,4:,5:,6:,7:,8:,9:,')"},
      {7, u"", false, "page closePayDialog()"},
      {8, u"p", true, "page showPayDialog('p')"},
      {9, u"cmd:x", false, "page invokeFunc('commonCmdHandler','cmd:x')"},
      {10, u"", false, ""},
      {12, u"x", false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.funcId);
    log_.clear();
    send(0x0102, sdkCall(c.funcId, c.param));
    std::vector<std::string> expected;
    if (c.hides) {
      expected.push_back("page showDiv('0','0')");
      expected.push_back("send 2103 to 77 wp 1312 f 8 t 100: 00");
    }
    if (*c.call) expected.push_back(c.call);
    EXPECT_EQ(log_, expected);
  }
}

TEST_F(ControllerTest, GameIdIsCutAt127Bytes) {
  running();
  const std::string word(130, 'g');
  send(0x0102, sdkCall(0, utf8ToUtf16(word + " 5")));
  EXPECT_EQ(log_.back(), "page initWebSDK('" + std::string(127, 'g') + "','5')");
  log_.clear();
  // A multi-byte character across the cut is not split.
  send(0x0102, sdkCall(0, utf8ToUtf16(std::string(126, 'g') + "\xE4\xBD\xA0" + " 1")));
  EXPECT_EQ(log_.back(), "page initWebSDK('" + std::string(126, 'g') + "','1')");
}

// ---- repair ----

TEST_F(ControllerTest, RepairQuestionAnswers) {
  const struct {
    const char* event;
    int answer;
    bool moduleFound;
    bool launches;
  } cases[] = {
      {"eventType:OnClientRepair", 1, true, true},
      {"eventType:OnClientRepair", 2, true, false},
      {"eventType:OnClientRepair,openClearPatch:01", 1, true, true},
      {"eventType:OnClientRepair,openClearPatch:2", 2, true, false},
      {"eventType:OnClientRepair,openClearPatch:1", 1, false, true},  // renamed DLL
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.event);
    running();
    platform_.moduleFound = c.moduleFound;
    platform_.quitsWhenAsked.insert(kGame);
    platform_.boxAnswers = {c.answer};
    event(c.event);
    EXPECT_EQ(only("box")[0],
              "box 500 游戏修复功能将删除本地客户端文件并自动重新进行下载，确定要进行游戏修复吗？ | "
              "Vantorra手游网页版 | 1");
    EXPECT_THAT(only("dialog"), IsEmpty());
    if (c.launches) {
      EXPECT_THAT(only("terminate"), ElementsAre("terminate 70 2"));
      EXPECT_THAT(only("send"), ElementsAre("send 2102 to 77 wp 0 f 8 t 100: 01"));
      EXPECT_EQ(only("launch").back(), "launch KXLaunch.exe __KX_CLEAR_REPAIR__ 1312 4242 1024 768 U E");
    } else {
      EXPECT_THAT(only("terminate"), IsEmpty());
      EXPECT_THAT(only("send"), IsEmpty());
      EXPECT_THAT(only("launch"), IsEmpty());
      EXPECT_EQ(c_.hGameProcess, kGame);
    }
  }
}

TEST_F(ControllerTest, RepairQuestionStartsNothingWhenTheGameSurvives) {
  running();
  platform_.unkillable.insert(kGame);
  event("eventType:OnClientRepair");
  EXPECT_THAT(only("launch"), IsEmpty());
}

TEST_F(ControllerTest, RepairDialogChoices) {
  const struct {
    const char* name;
    std::vector<int> presses;
    std::vector<DialogAction> actions;
    const char* launch;  // "" for none
    bool ended;
  } cases[] = {
      {"clear patch", {1}, {DialogAction::kClose},
       "launch KXLaunch.exe __KX_CLEAR_PATCH__ 1312 4242 1024 768 U C:\\cache\\Kx\\bin", true},
      {"reinstall", {6}, {DialogAction::kClose},
       "launch KXLaunch.exe __KX_CLEAR_REPAIR__ 1312 4242 1024 768 U E", true},
      {"cancel", {2}, {DialogAction::kClose}, "", false},
      {"other control", {1000, 2}, {DialogAction::kNotHandled, DialogAction::kClose}, "", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    running();
    platform_.quitsWhenAsked.insert(kGame);
    std::vector<DialogAction> actions;
    platform_.dialogUser = [&] {
      for (int id : c.presses) actions.push_back(c_.onRepairDialogCommand(id));
    };
    event("eventType:OnClientRepair,openClearPatch:1");
    EXPECT_THAT(only("dialog"), ElementsAre("dialog 500", "dialog closed"));
    EXPECT_THAT(only("box"), IsEmpty());
    EXPECT_EQ(actions, c.actions);
    if (*c.launch) {
      EXPECT_EQ(only("launch"), std::vector<std::string>{c.launch});
    } else {
      EXPECT_THAT(only("launch"), IsEmpty());
    }
    EXPECT_EQ(only("terminate").empty(), !c.ended);
  }
}

TEST_F(ControllerTest, RepairDialogStaysOpenWhileTheGameSurvives) {
  running();
  platform_.unkillable.insert(kGame);
  std::vector<DialogAction> actions;
  platform_.dialogUser = [&] {
    actions.push_back(c_.onRepairDialogCommand(kRepairClearPatch));
    actions.push_back(c_.onRepairDialogCommand(kRepairReinstall));
    actions.push_back(c_.onRepairDialogCommand(kRepairCancel));
  };
  event("eventType:OnClientRepair,openClearPatch:1");
  EXPECT_EQ(actions, (std::vector<DialogAction>{DialogAction::kKeepOpen, DialogAction::kClose,
                                                DialogAction::kClose}));
  // The first press ended the run (the game's handle went with the reset), so
  // the second one finds nothing left to end and launches.
  EXPECT_EQ(only("launch").size(), 1u);
}

}  // namespace
}  // namespace kx::plugin
