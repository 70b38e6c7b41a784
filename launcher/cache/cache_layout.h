#ifndef KX_LAUNCHER_CACHE_CACHE_LAYOUT_H_
#define KX_LAUNCHER_CACHE_CACHE_LAYOUT_H_

// Every path of the cache tree is built here from the fixed names, so no other
// file spells them.

#include <cstddef>
#include <string>
#include <utility>

namespace kx::launcher {

inline constexpr wchar_t kCacheRootName[] = L"Corvane\\KxWeb";
inline constexpr wchar_t kGameDirName[] = L"Kx";
inline constexpr wchar_t kDownloadDirName[] = L"KxDownload";
inline constexpr wchar_t kHashResName[] = L"HashRes";
inline constexpr wchar_t kDocumentsName[] = L"Documents";
inline constexpr wchar_t kPkresName[] = L"pkres";
inline constexpr wchar_t kSubverName[] = L"subver";
inline constexpr wchar_t kPatchCacheName[] = L"patch_cache";
inline constexpr wchar_t kBackupName[] = L"Backup";
inline constexpr wchar_t kBackupTempName[] = L"backuptemp";
inline constexpr wchar_t kVersionIniName[] = L"version.ini";
inline constexpr wchar_t kFinDownloadName[] = L"findownload.dat";
inline constexpr wchar_t kCheckInfoListName[] = L"checkinfo.lst";
inline constexpr wchar_t kGameExeName[] = L"kxmain.exe";
inline constexpr wchar_t kEngineDllName[] = L"kxmain.dll";

// Relative to gameDir, in the order they are checked. With findownload.dat
// only the first kCompletenessAfterPackage must exist, otherwise all of them.
inline constexpr const wchar_t* kCompletenessList[] = {
    kEngineDllName,         kGameExeName,           L"HashRes\\A4\\B5E22B", L"HashRes\\29\\98F231",
    L"HashRes\\48\\02AFA8", L"HashRes\\2A\\0B96FE", L"HashRes\\49\\47FC7F", L"HashRes\\7F\\569D84",
    L"HashRes\\1D\\17CF03", L"HashRes\\89\\A334F0",
};
inline constexpr size_t kCompletenessAfterPackage = 2;

// From the cache root (WEB_KX_DIR_PATH).
std::wstring gameDirOf(const std::wstring& cacheRoot);      // root\Kx
std::wstring downloadDirOf(const std::wstring& cacheRoot);  // root\KxDownload
// A drive root such as "D:\" or "D:" -> D:\Corvane\KxWeb.
std::wstring cacheRootOnDrive(const std::wstring& driveRoot);

// From the game directory (gameDir).
struct GameDirLayout {
  explicit GameDirLayout(std::wstring gameDir) : gameDir(std::move(gameDir)) {}

  std::wstring hashRes() const;      // Kx\HashRes
  std::wstring pkres() const;        // Kx\Documents\pkres
  std::wstring subver() const;       // Kx\Documents\subver
  std::wstring patchCache() const;   // Kx\Documents\patch_cache
  std::wstring backup() const;       // Kx\Backup
  std::wstring backupTemp() const;   // Kx\backuptemp
  std::wstring versionIni() const;   // Kx\version.ini
  std::wstring finDownload() const;  // Kx\findownload.dat
  std::wstring backupManifest() const;  // Kx\Backup\checkinfo.lst
  std::wstring gameExe() const;      // Kx\kxmain.exe
  std::wstring engineDll() const;    // Kx\kxmain.dll

  std::wstring gameDir;
};

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_CACHE_CACHE_LAYOUT_H_
