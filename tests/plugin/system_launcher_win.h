#ifndef KX_TESTS_PLUGIN_SYSTEM_LAUNCHER_WIN_H_
#define KX_TESTS_PLUGIN_SYSTEM_LAUNCHER_WIN_H_

// The one place the plug-in starts its launcher from, KXLaunch.exe in the
// system directory, filled for one test, and the processes started from it.

#include <windows.h>

#include <string>
#include <vector>

namespace kx::testing {

std::wstring systemDirectory();
std::wstring systemLauncherPath();

// Copies |source| to systemLauncherPath() and removes it again.
class SystemLauncher {
 public:
  explicit SystemLauncher(const std::wstring& source);
  ~SystemLauncher();
  SystemLauncher(const SystemLauncher&) = delete;
  SystemLauncher& operator=(const SystemLauncher&) = delete;
  bool copied() const { return copied_; }

 private:
  bool copied_ = false;
};

// Ids of running processes with the executable name |name| (any case) and,
// when |parent| is not 0, that parent.
std::vector<DWORD> processesNamed(const wchar_t* name, DWORD parent = 0);
// The full image path of process |pid|; empty when it cannot be read.
std::wstring processImage(DWORD pid);

}  // namespace kx::testing

#endif  // KX_TESTS_PLUGIN_SYSTEM_LAUNCHER_WIN_H_
