#ifndef KX_LAUNCHER_CACHE_CACHE_ROOT_H_
#define KX_LAUNCHER_CACHE_CACHE_ROOT_H_

// Choice of the cache root: an existing cache on a fixed drive, else the fixed
// drive with the most free space, the system drive held back as last resort.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "launcher/state/launcher_state.h"

namespace kx::launcher {

inline constexpr uint64_t kMinimumFreeBytes = 838860800ULL;         // 800 MiB
inline constexpr uint64_t kSystemDriveHoldBackBytes = 2147483648ULL;  // 2 GiB
inline constexpr uint64_t kEnoughFreeBytes = 53687091200ULL;         // 50 GiB

inline constexpr wchar_t kNoSystemDriveText[] =
    L"获取系统磁盘信息失败，无法缓存游戏资源，请稍后刷新再试";
inline constexpr wchar_t kNotEnoughSpaceText[] =
    L"磁盘空间不够，游戏需要800M以上空间来做缓存加速，请适当清理磁盘，刷新页面再试";
inline constexpr wchar_t kCreateCacheFailedText[] = L"创建缓存目录失败，请稍后刷新页面再试";

// The machine as the choice sees it.
class DriveSystem {
 public:
  enum class WindowsFolder { kFound, kNotLocated, kNoAllocator };

  virtual ~DriveSystem() = default;
  // Drive root strings such as "C:\", in the system's order.
  virtual std::vector<std::wstring> logicalDrives() = 0;
  virtual bool isFixedDrive(const std::wstring& driveRoot) = 0;
  // Any existing file or folder.
  virtual bool exists(const std::wstring& path) = 0;
  virtual WindowsFolder windowsFolder(std::wstring& path) = 0;
  // Free bytes available to the caller; nothing when the query fails.
  virtual std::optional<uint64_t> freeBytes(const std::wstring& driveRoot) = 0;
  // Creates the folder with all missing parents.
  virtual bool makeDirectories(const std::wstring& path) = 0;
};

// "C:\Windows" -> "C:\": up to and including the first ":\"; empty without one.
std::wstring systemRootOf(const std::wstring& windowsFolder);

// Sets state.WEB_KX_DIR_PATH (non-empty on success) or state.errorText.
bool chooseCacheRoot(DriveSystem& drives, LauncherState& state);

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_CACHE_CACHE_ROOT_H_
