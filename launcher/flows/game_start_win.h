#ifndef KX_LAUNCHER_FLOWS_GAME_START_WIN_H_
#define KX_LAUNCHER_FLOWS_GAME_START_WIN_H_

#include "common/base/scoped_handle.h"
#include "launcher/flows/game_start.h"

namespace kx::launcher {

// kx::VerifiedFile for the check, ShellExecuteExW for the start. The started
// process's handle is kept (not used) until this object goes.
class WinGameStartPlatform : public GameStartPlatform {
 public:
  std::unique_ptr<FileHold> holdIfSigned(const std::wstring& exe) override;
  uint32_t open(const std::wstring& exe, const std::wstring& arguments,
                const std::wstring& folder) override;

 private:
  ScopedHandle process_;
};

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_FLOWS_GAME_START_WIN_H_
