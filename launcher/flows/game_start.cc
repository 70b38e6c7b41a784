#include "launcher/flows/game_start.h"

#include "common/base/trace.h"
#include "common/contracts/game_command_line.h"
#include "common/protocol/wire.h"

namespace kx::launcher {

const wchar_t* gameStartErrorText(uint32_t error) {
  switch (error) {
    case 2: return L"启动文件不存在，无法启动游戏程序";
    case 3: return L"启动文件路径不存在，无法启动游戏程序";
    case 5: return L"启动文件拒绝访问，无法启动游戏程序";
    case 8: return L"内存不足，无法启动游戏程序";
    case 32: return L"共享违规，无法启动游戏程序";
    case 1155: return L"启动文件扩展名错误，无法启动游戏程序";
    case 1156: return L"DDE处理失败，无法启动游戏程序";
    case 1157: return L"库文件丢失，无法启动游戏程序";
    case 1223: return L"启动被取消，无法启动游戏程序";
    default: return kGameStartFailedText;
  }
}

bool startGameClient(const LauncherState& state, GameStartPlatform& platform,
                     MessageBoxPresenter& boxes) {
  if (state.hOcxWnd == 0 || state.browserPid == 0 || state.gameDir.empty()) return false;
  const std::wstring arguments = formatGameCommandLine(
      {state.hOcxWnd, state.browserPid, state.gameWidth, state.gameHeight});
  trace(L"launch argument = %s", arguments.c_str());
  const std::wstring exe = state.gameDir + L"\\kxmain.exe";
  // Boxes are owned by the plug-in window itself and carry no caption.
  const uintptr_t owner = fromWire32(static_cast<uint32_t>(state.hOcxWnd));
  std::unique_ptr<GameStartPlatform::FileHold> hold = platform.holdIfSigned(exe);
  if (!hold) {
    boxes.show(owner, kGameStartFailedText, L"", kMbOk);
    return false;
  }
  // The file stays held until the process exists, so what starts is what was checked.
  const uint32_t error = platform.open(exe, arguments, state.gameDir);
  hold.reset();
  if (error != 0) {
    boxes.show(owner, gameStartErrorText(error), L"", kMbOk);
    return false;
  }
  return true;
}

}  // namespace kx::launcher
