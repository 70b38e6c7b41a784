#ifndef KX_TESTS_PLUGIN_BROWSER_SESSION_WIN_H_
#define KX_TESTS_PLUGIN_BROWSER_SESSION_WIN_H_

// Drives kx_test_browser over its line protocol: starts it on a plug-in DLL,
// sends commands, collects every output line.

#include <windows.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/base/scoped_handle.h"

namespace kx::testing {

using Line = std::vector<std::string>;

// A path from the environment (a Linux path becomes Z:\...).
std::wstring windowsPathFromEnv(const char* name);

class BrowserSession {
 public:
  BrowserSession() = default;
  ~BrowserSession();
  BrowserSession(const BrowserSession&) = delete;
  BrowserSession& operator=(const BrowserSession&) = delete;

  // Waits for the browser's "loaded" line.
  bool start(const std::wstring& dll, const std::wstring& extraArgs = L"");
  void send(const Line& fields);
  // The next line of |kind| after the last one of that kind returned; none
  // within |timeoutMs|.
  std::optional<Line> next(const std::string& kind, DWORD timeoutMs = 20000);
  // Sends a sync and waits for it: every answer to earlier commands is in.
  bool sync();
  // "quit", then the exit code (or -1).
  int finish();
  std::vector<Line> lines();
  // Lines of |kind| among all, with the time field removed.
  std::vector<Line> linesOf(const std::string& kind);

 private:
  void readLoop();

  ScopedHandle process_;
  ScopedFileHandle toBrowser_;
  ScopedFileHandle fromBrowser_;
  std::thread reader_;
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<Line> lines_;
  bool closed_ = false;
  std::map<std::string, size_t> cursors_;  // per kind: past the last line returned
  int syncs_ = 0;
};

}  // namespace kx::testing

#endif  // KX_TESTS_PLUGIN_BROWSER_SESSION_WIN_H_
