#include "launcher/cache/cache_root_win.h"

#include <windows.h>
#include <shlobj.h>

#include "launcher/util/file_util_win.h"

namespace kx::launcher {

std::vector<std::wstring> WinDriveSystem::logicalDrives() {
  wchar_t buffer[256] = {};
  const DWORD n = GetLogicalDriveStringsW(255, buffer);
  std::vector<std::wstring> roots;
  if (n == 0 || n > 255) return roots;  // a longer list does not fit: none
  for (const wchar_t* p = buffer; p < buffer + n && *p; p += wcslen(p) + 1) {
    roots.emplace_back(p);
  }
  return roots;
}

bool WinDriveSystem::isFixedDrive(const std::wstring& driveRoot) {
  return GetDriveTypeW(driveRoot.c_str()) == DRIVE_FIXED;
}

bool WinDriveSystem::exists(const std::wstring& path) { return fileExists(path); }

DriveSystem::WindowsFolder WinDriveSystem::windowsFolder(std::wstring& path) {
  IMalloc* allocator = nullptr;
  if (FAILED(SHGetMalloc(&allocator)) || allocator == nullptr) return WindowsFolder::kNoAllocator;
  LPITEMIDLIST items = nullptr;
  const HRESULT hr = SHGetSpecialFolderLocation(nullptr, CSIDL_WINDOWS, &items);
  if (FAILED(hr) || items == nullptr) {
    allocator->Release();
    return WindowsFolder::kNotLocated;
  }
  wchar_t buffer[MAX_PATH] = {};
  if (SHGetPathFromIDListW(items, buffer)) path = buffer;
  allocator->Free(items);
  allocator->Release();
  return WindowsFolder::kFound;
}

std::optional<uint64_t> WinDriveSystem::freeBytes(const std::wstring& driveRoot) {
  ULARGE_INTEGER available;
  if (!GetDiskFreeSpaceExW(driveRoot.c_str(), &available, nullptr, nullptr)) return std::nullopt;
  return available.QuadPart;
}

bool WinDriveSystem::makeDirectories(const std::wstring& path) {
  return kx::launcher::makeDirectories(path, false);
}

bool chooseCacheRoot(LauncherState& state) {
  WinDriveSystem drives;
  return chooseCacheRoot(drives, state);
}

}  // namespace kx::launcher
