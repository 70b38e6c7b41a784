#include "tests/plugin/system_launcher_win.h"

#include <tlhelp32.h>

namespace kx::testing {

std::wstring systemDirectory() {
  wchar_t dir[MAX_PATH] = {};
  GetSystemDirectoryW(dir, MAX_PATH - 1);
  return dir;
}

std::wstring systemLauncherPath() { return systemDirectory() + L"\\KXLaunch.exe"; }

SystemLauncher::SystemLauncher(const std::wstring& source) {
  copied_ = CopyFileW(source.c_str(), systemLauncherPath().c_str(), FALSE) != 0;
}

SystemLauncher::~SystemLauncher() {
  // A launcher still running keeps its image busy for a moment.
  for (int i = 0; i < 250 && !DeleteFileW(systemLauncherPath().c_str()) &&
                  GetLastError() != ERROR_FILE_NOT_FOUND;
       ++i)
    Sleep(20);
}

std::vector<DWORD> processesNamed(const wchar_t* name, DWORD parent) {
  std::vector<DWORD> found;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return found;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
    if (_wcsicmp(entry.szExeFile, name) == 0 && (!parent || entry.th32ParentProcessID == parent))
      found.push_back(entry.th32ProcessID);
  CloseHandle(snapshot);
  return found;
}

std::wstring processImage(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return L"";
  wchar_t image[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  const bool ok = QueryFullProcessImageNameW(process, 0, image, &size) != 0;
  CloseHandle(process);
  return ok ? std::wstring(image, size) : std::wstring();
}

}  // namespace kx::testing
