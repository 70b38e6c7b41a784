#include "launcher/cache/cache_layout.h"

#include "common/base/text.h"

namespace kx::launcher {

std::wstring gameDirOf(const std::wstring& cacheRoot) { return joinPath(cacheRoot, kGameDirName); }

std::wstring downloadDirOf(const std::wstring& cacheRoot) {
  return joinPath(cacheRoot, kDownloadDirName);
}

std::wstring cacheRootOnDrive(const std::wstring& driveRoot) {
  std::wstring drive = driveRoot;
  if (!drive.empty() && (drive.back() == L'\\' || drive.back() == L'/')) drive.pop_back();
  return joinPath(drive, kCacheRootName);
}

namespace {
std::wstring documents(const std::wstring& gameDir, const wchar_t* name) {
  return joinPath(joinPath(gameDir, kDocumentsName), name);
}
}  // namespace

std::wstring GameDirLayout::hashRes() const { return joinPath(gameDir, kHashResName); }
std::wstring GameDirLayout::pkres() const { return documents(gameDir, kPkresName); }
std::wstring GameDirLayout::subver() const { return documents(gameDir, kSubverName); }
std::wstring GameDirLayout::patchCache() const { return documents(gameDir, kPatchCacheName); }
std::wstring GameDirLayout::backup() const { return joinPath(gameDir, kBackupName); }
std::wstring GameDirLayout::backupTemp() const { return joinPath(gameDir, kBackupTempName); }
std::wstring GameDirLayout::versionIni() const { return joinPath(gameDir, kVersionIniName); }
std::wstring GameDirLayout::finDownload() const { return joinPath(gameDir, kFinDownloadName); }
std::wstring GameDirLayout::backupManifest() const {
  return joinPath(backup(), kCheckInfoListName);
}
std::wstring GameDirLayout::gameExe() const { return joinPath(gameDir, kGameExeName); }
std::wstring GameDirLayout::engineDll() const { return joinPath(gameDir, kEngineDllName); }

}  // namespace kx::launcher
