#ifndef KX_LAUNCHER_ENTRY_LAUNCH_FLOWS_H_
#define KX_LAUNCHER_ENTRY_LAUNCH_FLOWS_H_

// What the entry hands over once the command line is read: the four mode
// flows, the cache-root choice and the game-client start. Tests record the
// calls; the product plugs in its real steps.

#include <memory>

#include "common/ui/message_box.h"
#include "launcher/state/launcher_state.h"

namespace kx::launcher {

class LaunchFlows {
 public:
  virtual ~LaunchFlows() = default;

  // Picks a cache root into state.WEB_KX_DIR_PATH (switch, repair and clear
  // patch, when the given root is empty or missing). The entry ignores the result.
  virtual bool chooseCacheRoot(LauncherState& state) = 0;

  // Each returns true when the game client is to be started.
  virtual bool runNormal(LauncherState& state) = 0;
  virtual bool runSwitch(LauncherState& state) = 0;
  virtual bool runRepair(LauncherState& state) = 0;
  virtual bool runClearPatch(LauncherState& state) = 0;

  // Called only after a flow returned true; the entry ignores the result.
  virtual bool startGameClient(LauncherState& state) = 0;

  // The process exit code once everything above has run.
  virtual int exitCode() const { return 0; }
};

// The product's flows. Boxes they show go through |boxes|, which outlives them.
std::unique_ptr<LaunchFlows> makeProductLaunchFlows(MessageBoxPresenter& boxes);

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_ENTRY_LAUNCH_FLOWS_H_
