#include "launcher/entry/launch_flows.h"

namespace kx::launcher {
namespace {

// Placeholder until the mode flows, the cache root and the game start exist:
// every step reports failure, so nothing is started.
class PendingLaunchFlows : public LaunchFlows {
 public:
  bool chooseCacheRoot(LauncherState&) override { return false; }
  bool runNormal(LauncherState&) override { return false; }
  bool runSwitch(LauncherState&) override { return false; }
  bool runRepair(LauncherState&) override { return false; }
  bool runClearPatch(LauncherState&) override { return false; }
  bool startGameClient(LauncherState&) override { return false; }
};

}  // namespace

std::unique_ptr<LaunchFlows> makeProductLaunchFlows(MessageBoxPresenter&) {
  return std::make_unique<PendingLaunchFlows>();
}

}  // namespace kx::launcher
