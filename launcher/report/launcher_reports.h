#ifndef KX_LAUNCHER_REPORT_LAUNCHER_REPORTS_H_
#define KX_LAUNCHER_REPORT_LAUNCHER_REPORTS_H_

// How the launcher tells the plug-in window what it is doing, shows its
// failures, and notices that the browser went away. Windows stays behind
// ReportPlatform so the rules can be tested anywhere.

#include <cstdint>
#include <string>

#include "common/base/clock.h"
#include "common/ui/message_box.h"
#include "launcher/report/download_meter.h"
#include "launcher/state/launcher_state.h"

namespace kx::launcher {

inline constexpr wchar_t kFlowBoxCaption[] = L"Vantorra手游网页版";

class ReportPlatform {
 public:
  virtual ~ReportPlatform() = default;
  // WM_COPYDATA to |window| (a 32-bit handle value); true when it was delivered.
  virtual bool sendCopyData(int32_t window, uint32_t id, const void* data, uint32_t size) = 0;
  // GetAncestor(window, GA_ROOT), as a handle value for a box owner.
  virtual uintptr_t rootWindow(int32_t window) = 0;
  // True when the process handle is signalled (the process has ended).
  virtual bool processEnded(void* process) = 0;
  // Ends the process. The product never returns; tests record and return.
  virtual void exitProcess(int code) = 0;
};

class LauncherReports {
 public:
  LauncherReports(LauncherState& state, ReportPlatform& platform, MessageBoxPresenter& boxes,
                  Clock& clock)
      : state_(state), platform_(platform), boxes_(boxes), clock_(clock) {}
  LauncherReports(const LauncherReports&) = delete;
  LauncherReports& operator=(const LauncherReports&) = delete;

  // 0x1102; false only without a plug-in window.
  bool sendLaunchProgress(uint8_t progress, uint8_t status);
  // The size on success, 0 on failure (or without a window).
  uint32_t sendCopyData(uint32_t id, const void* data, uint32_t size);
  // |first| when not empty, else |second|; nothing without a plug-in window.
  void showErrorBox(const std::wstring& first, const std::wstring& second);
  // Shown even without a plug-in window (then without an owner).
  void showAlwaysBox(const std::wstring& text);
  bool isBrowserAlive();
  void clearErrorText() { state_.errorText.clear(); }

  // Transfer callbacks. Both end the launcher with exit code 1 when the
  // browser has gone; then they return false.
  bool onDownloadProgress(int32_t received, int32_t total);
  bool onUnzipProgress(int32_t done, int32_t count);
  uint32_t computeDownloadSpeed(int32_t received) {
    return meter_.computeDownloadSpeed(received, tickSeconds());
  }
  void resetDownloadSpeed() { meter_.resetSpeed(tickSeconds()); }

  // Closes the browser handle and ends the launcher with exit code 1.
  void exitForGoneBrowser();

  LauncherState& state() { return state_; }
  MessageBoxPresenter& boxes() { return boxes_; }
  Clock& clock() { return clock_; }

 private:
  uint32_t tickSeconds() { return clock_.tickCount() / 1000; }

  LauncherState& state_;
  ReportPlatform& platform_;
  MessageBoxPresenter& boxes_;
  Clock& clock_;
  DownloadMeter meter_;
};

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_REPORT_LAUNCHER_REPORTS_H_
