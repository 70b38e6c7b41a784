// The launcher's composition root: the real pieces are built once here and
// handed to the flows, which know only their seams.

#include "launcher/entry/launch_flows.h"

#include "common/base/clock_win.h"
#include "launcher/cache/cache_root_win.h"
#include "launcher/flows/flow_steps_win.h"
#include "launcher/flows/game_start_win.h"
#include "launcher/flows/mode_flows.h"
#include "launcher/net/http_downloader.h"
#include "launcher/report/win_report_platform.h"

namespace kx::launcher {
namespace {

class ProductLaunchFlows : public LaunchFlows {
 public:
  explicit ProductLaunchFlows(MessageBoxPresenter& boxes) : boxes_(boxes), downloader_(clock_) {}

  bool chooseCacheRoot(LauncherState& state) override { return launcher::chooseCacheRoot(state); }
  bool runNormal(LauncherState& state) override { return run(state, normalLaunch); }
  bool runSwitch(LauncherState& state) override { return run(state, switchLaunch); }
  bool runRepair(LauncherState& state) override { return run(state, repairLaunch); }
  bool runClearPatch(LauncherState& state) override { return run(state, clearPatchLaunch); }
  bool startGameClient(LauncherState& state) override {
    return launcher::startGameClient(state, gameStart_, boxes_);
  }

 private:
  bool run(LauncherState& state, bool (*flow)(LauncherReports&, FlowSteps&)) {
    LauncherReports reports(state, reportPlatform_, boxes_, clock_);
    WinFlowSteps steps(reports, downloader_);
    return flow(reports, steps);
  }

  MessageBoxPresenter& boxes_;
  WinClock clock_;
  WinReportPlatform reportPlatform_;
  HttpDownloader downloader_;
  WinGameStartPlatform gameStart_;
};

}  // namespace

std::unique_ptr<LaunchFlows> makeProductLaunchFlows(MessageBoxPresenter& boxes) {
  return std::make_unique<ProductLaunchFlows>(boxes);
}

}  // namespace kx::launcher
