#include "plugin/host/required_files_win.h"

#include <windows.h>

#include "common/base/scoped_handle.h"
#include "common/base/text.h"

namespace NPPlugin {

const std::vector<std::wstring>& requiredFiles() {
  static const std::vector<std::wstring> files{L"KXLaunch.exe"};
  return files;
}

bool filesPresent(const std::wstring& folder, const std::vector<std::wstring>& names) {
  for (const std::wstring& name : names) {
    WIN32_FIND_DATAW found;
    kx::ScopedFindHandle search(FindFirstFileW(kx::joinPath(folder, name).c_str(), &found));
    if (!search.valid()) return false;
  }
  return true;
}

bool checkRequiredFiles() {
  wchar_t system[MAX_PATH];
  const UINT length = GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  return filesPresent(std::wstring(system, length), requiredFiles());
}

}  // namespace NPPlugin
