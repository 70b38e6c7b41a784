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
  ScopedFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  std::string utf8;
  wideToUtf8(version, utf8);
  const std::string bytes = formatVersionText(utf8);
  DWORD written = 0;
  return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
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
  removeDirectoryTree(scratch);
  if (!makeDirectories(scratch, false)) return false;

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

bool EngineUpdater::backupEngineFiles(const std::vector<EngineEntry>& candidates) {
  const std::wstring backupDir = GameDirLayout(gameDir_).backup();
  removeDirectoryTree(backupDir);
  if (!makeDirectories(backupDir, false)) return false;
  return backupFiles(namesOf(candidates), gameDir_, backupDir);
}

bool EngineUpdater::rollbackEngineFiles() {
  const GameDirLayout layout(gameDir_);
  const std::wstring backupDir = layout.backup();
  std::vector<std::wstring> names;
  {
    CheckInfoList manifest(layout.backupManifest(), backupDir, CheckInfoList::Mode::kRead);
    if (!manifest.verify()) return false;
    names = manifest.names();
  }

  int waits = 0;
  for (const std::wstring& name : names) {
    while (!canOpenExclusively(joinPath(gameDir_, name))) {
      if (waits == kLockedFileWaits) return false;
      ++waits;
      sleep(kLockedFileWaitMs);
    }
  }

  const std::wstring scratch = layout.backupTemp();
  removeDirectoryTree(scratch);
  if (!makeDirectories(scratch, false)) return false;

  switch (moveFilesDetailed(*ops_, gameDir_, scratch, names, true)) {
    case MoveResult::kDone:
      break;
    case MoveResult::kFailedUndone:
      removeDirectoryTree(scratch);
      return false;
    case MoveResult::kFailedStuck:
      return false;  // installed files left in the scratch tree stay there
  }
  if (moveFilesDetailed(*ops_, backupDir, gameDir_, names, true) == MoveResult::kDone) {
    removeDirectoryTree(scratch);
    removeDirectoryTree(backupDir);
    return true;
  }
  // Put the installed files back, each one that can; whatever cannot go back
  // stays in scratch rather than being deleted with it.
  bool allBack = true;
  for (const std::wstring& name : names) {
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
  if (isSubVersion(curVer)) {
    if (!rollbackEngineFiles()) {
      errorText = kEngineRollbackText;
      return false;
    }
    // The files are the full version's again and Backup is gone: say so on
    // disk, or a later failure would leave a sub-version number that no
    // rollback can ever serve again.
    writeVersionFile(layout.versionIni(), fullVersionOf(curVer));
  }

  const std::vector<EngineEntry> candidates = selectCandidates(entries, curVer);
  if (!isSubVersion(realVer)) {
    if (!copyEngineFiles(layout.pkres(), gameDir_, fullVersionCopyList(candidates, curVer))) {
      errorText = kEngineCopyText;
      return false;
    }
  } else {
    if (!backupEngineFiles(candidates)) {
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
