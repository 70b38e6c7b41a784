#ifndef KX_LAUNCHER_ENTRY_LAUNCHER_ENTRY_H_
#define KX_LAUNCHER_ENTRY_LAUNCHER_ENTRY_H_

namespace kx::launcher {

// Runs the launcher for one argument string (the command line without the
// program name) and returns the process exit code.
int runLauncher(const wchar_t* arguments);

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_ENTRY_LAUNCHER_ENTRY_H_
