#ifndef KX_LAUNCHER_ENGINE_INTEGRITY_WIN_H_
#define KX_LAUNCHER_ENGINE_INTEGRITY_WIN_H_

// Completeness of the game directory, the engine snapshot in HashRes, and the
// backup manifest checkinfo.lst.

#include <string>
#include <vector>

#include "launcher/engine/check_info_format.h"

namespace kx::launcher {

// kxmain.dll and kxmain.exe, plus the eight HashRes samples unless
// findownload.dat says a full package was unpacked.
bool checkEnginePath(const std::wstring& gameDir);

// Copies the files named exactly kxmain.dll and version.ini from |gameDir|
// into gameDir\HashRes (or back); folders are skipped; the first failed copy
// ends it. Always true.
bool saveEngineToHashRes(const std::wstring& gameDir);
bool restoreEngineFromHashRes(const std::wstring& gameDir);

// Size of a file through a 32-bit position; -1 when it cannot be opened or is
// 2 GiB or larger.
int32_t measureFileSize(const std::wstring& path);

// The manifest of a backup folder. Read mode loads the file at once (missing
// or unreadable: empty); write mode writes it only through write(), so that a
// manifest that did not reach the disk is a failure somebody sees.
class CheckInfoList {
 public:
  enum class Mode { kRead = 0, kWrite = 1 };

  CheckInfoList(std::wstring listPath, std::wstring baseDir, Mode mode);
  CheckInfoList(const CheckInfoList&) = delete;
  CheckInfoList& operator=(const CheckInfoList&) = delete;

  // Write mode: records baseDir\name with its current size.
  bool add(const std::wstring& name);
  // Write mode: creates or truncates the file, writes every line, flushes.
  bool write() const;
  // Read mode: not empty, and every file still has its recorded size.
  bool verify() const;
  // Read mode: the file was there and held no bytes at all, which is what a
  // backup of no existing files writes.
  bool emptyFile() const { return emptyFile_; }
  std::vector<std::wstring> names() const;
  const std::vector<CheckInfoEntry>& entries() const { return entries_; }

 private:
  std::wstring listPath_;
  std::wstring baseDir_;
  Mode mode_;
  bool emptyFile_ = false;
  std::vector<CheckInfoEntry> entries_;
};

// Copies the named files that exist from |fromDir| into |backupDir| and writes
// backupDir\checkinfo.lst (empty when none exists). On any failure, the
// manifest's own included, the backup folder is removed.
bool backupFiles(const std::vector<std::wstring>& names, const std::wstring& fromDir,
                 const std::wstring& backupDir);

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_ENGINE_INTEGRITY_WIN_H_
