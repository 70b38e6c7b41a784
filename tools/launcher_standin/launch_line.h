#ifndef KX_TOOLS_LAUNCHER_STANDIN_LAUNCH_LINE_H_
#define KX_TOOLS_LAUNCHER_STANDIN_LAUNCH_LINE_H_

// The launcher stand-in's log line for the command line it was given, e.g.
//   mode normal hOcxWnd=1 browserPid=2 width=3 height=4 url=http://x extParam=LocalDir@C:\k
// Field 7 is left out when the command line has none; "mode rejected" for a
// command line that is none of the four forms.

#include <string>

#include "launcher/entry/command_line.h"

namespace kx::standin {

std::string describeLaunchCommand(const launcher::LaunchCommand& command);

}  // namespace kx::standin

#endif  // KX_TOOLS_LAUNCHER_STANDIN_LAUNCH_LINE_H_
