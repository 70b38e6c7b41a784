#ifndef KX_LAUNCHER_REPORT_WIN_REPORT_PLATFORM_H_
#define KX_LAUNCHER_REPORT_WIN_REPORT_PLATFORM_H_

#include "launcher/report/launcher_reports.h"

namespace kx::launcher {

// The real thing: SendMessageTimeoutW with a 0 ms time-out, so a busy plug-in
// window never holds the launcher up.
class WinReportPlatform : public ReportPlatform {
 public:
  bool sendCopyData(int32_t window, uint32_t id, const void* data, uint32_t size) override;
  uintptr_t rootWindow(int32_t window) override;
  bool processEnded(void* process) override;
  void exitProcess(int code) override;
};

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_REPORT_WIN_REPORT_PLATFORM_H_
