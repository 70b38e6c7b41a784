#ifndef KX_LAUNCHER_CACHE_CACHE_ROOT_WIN_H_
#define KX_LAUNCHER_CACHE_CACHE_ROOT_WIN_H_

#include "launcher/cache/cache_root.h"

namespace kx::launcher {

// The real drives: GetLogicalDriveStringsW, GetDriveTypeW, GetFileAttributesW,
// the shell's CSIDL_WINDOWS and GetDiskFreeSpaceExW.
class WinDriveSystem : public DriveSystem {
 public:
  std::vector<std::wstring> logicalDrives() override;
  bool isFixedDrive(const std::wstring& driveRoot) override;
  bool exists(const std::wstring& path) override;
  WindowsFolder windowsFolder(std::wstring& path) override;
  std::optional<uint64_t> freeBytes(const std::wstring& driveRoot) override;
  bool makeDirectories(const std::wstring& path) override;
};

// chooseCacheRoot over the real drives.
bool chooseCacheRoot(LauncherState& state);

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_CACHE_CACHE_ROOT_WIN_H_
