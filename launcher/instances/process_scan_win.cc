#include "launcher/instances/process_scan_win.h"

#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include "common/base/scoped_handle.h"

namespace kx::launcher {
namespace {
// Longer than MAX_PATH so a deep game directory is not cut off and missed.
constexpr DWORD kModulePathChars = 1024;
}  // namespace

std::vector<RunningProcess> findProcessesUnder(const std::wstring& dir) {
  std::vector<RunningProcess> found;
  ScopedFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.valid()) return found;
  const DWORD self = GetCurrentProcessId();
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == self) continue;
    ScopedHandle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, entry.th32ProcessID));
    if (!process.valid()) continue;
    wchar_t path[kModulePathChars] = {};
    const DWORD n = GetModuleFileNameExW(process.get(), nullptr, path, kModulePathChars);
    if (n == 0 || path[0] == L'\0') continue;
    if (isPathUnder(std::wstring(path, n), dir)) {
      found.push_back({static_cast<uint32_t>(entry.th32ProcessID), entry.szExeFile});
    }
  }
  return found;
}

std::vector<uint32_t> findProcessIdsUnder(const std::wstring& dir) {
  std::vector<uint32_t> ids;
  for (const RunningProcess& p : findProcessesUnder(dir)) ids.push_back(p.pid);
  return ids;
}

bool waitForOtherClients(const std::wstring& gameDir, Clock& clock) {
  return waitForOtherClients([&] { return !findProcessIdsUnder(gameDir).empty(); }, clock);
}

}  // namespace kx::launcher
