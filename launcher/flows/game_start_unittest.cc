#include "launcher/flows/game_start.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/scripted_message_boxes.h"

namespace kx::launcher {
namespace {

// Records the order of hold, start and release.
class FakeGameStart : public GameStartPlatform {
 public:
  class Hold : public FileHold {
   public:
    explicit Hold(std::vector<std::wstring>& log) : log_(log) {}
    ~Hold() override { log_.push_back(L"release"); }

   private:
    std::vector<std::wstring>& log_;
  };
  std::unique_ptr<FileHold> holdIfSigned(const std::wstring& exe) override {
    log.push_back(L"check " + exe);
    if (!signedByMaker) return nullptr;
    return std::make_unique<Hold>(log);
  }
  uint32_t open(const std::wstring& exe, const std::wstring& arguments,
                const std::wstring& folder) override {
    log.push_back(L"open " + exe + L" [" + arguments + L"] in " + folder);
    return startError;
  }
  bool signedByMaker = true;
  uint32_t startError = 0;
  std::vector<std::wstring> log;
};

LauncherState readyState() {
  LauncherState s;
  s.hOcxWnd = 12345;
  s.browserPid = 678;
  s.gameWidth = 960;
  s.gameHeight = 640;
  s.gameDir = L"D:\\Corvane\\KxWeb\\Kx";
  return s;
}

TEST(GameStart, StartsTheSignedClientWhileHoldingIt) {
  FakeGameStart platform;
  ScriptedMessageBoxes boxes;
  EXPECT_TRUE(startGameClient(readyState(), platform, boxes));
  EXPECT_EQ(platform.log,
            (std::vector<std::wstring>{
                L"check D:\\Corvane\\KxWeb\\Kx\\kxmain.exe",
                L"open D:\\Corvane\\KxWeb\\Kx\\kxmain.exe "
                L"[__KXGAME_NORMAL_TAG__ 12345 678 960 640] "
                L"in D:\\Corvane\\KxWeb\\Kx",
                L"release"}));
  EXPECT_TRUE(boxes.requests().empty());
}

TEST(GameStart, MissingPreconditionsStartNothingAndShowNothing) {
  for (int field = 0; field < 3; ++field) {
    SCOPED_TRACE(field);
    LauncherState s = readyState();
    if (field == 0) s.hOcxWnd = 0;
    if (field == 1) s.browserPid = 0;
    if (field == 2) s.gameDir.clear();
    FakeGameStart platform;
    ScriptedMessageBoxes boxes;
    EXPECT_FALSE(startGameClient(s, platform, boxes));
    EXPECT_TRUE(platform.log.empty());
    EXPECT_TRUE(boxes.requests().empty());
  }
}

TEST(GameStart, RefusedSignatureShowsTheBoxAndStartsNothing) {
  FakeGameStart platform;
  platform.signedByMaker = false;
  ScriptedMessageBoxes boxes;
  EXPECT_FALSE(startGameClient(readyState(), platform, boxes));
  EXPECT_EQ(platform.log, std::vector<std::wstring>{L"check D:\\Corvane\\KxWeb\\Kx\\kxmain.exe"});
  ASSERT_EQ(boxes.requests().size(), 1u);
  EXPECT_EQ(boxes.requests()[0].text, L"无法启动游戏程序");
  EXPECT_EQ(boxes.requests()[0].owner, 12345u) << "the plug-in window itself";
  EXPECT_EQ(boxes.requests()[0].caption, L"") << "the system's default caption";
  EXPECT_EQ(boxes.requests()[0].style, 0u);
}

TEST(GameStart, FailedStartShowsTheTextOfItsError) {
  const std::pair<uint32_t, const wchar_t*> cases[] = {
      {2, L"启动文件不存在，无法启动游戏程序"},
      {3, L"启动文件路径不存在，无法启动游戏程序"},
      {5, L"启动文件拒绝访问，无法启动游戏程序"},
      {8, L"内存不足，无法启动游戏程序"},
      {32, L"共享违规，无法启动游戏程序"},
      {1155, L"启动文件扩展名错误，无法启动游戏程序"},
      {1156, L"DDE处理失败，无法启动游戏程序"},
      {1157, L"库文件丢失，无法启动游戏程序"},
      {1223, L"启动被取消，无法启动游戏程序"},
      {4, L"无法启动游戏程序"},
      {1154, L"无法启动游戏程序"},
  };
  for (const auto& [error, text] : cases) {
    SCOPED_TRACE(error);
    FakeGameStart platform;
    platform.startError = error;
    ScriptedMessageBoxes boxes;
    EXPECT_FALSE(startGameClient(readyState(), platform, boxes));
    ASSERT_EQ(boxes.requests().size(), 1u);
    EXPECT_EQ(boxes.requests()[0].text, text);
    EXPECT_EQ(boxes.requests()[0].owner, 12345u);
    EXPECT_EQ(platform.log.back(), L"release");
  }
}

}  // namespace
}  // namespace kx::launcher
