#include "launcher/engine/engine_version.h"

#include <cwchar>
#include <string>

#include "common/base/text.h"
#include "launcher/util/version.h"

namespace kx::launcher {

bool isSafeRelativeName(const std::wstring& name) {
  if (name.empty() || name[0] == L'\\' || name[0] == L'/') return false;
  if (name.find(L':') != std::wstring::npos) return false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of(L"\\/", start);
    if (end == std::wstring::npos) end = name.size();
    const std::wstring part = name.substr(start, end - start);
    if (part.empty() || part == L"." || part == L"..") return false;
    start = end + 1;
  }
  return true;
}

void parseVersionText(const std::wstring& text, std::wstring& version,
                      std::vector<EngineEntry>* entries) {
  std::wstring content = text;
  trimLeft(content);
  trimRight(content);
  version.clear();
  if (entries) entries->clear();
  if (content.empty()) return;
  const std::vector<std::wstring> lines = splitString(content, L"\n");
  version = lines[0];
  trimLeft(version, L"\r");
  trimRight(version, L"\r");
  if (!entries) return;
  for (size_t i = 1; i < lines.size(); ++i) {
    std::vector<std::wstring> fields = splitString(lines[i], L" ");
    if (fields.size() < 3) continue;
    trimRight(fields[2], L"\r");
    if (!isSafeRelativeName(fields[0])) continue;
    entries->push_back({fields[0], fields[1], fields[2]});
  }
}

std::string formatVersionText(const std::string& utf8Version) { return utf8Version + "\r\n"; }

bool isSubVersion(const std::wstring& version) {
  int a = 0, b = 0, c = 0;
  if (std::swscanf(version.c_str(), L"%d.%d.%d", &a, &b, &c) != 3) return false;
  return c != 0;
}

std::wstring fullVersionOf(const std::wstring& version) {
  int a = 0, b = 0, c = 0;
  if (std::swscanf(version.c_str(), L"%d.%d.%d", &a, &b, &c) != 3) return std::wstring();
  return std::to_wstring(a) + L"." + std::to_wstring(b) + L".0";
}

std::vector<EngineEntry> selectCandidates(const std::vector<EngineEntry>& entries,
                                          const std::wstring& curVer) {
  std::vector<EngineEntry> out;
  for (const EngineEntry& e : entries) {
    if (compareVersion(e.version, curVer, true) > 0) out.push_back(e);
  }
  return out;
}

std::vector<std::wstring> fullVersionCopyList(const std::vector<EngineEntry>& candidates,
                                              const std::wstring& curVer) {
  std::vector<std::wstring> out;
  for (const EngineEntry& e : candidates) {
    if (compareVersion(e.version, curVer, false) > 0) out.push_back(e.name);
  }
  return out;
}

std::vector<std::wstring> namesOf(const std::vector<EngineEntry>& entries) {
  std::vector<std::wstring> out;
  for (const EngineEntry& e : entries) out.push_back(e.name);
  return out;
}

}  // namespace kx::launcher
