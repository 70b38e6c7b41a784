#include "launcher/report/launcher_reports.h"

#include "common/protocol/copy_data.h"
#include "common/protocol/payloads.h"
#include "common/base/trace.h"

namespace kx::launcher {

bool LauncherReports::sendLaunchProgress(uint8_t progress, uint8_t status) {
  if (state_.hOcxWnd == 0) return false;
  trace(L"sendLaunchProgress hOcxWnd = %d, progress = %d, status = %d", state_.hOcxWnd, progress,
        status);
  const Payload p = encodeLaunchProgress({progress, status});
  sendCopyData(CD_LAUNCH_PROGRESS, p.data(), static_cast<uint32_t>(p.size()));
  return true;
}

uint32_t LauncherReports::sendCopyData(uint32_t id, const void* data, uint32_t size) {
  if (state_.hOcxWnd == 0) return 0;
  if (!platform_.sendCopyData(state_.hOcxWnd, id, data, size)) {
    trace(L"sendMessage Block sending, ERROR = %d\n", 0);
    return 0;
  }
  return size;
}

void LauncherReports::showErrorBox(const std::wstring& first, const std::wstring& second) {
  if (state_.hOcxWnd == 0) return;
  boxes_.show(platform_.rootWindow(state_.hOcxWnd), first.empty() ? second : first,
              kFlowBoxCaption, kMbOk);
}

void LauncherReports::showAlwaysBox(const std::wstring& text) {
  const uintptr_t owner = state_.hOcxWnd == 0 ? 0 : platform_.rootWindow(state_.hOcxWnd);
  boxes_.show(owner, text, kFlowBoxCaption, kMbOk);
}

bool LauncherReports::isBrowserAlive() {
  return !(state_.hBrowserProcess && platform_.processEnded(state_.hBrowserProcess.get()));
}

void LauncherReports::exitForGoneBrowser() {
  state_.hBrowserProcess.reset();
  platform_.exitProcess(1);
}

bool LauncherReports::onDownloadProgress(int32_t received, int32_t total) {
  if (!isBrowserAlive()) {
    exitForGoneBrowser();
    return false;
  }
  const uint32_t speed = computeDownloadSpeed(received);
  if (speed != 0 && state_.hOcxWnd != 0) {
    const Payload p = encodeDownloadSpeed(
        {speed, static_cast<uint32_t>(received), static_cast<uint32_t>(total)});
    sendCopyData(CD_DOWNLOAD_SPEED, p.data(), static_cast<uint32_t>(p.size()));
  }
  const int eighth = meter_.nextEighth(received, total);
  if (eighth != 0) sendLaunchProgress(4, static_cast<uint8_t>(eighth));
  return true;
}

bool LauncherReports::onUnzipProgress(int32_t done, int32_t count) {
  if (!isBrowserAlive()) {
    exitForGoneBrowser();
    return false;
  }
  if (state_.hOcxWnd != 0) {
    const Payload p =
        encodeUnzipProgress({static_cast<uint32_t>(done), static_cast<uint32_t>(count)});
    sendCopyData(CD_UNZIP_PROGRESS, p.data(), static_cast<uint32_t>(p.size()));
  }
  return true;
}

}  // namespace kx::launcher
