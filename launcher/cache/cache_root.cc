#include "launcher/cache/cache_root.h"

#include "launcher/cache/cache_layout.h"

namespace kx::launcher {

std::wstring systemRootOf(const std::wstring& windowsFolder) {
  const size_t pos = windowsFolder.find(L":\\");
  if (pos == std::wstring::npos) return std::wstring();
  return windowsFolder.substr(0, pos + 2);
}

bool chooseCacheRoot(DriveSystem& drives, LauncherState& state) {
  std::vector<std::wstring> fixed;
  for (const std::wstring& drive : drives.logicalDrives()) {
    if (drives.isFixedDrive(drive)) fixed.push_back(drive);
  }

  for (const std::wstring& drive : fixed) {
    const std::wstring existing = cacheRootOnDrive(drive);
    if (drives.exists(existing)) {
      state.WEB_KX_DIR_PATH = existing;
      return true;
    }
  }

  // A root named on the command line is created by whoever uses it.
  if (!state.WEB_KX_DIR_PATH.empty()) return true;

  std::wstring systemRoot;
  std::wstring windows;
  switch (drives.windowsFolder(windows)) {
    case DriveSystem::WindowsFolder::kFound:
      systemRoot = systemRootOf(windows);
      break;
    case DriveSystem::WindowsFolder::kNotLocated:
      state.errorText = kNoSystemDriveText;
      return false;
    case DriveSystem::WindowsFolder::kNoAllocator:
      break;  // an empty system root matches no drive
  }

  uint64_t best = 0;
  uint64_t free = 0;  // a failed query keeps the previous drive's value
  bool heldBack = false;
  for (const std::wstring& drive : fixed) {
    if (std::optional<uint64_t> queried = drives.freeBytes(drive)) free = *queried;
    if (free <= kMinimumFreeBytes) continue;
    if (drive == systemRoot && free > kSystemDriveHoldBackBytes) {
      heldBack = true;
      continue;
    }
    if (free <= best) continue;
    best = free;
    state.WEB_KX_DIR_PATH = cacheRootOnDrive(drive);
    if (best > kEnoughFreeBytes) break;
  }

  if (!state.WEB_KX_DIR_PATH.empty()) {
    if (drives.makeDirectories(state.WEB_KX_DIR_PATH)) return true;
    state.WEB_KX_DIR_PATH.clear();
  }

  if (heldBack) {
    state.WEB_KX_DIR_PATH = cacheRootOnDrive(systemRoot);
    if (drives.makeDirectories(state.WEB_KX_DIR_PATH)) return true;
    state.WEB_KX_DIR_PATH.clear();
    state.errorText = kCreateCacheFailedText;
    return false;
  }

  state.errorText = kNotEnoughSpaceText;
  return false;
}

}  // namespace kx::launcher
