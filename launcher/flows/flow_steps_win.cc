#include "launcher/flows/flow_steps_win.h"

#include <windows.h>

#include "common/base/scoped_handle.h"
#include "launcher/cache/cache_root_win.h"
#include "launcher/engine/engine_update_win.h"
#include "launcher/engine/integrity_win.h"
#include "launcher/instances/process_scan_win.h"
#include "launcher/package/download_game_package_win.h"
#include "launcher/patch/engine_cache_checks_win.h"
#include "launcher/patch/patch_list.h"
#include "launcher/util/file_util_win.h"

namespace kx::launcher {
namespace {

class WinNamedMutex : public NamedMutex {
 public:
  explicit WinNamedMutex(HANDLE h) : handle_(h) {}

 private:
  ScopedHandle handle_;
};

}  // namespace

bool WinFlowSteps::pathExists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WinFlowSteps::chooseCacheRoot(LauncherState& state) {
  return launcher::chooseCacheRoot(state);
}

bool WinFlowSteps::fetchPatchList(LauncherState& state) {
  return launcher::fetchPatchList(
      [&](std::wstring& out) { return downloader_.fetchText(state.GameUpdateUrl, out); },
      reports_.boxes(), reports_.clock(), state.patchList);
}

bool WinFlowSteps::checkNeedToClearRes(const LauncherState& state) {
  EngineCacheChecks checks;
  return launcher::checkNeedToClearRes(state.patchList, state.gameDir, checks);
}

bool WinFlowSteps::downloadGamePackage(LauncherState&) {
  return launcher::downloadGamePackage(downloader_, reports_);
}

bool WinFlowSteps::checkEnginePath(const std::wstring& gameDir) {
  return launcher::checkEnginePath(gameDir);
}

bool WinFlowSteps::checkEngineVersion(LauncherState& state) {
  return launcher::checkEngineVersion(state, reports_.clock());
}

bool WinFlowSteps::restoreEngineFromHashRes(const std::wstring& gameDir) {
  return launcher::restoreEngineFromHashRes(gameDir);
}

void WinFlowSteps::removeDirectoryTree(const std::wstring& folder) {
  launcher::removeDirectoryTree(folder);
}

void WinFlowSteps::makeDirectories(const std::wstring& folder) {
  launcher::makeDirectories(folder, false);
}

bool WinFlowSteps::anyClientRunningUnder(const std::wstring& gameDir) {
  return !findProcessIdsUnder(gameDir).empty();
}

std::unique_ptr<NamedMutex> WinFlowSteps::createNamedMutex(const std::wstring& name) {
  HANDLE h = ::CreateMutexW(nullptr, FALSE, name.c_str());
  const DWORD error = ::GetLastError();
  if (!h) return nullptr;
  if (error == ERROR_ALREADY_EXISTS) {
    ::CloseHandle(h);
    return nullptr;
  }
  return std::make_unique<WinNamedMutex>(h);
}

}  // namespace kx::launcher
