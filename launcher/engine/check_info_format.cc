#include "launcher/engine/check_info_format.h"

#include "launcher/engine/engine_version.h"
#include "common/base/text.h"

namespace kx::launcher {
namespace {

int32_t parseSize(std::wstring text) {
  trimRight(text, L"\r");
  if (text.empty() || text.size() > 10) return kUntrustedSize;
  int64_t value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return kUntrustedSize;
    value = value * 10 + (c - L'0');
  }
  return value > INT32_MAX ? kUntrustedSize : static_cast<int32_t>(value);
}

}  // namespace

std::string formatCheckInfoLine(const std::string& utf8Name, int32_t size) {
  return utf8Name + " " + std::to_string(size) + "\r\n";
}

std::vector<CheckInfoEntry> parseCheckInfo(const std::wstring& text) {
  std::vector<CheckInfoEntry> entries;
  if (text.empty()) return entries;
  for (const std::wstring& line : splitString(text, L"\n")) {
    const std::vector<std::wstring> fields = splitString(line, L" ");
    if (fields.size() < 2) continue;
    CheckInfoEntry entry{fields[0], parseSize(fields[1])};
    if (!isSafeRelativeName(entry.name)) entry.size = kUntrustedSize;
    entries.push_back(entry);
  }
  return entries;
}

std::string formatBackupRecord(const std::string& utf8Version,
                               const std::vector<std::string>& utf8AddedNames) {
  std::string out = utf8Version + "\r\n";
  for (const std::string& name : utf8AddedNames) out += name + "\r\n";
  return out;
}

BackupRecord parseBackupRecord(const std::wstring& text) {
  BackupRecord record;
  const std::vector<std::wstring> lines = splitString(text, L"\n");
  if (lines.empty()) return record;
  std::wstring version = lines[0];
  trimLeft(version, L" \r");
  trimRight(version, L" \r");
  // Backups are only ever taken of a full version.
  if (fullVersionOf(version).empty() || isSubVersion(version)) return record;
  record.version = version;
  for (size_t i = 1; i < lines.size(); ++i) {
    std::wstring name = lines[i];
    trimLeft(name, L" \r");
    trimRight(name, L" \r");
    if (isSafeRelativeName(name)) record.addedNames.push_back(name);
  }
  return record;
}

}  // namespace kx::launcher
