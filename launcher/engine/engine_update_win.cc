#include "launcher/engine/engine_update_win.h"

#include <windows.h>

#include <utility>

#include "common/base/scoped_handle.h"
#include "launcher/cache/cache_layout.h"
#include "launcher/engine/integrity_win.h"
#include "launcher/instances/process_scan_win.h"
#include "launcher/util/file_util_win.h"
#include "common/base/text.h"
#include "common/base/text_convert_win.h"
#include "launcher/util/version.h"

namespace kx::launcher {
namespace {

constexpr int kLockedFileWaits = 10;
constexpr uint32_t kLockedFileWaitMs = 1000;

enum class MoveResult { kDone, kFailedUndone, kFailedStuck };

EngineFileOps& realFileOps() {
  static EngineFileOps ops;
  return ops;
}

MoveResult moveFilesDetailed(EngineFileOps& ops, const std::wstring& sourceDir,
                             const std::wstring& targetDir,
                             const std::vector<std::wstring>& names, bool undoOnFailure) {
  for (size_t i = 0; i < names.size(); ++i) {
    const std::wstring dst = joinPath(targetDir, names[i]);
    if (makeDirectories(dst, true) && ops.move(joinPath(sourceDir, names[i]), dst)) {
      continue;
    }
    if (!undoOnFailure) return MoveResult::kFailedStuck;
    bool undone = true;
    for (size_t j = i; j-- > 0;) {
      if (!ops.move(joinPath(targetDir, names[j]), joinPath(sourceDir, names[j]))) {
        undone = false;
      }
    }
    return undone ? MoveResult::kFailedUndone : MoveResult::kFailedStuck;
  }
  return MoveResult::kDone;
}

// Removes whatever |folder| holds and creates it empty. A folder that is still
// there after the removal (a link that cannot go, a locked file) is not reused.
bool makeFreshFolder(const std::wstring& folder) {
  if (!removeDirectoryTree(folder) && fileExists(folder)) return false;
  return makeDirectories(folder, false);
}

std::vector<std::string> utf8Names(const std::vector<std::wstring>& names) {
  std::vector<std::string> out;
  for (const std::wstring& name : names) {
    std::string utf8;
    wideToUtf8(name, utf8);
    out.push_back(utf8);
  }
  return out;
}

BackupRecord readBackupRecord(const std::wstring& path) {
  std::wstring text;
  if (!readTextFileUtf8(path, text)) return BackupRecord();
  return parseBackupRecord(text);
}

bool canOpenExclusively(const std::wstring& path) {
  ScopedFileHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file.valid();
}

}  // namespace

bool EngineFileOps::move(const std::wstring& from, const std::wstring& to) {
  return MoveFileW(from.c_str(), to.c_str()) != 0;
}
bool EngineFileOps::moveReplacing(const std::wstring& from, const std::wstring& to) {
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}
bool EngineFileOps::copy(const std::wstring& from, const std::wstring& to) {
  return CopyFileW(from.c_str(), to.c_str(), FALSE) != 0;
}

std::wstring findEngineVersionFile(const std::wstring& dir, const std::wstring& fileName) {
  if (dir.empty() || fileName.empty()) return std::wstring();
  const GameDirLayout layout(dir);
  for (const std::wstring& folder : {layout.subver(), layout.pkres(), dir}) {
    const std::wstring path = joinPath(folder, fileName);
    if (fileExists(path)) return path;
  }
  return std::wstring();
}

bool readVersionFile(const std::wstring& path, std::wstring& version,
                     std::vector<EngineEntry>* entries) {
  std::wstring text;
  if (path.empty() || !readTextFileUtf8(path, text)) return false;
  parseVersionText(text, version, entries);
  return true;
}

bool writeVersionFile(const std::wstring& path, const std::wstring& version) {
  std::string utf8;
  wideToUtf8(version, utf8);
  return writeFileFlushed(path, formatVersionText(utf8));
}

bool moveFiles(const std::wstring& sourceDir, const std::wstring& targetDir,
               const std::vector<std::wstring>& names, bool undoOnFailure) {
  return moveFilesDetailed(realFileOps(), sourceDir, targetDir, names, undoOnFailure) ==
         MoveResult::kDone;
}

EngineUpdater::EngineUpdater(std::wstring gameDir, Clock& clock, EngineFileOps* ops)
    : gameDir_(std::move(gameDir)), clock_(clock), ops_(ops ? ops : &realFileOps()) {}

bool EngineUpdater::copyEngineFiles(const std::wstring& sourceDir, const std::wstring& targetDir,
                                    const std::vector<std::wstring>& names) {
  const std::wstring scratch = GameDirLayout(gameDir_).backupTemp();
  if (!makeFreshFolder(scratch)) return false;

  struct Touched {
    std::wstring name;
    bool movedAside;  // false: dst did not exist before
  };
  std::vector<Touched> touched;
  bool ok = true;
  for (const std::wstring& name : names) {
    const std::wstring src = joinPath(sourceDir, name);
    const std::wstring dst = joinPath(targetDir, name);
    const std::wstring save = joinPath(scratch, name);
    if (!makeDirectories(dst, true) || !makeDirectories(save, true)) {
      ok = false;
      break;
    }
    const bool existed = fileExists(dst);
    if (existed && !ops_->move(dst, save)) {
      ok = false;
      break;
    }
    touched.push_back({name, existed});
    if (!ops_->copy(src, dst)) {
      ok = false;
      break;
    }
  }
  if (ok) {
    removeDirectoryTree(scratch);
    return true;
  }

  bool restored = true;
  for (auto it = touched.rbegin(); it != touched.rend(); ++it) {
    const std::wstring dst = joinPath(targetDir, it->name);
    if (it->movedAside) {
      if (!ops_->moveReplacing(joinPath(scratch, it->name), dst)) {
        restored = false;
      }
    } else if (fileExists(dst)) {
      DeleteFileW(dst.c_str());  // a file the update added
    }
  }
  // A file that could not go back still has its only copy in the scratch tree.
  if (restored) removeDirectoryTree(scratch);
  return false;
}

bool EngineUpdater::backupEngineFiles(const std::vector<EngineEntry>& candidates,
                                      const std::wstring& installedVersion) {
  const std::wstring backupDir = GameDirLayout(gameDir_).backup();
  if (!makeFreshFolder(backupDir)) return false;
  const std::vector<std::wstring> names = namesOf(candidates);
  std::vector<std::wstring> added;
  for (const std::wstring& name : names) {
    if (!fileExists(joinPath(gameDir_, name))) added.push_back(name);
  }
  if (!backupFiles(names, gameDir_, backupDir)) return false;
  std::string version;
  wideToUtf8(installedVersion, version);
  if (!writeFileFlushed(joinPath(backupDir, kBackupRecordName),
                        formatBackupRecord(version, utf8Names(added)))) {
    removeDirectoryTree(backupDir);
    return false;
  }
  return true;
}

bool EngineUpdater::rollbackEngineFiles(std::wstring* restoredVersion) {
  const GameDirLayout layout(gameDir_);
  const std::wstring backupDir = layout.backup();
  std::vector<std::wstring> names;
  {
    CheckInfoList manifest(layout.backupManifest(), backupDir, CheckInfoList::Mode::kRead);
    // An empty manifest is a backup of no files: a sub-version that only adds.
    if (!manifest.emptyFile() && !manifest.verify()) return false;
    names = manifest.names();
  }
  const BackupRecord record = readBackupRecord(joinPath(backupDir, kBackupRecordName));
  // The installed files that step aside: the replaced ones and the added ones.
  std::vector<std::wstring> aside = names;
  for (const std::wstring& name : record.addedNames) {
    if (fileExists(joinPath(gameDir_, name))) aside.push_back(name);
  }

  int waits = 0;
  for (const std::wstring& name : aside) {
    while (!canOpenExclusively(joinPath(gameDir_, name))) {
      if (waits == kLockedFileWaits) return false;
      ++waits;
      sleep(kLockedFileWaitMs);
    }
  }

  const std::wstring scratch = layout.backupTemp();
  if (!makeFreshFolder(scratch)) return false;

  switch (moveFilesDetailed(*ops_, gameDir_, scratch, aside, true)) {
    case MoveResult::kDone:
      break;
    case MoveResult::kFailedUndone:
      removeDirectoryTree(scratch);
      return false;
    case MoveResult::kFailedStuck:
      return false;  // installed files left in the scratch tree stay there
  }
  if (moveFilesDetailed(*ops_, backupDir, gameDir_, names, true) == MoveResult::kDone) {
    removeDirectoryTree(scratch);  // the added files go with it
    removeDirectoryTree(backupDir);
    if (restoredVersion) *restoredVersion = record.version;
    return true;
  }
  // Put the installed files back, each one that can; whatever cannot go back
  // stays in scratch rather than being deleted with it.
  bool allBack = true;
  for (const std::wstring& name : aside) {
    const std::wstring saved = joinPath(scratch, name);
    if (!fileExists(saved)) continue;
    const std::wstring dst = joinPath(gameDir_, name);
    if (!makeDirectories(dst, true) || !ops_->move(saved, dst)) allBack = false;
  }
  if (allBack) removeDirectoryTree(scratch);
  return false;
}

bool EngineUpdater::checkEngineVersion(std::wstring& errorText) {
  const GameDirLayout layout(gameDir_);
  const std::wstring stagedFile = findEngineVersionFile(gameDir_, kVersionIniName);
  std::wstring realVer;
  std::wstring curVer;
  if (!readVersionFile(stagedFile, realVer, nullptr) ||
      !readVersionFile(layout.versionIni(), curVer, nullptr)) {
    errorText = kEngineVersionParseText;
    return false;
  }
  if (compareVersion(realVer, curVer, true) == 0) return true;

  if (!waitForOtherClients(gameDir_, clock_)) {
    errorText = kEngineClientRunningText;
    return false;
  }

  std::vector<EngineEntry> entries;
  if (!readVersionFile(stagedFile, realVer, &entries)) {
    errorText = kEngineListParseText;
    return false;
  }
  // The version the files are at once any rollback is done: the candidates are
  // chosen against it, or files of the rolled-back sub-version's own changes
  // would stay at their older copies.
  std::wstring baseVer = curVer;
  if (isSubVersion(curVer)) {
    std::wstring restored;
    if (!rollbackEngineFiles(&restored)) {
      errorText = kEngineRollbackText;
      return false;
    }
    // A backup of an older launcher does not say; it sat on X.Y.0.
    baseVer = restored.empty() ? fullVersionOf(curVer) : restored;
    // The files are the restored version's again and Backup is gone: say so
    // on disk, or a later failure would leave a sub-version number that no
    // rollback can ever serve again.
    writeVersionFile(layout.versionIni(), baseVer);
  }

  const std::vector<EngineEntry> candidates = selectCandidates(entries, baseVer);
  if (!isSubVersion(realVer)) {
    if (!copyEngineFiles(layout.pkres(), gameDir_, fullVersionCopyList(candidates, baseVer))) {
      errorText = kEngineCopyText;
      return false;
    }
  } else {
    if (!backupEngineFiles(candidates, baseVer)) {
      errorText = kEngineBackupText;
      return false;
    }
    if (!copyEngineFiles(layout.subver(), gameDir_, namesOf(candidates))) {
      errorText = kEngineCopyText;
      return false;
    }
  }
  writeVersionFile(layout.versionIni(), realVer);
  return true;
}

bool checkEngineVersion(LauncherState& state, Clock& clock) {
  EngineUpdater updater(state.gameDir, clock);
  return updater.checkEngineVersion(state.errorText);
}

}  // namespace kx::launcher
