#ifndef KX_LAUNCHER_ENTRY_LAUNCHER_ENTRY_H_
#define KX_LAUNCHER_ENTRY_LAUNCHER_ENTRY_H_

#include "common/ui/message_box.h"
#include "launcher/entry/launch_flows.h"

namespace kx::launcher {

inline constexpr wchar_t kRejectedCommandLineText[] = L"请使用网页启动程序";
inline constexpr wchar_t kRejectedCommandLineCaption[] = L"启动失败";

// Runs the launcher for one argument string (the command line without the
// program name) and returns the process exit code. Uses real message boxes
// and the product's flows.
int runLauncher(const wchar_t* arguments);

// The same with the flows and the boxes supplied by the caller.
int runLauncher(const wchar_t* arguments, LaunchFlows& flows, MessageBoxPresenter& boxes);

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_ENTRY_LAUNCHER_ENTRY_H_
