#include "launcher/flows/game_start_win.h"

#include <windows.h>
#include <shellapi.h>

#include <utility>

#include "common/signing/verified_file.h"

namespace kx::launcher {
namespace {

class VerifiedHold : public GameStartPlatform::FileHold {
 public:
  explicit VerifiedHold(VerifiedFile file) : file_(std::move(file)) {}

 private:
  VerifiedFile file_;
};

}  // namespace

std::unique_ptr<GameStartPlatform::FileHold> WinGameStartPlatform::holdIfSigned(
    const std::wstring& exe) {
  VerifiedFile file;
  if (!file.verify(exe.c_str())) return nullptr;
  return std::make_unique<VerifiedHold>(std::move(file));
}

uint32_t WinGameStartPlatform::open(const std::wstring& exe, const std::wstring& arguments,
                                    const std::wstring& folder) {
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  // Without FLAG_NO_UI the shell shows a box of its own and the error code
  // no longer tells the cause, so our own texts could not be chosen.
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.hwnd = nullptr;
  info.lpVerb = L"open";
  info.lpFile = exe.c_str();
  info.lpParameters = arguments.c_str();
  info.lpDirectory = folder.c_str();
  info.nShow = SW_SHOW;
  if (!::ShellExecuteExW(&info)) {
    const DWORD error = ::GetLastError();
    return error != 0 ? error : ERROR_GEN_FAILURE;
  }
  process_.reset(info.hProcess);
  return 0;
}

}  // namespace kx::launcher
