#ifndef KX_LAUNCHER_FLOWS_MODE_FLOWS_H_
#define KX_LAUNCHER_FLOWS_MODE_FLOWS_H_

// The four mode flows. Each returns true when the game client is to be
// started; every failure has sent its progress and shown its box already.

#include "launcher/flows/flow_steps.h"
#include "launcher/report/launcher_reports.h"

namespace kx::launcher {

bool normalLaunch(LauncherReports& reports, FlowSteps& steps);
bool switchLaunch(LauncherReports& reports, FlowSteps& steps);
bool repairLaunch(LauncherReports& reports, FlowSteps& steps);
bool clearPatchLaunch(LauncherReports& reports, FlowSteps& steps);

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_FLOWS_MODE_FLOWS_H_
