#ifndef KX_TESTS_SUPPORT_TEST_PROCESS_WIN_H_
#define KX_TESTS_SUPPORT_TEST_PROCESS_WIN_H_

// Starts copies of kx_wait_helper.exe as stand-in game clients for tests.

#include <windows.h>

#include <cstdint>
#include <string>

#include "common/base/scoped_handle.h"

namespace kx::test {

// A host path given to a test under Wine ("/work/x") as a Windows path
// ("Z:\\work\\x"); Windows paths pass unchanged but for the separators.
std::wstring hostPathToWindows(const std::string& path);
// hostPathToWindows of an environment variable; empty when it is not set.
std::wstring pathFromEnv(const char* name);

// Windows path of the helper, from KX_TEST_HELPER_DIR (a host path under Wine).
std::wstring waitHelperPath();

// A process started by a test; terminated (exit code 1) if it is still running
// when its owner goes.
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess() { terminate(); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Runs "<exePath>" <arguments> in |workDir| (empty: the test's own).
  bool start(const std::wstring& exePath, const std::wstring& arguments,
             const std::wstring& workDir = std::wstring());
  // Waits for the end; false on time-out or when nothing was started.
  bool waitForExit(uint32_t timeoutMs) const;
  // STILL_ACTIVE until it has ended.
  DWORD exitCode() const;
  // Ends it if running and waits for that (up to 10 s).
  void terminate();
  bool started() const { return process_.valid(); }
  HANDLE handle() const { return process_.get(); }
  uint32_t pid() const { return pid_; }

 private:
  kx::ScopedHandle process_;
  uint32_t pid_ = 0;
};

class HelperProcess {
 public:
  // Copies the helper to |exePath| (parents must exist) and starts it.
  bool start(const std::wstring& exePath);
  // Lets it exit and waits for that (up to 10 s); true when it ended.
  bool finish();
  uint32_t pid() const { return process_.pid(); }
  HANDLE handle() const { return process_.handle(); }
  ~HelperProcess() { finish(); }

 private:
  kx::ScopedHandle event_;
  ChildProcess process_;
  bool running_ = false;
};

}  // namespace kx::test

#endif  // KX_TESTS_SUPPORT_TEST_PROCESS_WIN_H_
