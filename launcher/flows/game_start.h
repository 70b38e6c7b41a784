#ifndef KX_LAUNCHER_FLOWS_GAME_START_H_
#define KX_LAUNCHER_FLOWS_GAME_START_H_

// Starts kxmain.exe from gameDir once a flow succeeded: only when signed by
// the maker, with the plug-in window, the browser's id and the game size.

#include <cstdint>
#include <memory>
#include <string>

#include "common/ui/message_box.h"
#include "launcher/state/launcher_state.h"

namespace kx::launcher {

inline constexpr wchar_t kGameStartFailedText[] = L"无法启动游戏程序";

class GameStartPlatform {
 public:
  // Keeps a verified file from being replaced while it lives.
  class FileHold {
   public:
    virtual ~FileHold() = default;
  };
  virtual ~GameStartPlatform() = default;
  // Opens |exe| against replacement and checks that the maker signed it;
  // null when it is missing, unsigned or signed by anyone else.
  virtual std::unique_ptr<FileHold> holdIfSigned(const std::wstring& exe) = 0;
  // Starts |exe| through the shell ("open", |folder| as working folder).
  // 0 on success, else the GetLastError value of the failed start.
  virtual uint32_t open(const std::wstring& exe, const std::wstring& arguments,
                        const std::wstring& folder) = 0;
};

// The box text for the GetLastError value of a failed start.
const wchar_t* gameStartErrorText(uint32_t error);

// False without a window, a browser id or a game folder (nothing shown), or
// when the check or the start failed (a box owned by the plug-in window).
bool startGameClient(const LauncherState& state, GameStartPlatform& platform,
                     MessageBoxPresenter& boxes);

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_FLOWS_GAME_START_H_
