#include "tests/support/test_process_win.h"

#include <cstdlib>

namespace kx::test {

std::wstring hostPathToWindows(const std::string& hostPath) {
  std::wstring path;
  for (char c : hostPath) path += static_cast<wchar_t>(static_cast<unsigned char>(c));
  if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

std::wstring pathFromEnv(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == 0) return std::wstring();
  return hostPathToWindows(value);
}

std::wstring waitHelperPath() {
  const std::wstring dir = pathFromEnv("KX_TEST_HELPER_DIR");
  if (dir.empty()) return dir;
  return dir + L"\\kx_wait_helper.exe";
}

bool HelperProcess::start(const std::wstring& exePath) {
  if (!CopyFileW(waitHelperPath().c_str(), exePath.c_str(), FALSE)) return false;
  static LONG counter = 0;
  const std::wstring name = L"kx_wait_helper_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                            std::to_wstring(InterlockedIncrement(&counter));
  event_.reset(CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
  if (!event_.valid()) return false;
  std::wstring commandLine = L"\"" + exePath + L"\" " + name;
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &si, &pi)) {
    return false;
  }
  CloseHandle(pi.hThread);
  process_.reset(pi.hProcess);
  pid_ = pi.dwProcessId;
  return true;
}

bool HelperProcess::finish() {
  if (!process_.valid()) return true;
  if (event_.valid()) SetEvent(event_.get());
  const bool ended = WaitForSingleObject(process_.get(), 10000) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(process_.get(), 1);
  process_.reset();
  return ended;
}

}  // namespace kx::test
