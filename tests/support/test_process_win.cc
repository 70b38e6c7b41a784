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

bool ChildProcess::start(const std::wstring& exePath, const std::wstring& arguments,
                         const std::wstring& workDir) {
  terminate();
  std::wstring commandLine = L"\"" + exePath + L"\" " + arguments;
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workDir.empty() ? nullptr : workDir.c_str(), &si, &pi)) {
    return false;
  }
  CloseHandle(pi.hThread);
  process_.reset(pi.hProcess);
  pid_ = pi.dwProcessId;
  return true;
}

bool ChildProcess::waitForExit(uint32_t timeoutMs) const {
  return process_.valid() && WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0;
}

DWORD ChildProcess::exitCode() const {
  DWORD code = STILL_ACTIVE;
  if (process_.valid()) GetExitCodeProcess(process_.get(), &code);
  return code;
}

void ChildProcess::terminate() {
  if (!process_.valid()) return;
  if (WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0) {
    TerminateProcess(process_.get(), 1);
    WaitForSingleObject(process_.get(), 10000);
  }
}

bool HelperProcess::start(const std::wstring& exePath) {
  if (!CopyFileW(waitHelperPath().c_str(), exePath.c_str(), FALSE)) return false;
  static LONG counter = 0;
  const std::wstring name = L"kx_wait_helper_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                            std::to_wstring(InterlockedIncrement(&counter));
  event_.reset(CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
  if (!event_.valid()) return false;
  running_ = process_.start(exePath, name);
  return running_;
}

bool HelperProcess::finish() {
  if (!running_) return true;
  running_ = false;
  if (event_.valid()) SetEvent(event_.get());
  const bool ended = process_.waitForExit(10000);
  process_.terminate();
  return ended;
}

}  // namespace kx::test
