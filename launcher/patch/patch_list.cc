#include "launcher/patch/patch_list.h"

#include "common/base/text.h"
#include "launcher/report/confirmed_retry.h"
#include "launcher/util/version.h"

namespace kx::launcher {

bool parsePatchList(const std::wstring& text, PatchListTable& table) {
  for (std::wstring line : splitString(text, L"\n")) {
    trimLeft(line, L" \r");
    trimRight(line, L" \r");
    if (line.empty()) continue;
    if (line[0] == L'#') {
      const size_t space = line.find(L' ');
      if (space == std::wstring::npos) continue;
      table[line.substr(1, space - 1)] = line.substr(space + 1);
      continue;
    }
    // Package entry lines (four or more fields) carry nothing the launcher reads.
  }
  return true;
}

std::wstring lookupPatchKey(const PatchListTable& table, const std::wstring& key) {
  const auto it = table.find(key);
  return it == table.end() ? std::wstring() : it->second;
}

bool checkNeedToClearRes(const PatchListTable& table, const std::wstring& gameDir,
                         CacheChecks& checks) {
  const std::wstring onOff = lookupPatchKey(table, L"minivercheck");
  if (onOff.empty() || onOff == L"0") return false;
  const std::wstring miniver = lookupPatchKey(table, L"miniver");
  std::wstring installed;
  if (!checks.readInstalledVersion(gameDir, installed)) return false;
  return compareVersion(installed, miniver, true) < 0;
}

bool fetchPatchList(const FetchTextFn& fetch, MessageBoxPresenter& boxes, Clock& clock,
                    PatchListTable& table) {
  std::wstring text;
  if (!runConfirmedRetry([&] { return fetch(text); },
                         {kPatchListRetryText, kDownloadErrorCaption}, boxes, clock)) {
    return false;
  }
  return parsePatchList(text, table);
}

}  // namespace kx::launcher
