#ifndef KX_LAUNCHER_ENGINE_ENGINE_UPDATE_WIN_H_
#define KX_LAUNCHER_ENGINE_ENGINE_UPDATE_WIN_H_

// Brings the engine files of the game directory to the version staged in
// Documents\pkres or Documents\subver, with backup and rollback.

#include <string>
#include <vector>

#include "common/base/clock.h"
#include "launcher/engine/engine_version.h"
#include "launcher/instances/running_clients.h"
#include "launcher/state/launcher_state.h"

namespace kx::launcher {

inline constexpr wchar_t kEngineVersionParseText[] = L"解析游戏引擎版本号失败";
inline constexpr wchar_t kEngineClientRunningText[] =
    L"当前有其它的Vantorra手游网页版正在运行，请先关闭后再尝试刷新本页面";
inline constexpr wchar_t kEngineListParseText[] = L"解析游戏引擎更新文件列表失败";
inline constexpr wchar_t kEngineRollbackText[] = L"更新游戏引擎文件失败（回滚游戏引擎文件失败）";
inline constexpr wchar_t kEngineCopyText[] = L"更新游戏引擎文件失败（拷贝游戏引擎文件失败）";
inline constexpr wchar_t kEngineBackupText[] = L"更新游戏引擎文件失败（备份游戏引擎文件失败）";

// First existing of dir\Documents\subver\fileName, dir\Documents\pkres\fileName,
// dir\fileName; empty when none exists or an input is empty.
std::wstring findEngineVersionFile(const std::wstring& dir, const std::wstring& fileName);
// False only when the file cannot be read; |entries| may be null.
bool readVersionFile(const std::wstring& path, std::wstring& version,
                     std::vector<EngineEntry>* entries);
// The version and CR LF, in UTF-8.
bool writeVersionFile(const std::wstring& path, const std::wstring& version);

// Moves sourceDir\name to targetDir\name (never replacing) for each name. On
// the first failure, with |undoOnFailure|, the names moved so far go back.
bool moveFiles(const std::wstring& sourceDir, const std::wstring& targetDir,
               const std::vector<std::wstring>& names, bool undoOnFailure);

// The file moves and copies of an update; tests make single calls fail.
class EngineFileOps {
 public:
  virtual ~EngineFileOps() = default;
  virtual bool move(const std::wstring& from, const std::wstring& to);           // never replaces
  virtual bool moveReplacing(const std::wstring& from, const std::wstring& to);
  virtual bool copy(const std::wstring& from, const std::wstring& to);           // overwrites
};

class EngineUpdater {
 public:
  // |clock| serves every wait (running clients, locked files). |clock| and
  // |ops| (not owned, may be null for the real calls) must outlive the updater.
  EngineUpdater(std::wstring gameDir, Clock& clock, EngineFileOps* ops = nullptr);

  // On failure |errorText| holds the reason; version.ini is rewritten only
  // after every file was copied.
  bool checkEngineVersion(std::wstring& errorText);

  // Copies sourceDir\name over targetDir\name; the replaced files wait in
  // backuptemp and all come back when any copy fails.
  bool copyEngineFiles(const std::wstring& sourceDir, const std::wstring& targetDir,
                       const std::vector<std::wstring>& names);
  // Fresh Backup folder with copies of the existing files, the manifest, and
  // the record of |installedVersion| and of the names that do not exist yet.
  bool backupEngineFiles(const std::vector<EngineEntry>& candidates,
                         const std::wstring& installedVersion);
  // Puts the Backup files back in place of the installed ones and removes the
  // files the sub-version added. |restoredVersion| (may be null) gets the
  // version the files are at now; empty when the backup does not say.
  bool rollbackEngineFiles(std::wstring* restoredVersion = nullptr);

 private:
  void sleep(uint32_t ms) const { clock_.sleep(ms); }

  std::wstring gameDir_;
  Clock& clock_;
  EngineFileOps* ops_;
};

// checkEngineVersion on state.gameDir, failure text in state.errorText.
bool checkEngineVersion(LauncherState& state, Clock& clock);

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_ENGINE_ENGINE_UPDATE_WIN_H_
