#include "launcher/report/win_report_platform.h"

#include <windows.h>

#include "common/protocol/copy_data.h"
#include "common/protocol/wire.h"

namespace kx::launcher {

namespace {
HWND toWindow(int32_t window) {
  return reinterpret_cast<HWND>(fromWire32(static_cast<uint32_t>(window)));
}
}  // namespace

bool WinReportPlatform::sendCopyData(int32_t window, uint32_t id, const void* data,
                                     uint32_t size) {
  COPYDATASTRUCT cds = {};
  cds.dwData = id;
  cds.cbData = size;
  cds.lpData = const_cast<void*>(data);
  // The launcher sends with no window of its own: wParam is 0.
  static_assert(!kLauncherSend.wParamIsSenderWindow, "the launcher has no window to name");
  return ::SendMessageTimeoutW(toWindow(window), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds),
                               kLauncherSend.flags, kLauncherSend.timeoutMs, nullptr) != 0;
}

uintptr_t WinReportPlatform::rootWindow(int32_t window) {
  return reinterpret_cast<uintptr_t>(::GetAncestor(toWindow(window), GA_ROOT));
}

bool WinReportPlatform::processEnded(void* process) {
  return ::WaitForSingleObject(static_cast<HANDLE>(process), 0) == WAIT_OBJECT_0;
}

void WinReportPlatform::exitProcess(int code) { ::ExitProcess(static_cast<UINT>(code)); }

}  // namespace kx::launcher
