#ifndef KX_LAUNCHER_STATE_LAUNCHER_STATE_H_
#define KX_LAUNCHER_STATE_LAUNCHER_STATE_H_

// The launcher's one record, alive from entry to exit. Every launcher step
// reads and writes these fields; failures leave their user-visible text in
// errorText for the flow to show.

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace kx::launcher {

inline constexpr wchar_t kDefaultPatchListUrl[] = L"http://update.corvane.net/kx_patchlist_win32";
inline constexpr int32_t kDefaultGameWidth = 960;
inline constexpr int32_t kDefaultGameHeight = 640;

struct LauncherState {
  int32_t hOcxWnd = 0;     // plug-in window as received; 0: no window, no reports, no boxes
  int32_t browserPid = 0;  // process that hosts the plug-in
  // Owned handle of the host process (normal and repair modes); empty when
  // not opened. Closed with the record.
  std::shared_ptr<void> hBrowserProcess;
  int32_t gameWidth = kDefaultGameWidth;
  int32_t gameHeight = kDefaultGameHeight;
  std::wstring GameUpdateUrl = kDefaultPatchListUrl;
  std::wstring WEB_KX_DIR_PATH;  // cache root
  std::wstring gameDir;          // WEB_KX_DIR_PATH\Kx
  std::wstring downloadDir;      // WEB_KX_DIR_PATH\KxDownload
  std::wstring errorText;
  std::map<std::wstring, std::wstring> launchParams;  // from extParam, case-sensitive keys
  std::map<std::wstring, std::wstring> patchList;     // key table of the fetched patch list
};

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_STATE_LAUNCHER_STATE_H_
