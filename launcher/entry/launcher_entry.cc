#include "launcher/entry/launcher_entry.h"

#include <windows.h>

#include <memory>
#include <string>

#include "common/ui/win_message_box.h"
#include "launcher/entry/command_line.h"
#include "common/base/trace.h"

namespace kx::launcher {
namespace {

// A failure leaves no handle; the flows then treat the host as running.
std::shared_ptr<void> openHostProcess(int32_t pid) {
  HANDLE h = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE,
                         static_cast<DWORD>(pid));
  if (!h) return nullptr;
  return std::shared_ptr<void>(h, CloseHandle);
}

bool cacheRootUsable(const std::wstring& root) {
  return !root.empty() && GetFileAttributesW(root.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool runMode(const LaunchCommand& command, LaunchFlows& flows, LauncherState& state) {
  switch (command.mode) {
    case LaunchMode::kNormal:
      trace(L"winmain normal launch GameUpdateUrl = %s, extParam = %s, WEB_KX_DIR_PATH = %s, hOcxWnd = %d",
            state.GameUpdateUrl, command.lastField, state.WEB_KX_DIR_PATH, state.hOcxWnd);
      return flows.runNormal(state);
    case LaunchMode::kSwitch:
      trace(L"winmain switch launch WEB_KX_DIR_PATH = %s, hOcxWnd = %d", state.WEB_KX_DIR_PATH,
            state.hOcxWnd);
      return flows.runSwitch(state);
    case LaunchMode::kRepair:
      trace(L"winmain repair launch GameUpdateUrl = %s, extParam = %s, WEB_KX_DIR_PATH = %s, hOcxWnd = %d",
            state.GameUpdateUrl, command.lastField, state.WEB_KX_DIR_PATH, state.hOcxWnd);
      return flows.runRepair(state);
    case LaunchMode::kClearPatch:
      trace(L"winmain patch clear launch GameUpdateUrl = %s, WEB_KX_DIR_PATH = %s, hOcxWnd = %d",
            state.GameUpdateUrl, state.WEB_KX_DIR_PATH, state.hOcxWnd);
      return flows.runClearPatch(state);
    case LaunchMode::kRejected:
      break;
  }
  return false;
}

}  // namespace

int runLauncher(const wchar_t* arguments, LaunchFlows& flows, MessageBoxPresenter& boxes) {
  const std::wstring text = arguments ? arguments : L"";
  trace(L"KXLaunch start lpCmdLine = %s\n", text);

  const LaunchCommand command = parseLaunchCommand(text);
  if (command.mode == LaunchMode::kRejected) {
    boxes.show(0, kRejectedCommandLineText, kRejectedCommandLineCaption, kMbOk);
    return 0;
  }

  LauncherState state;
  applyLaunchCommand(command, state);
  // Only these two modes watch the host; the others may outlive it.
  if (command.mode == LaunchMode::kNormal || command.mode == LaunchMode::kRepair)
    state.hBrowserProcess = openHostProcess(state.browserPid);
  // The normal flow settles the root itself.
  if (command.mode != LaunchMode::kNormal && !cacheRootUsable(state.WEB_KX_DIR_PATH))
    flows.chooseCacheRoot(state);

  if (runMode(command, flows, state)) flows.startGameClient(state);
  state.hBrowserProcess.reset();
  return flows.exitCode();
}

int runLauncher(const wchar_t* arguments) {
  WinMessageBoxes boxes;
  std::unique_ptr<LaunchFlows> flows = makeProductLaunchFlows(boxes);
  return runLauncher(arguments, *flows, boxes);
}

}  // namespace kx::launcher
