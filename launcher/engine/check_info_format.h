#ifndef KX_LAUNCHER_ENGINE_CHECK_INFO_FORMAT_H_
#define KX_LAUNCHER_ENGINE_CHECK_INFO_FORMAT_H_

// checkinfo.lst: one "name size" line per backed-up file.

#include <cstdint>
#include <string>
#include <vector>

namespace kx::launcher {

struct CheckInfoEntry {
  std::wstring name;
  int32_t size = 0;  // -1: the line could not be trusted; never verifies
  bool operator==(const CheckInfoEntry& o) const { return name == o.name && size == o.size; }
};

inline constexpr int32_t kUntrustedSize = -1;

// "name size" and CR LF, as a text-mode "%s %d\n" writes it.
std::string formatCheckInfoLine(const std::string& utf8Name, int32_t size);

// Lines split at LF, fields at spaces; lines with fewer than 2 fields are
// ignored. A size that is not a plain decimal in range, or a name that could
// leave the backup folder, gives kUntrustedSize.
std::vector<CheckInfoEntry> parseCheckInfo(const std::wstring& text);

// Backup\backupinfo.lst, written beside the manifest: line 1 the version the
// backed-up files belong to (what a rollback restores), then one line per file
// the sub-version adds (nothing to back up; a rollback removes it). UTF-8,
// CR LF. A backup without it comes from an older launcher.
inline constexpr wchar_t kBackupRecordName[] = L"backupinfo.lst";

struct BackupRecord {
  std::wstring version;  // empty: unknown
  std::vector<std::wstring> addedNames;
  bool operator==(const BackupRecord& o) const {
    return version == o.version && addedNames == o.addedNames;
  }
};

std::string formatBackupRecord(const std::string& utf8Version,
                               const std::vector<std::string>& utf8AddedNames);
// A first line that is not a full version (three numbers, the third 0) makes
// the whole record unknown; a name that could leave the game folder is dropped.
BackupRecord parseBackupRecord(const std::wstring& text);

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_ENGINE_CHECK_INFO_FORMAT_H_
