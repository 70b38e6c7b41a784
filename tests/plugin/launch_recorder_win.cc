// kx_launch_recorder: a launcher that only tells who started it and how.
// Appends "PID<TAB>OWN PATH<TAB>STARTF FLAGS<TAB>SHOW<TAB>COMMAND LINE" (UTF-8)
// to the file named by
// KX_LAUNCH_RECORD, then stays alive for KX_LAUNCH_STAY_MS (default 20000)
// so that the plug-in's supervision of it can be watched.
#include <windows.h>

#include <cstdlib>
#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t record[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"KX_LAUNCH_RECORD", record, MAX_PATH) > 0) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH - 1);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    const std::wstring line = std::to_wstring(GetCurrentProcessId()) + L"\t" + self + L"\t" +
                              std::to_wstring(startup.dwFlags) + L"\t" +
                              std::to_wstring(startup.wShowWindow) + L"\t" + GetCommandLineW() +
                              L"\n";
    const int n = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string utf8(n > 0 ? n : 0, '\0');
    if (n > 0)
      WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), &utf8[0], n,
                          nullptr, nullptr);
    HANDLE file = CreateFileW(record, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
      CloseHandle(file);
    }
  }
  wchar_t stay[32] = {};
  DWORD stayMs = 20000;
  if (GetEnvironmentVariableW(L"KX_LAUNCH_STAY_MS", stay, 32) > 0)
    stayMs = static_cast<DWORD>(std::wcstoul(stay, nullptr, 10));
  Sleep(stayMs);
  return 0;
}
