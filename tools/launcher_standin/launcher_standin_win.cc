// Stand-in launcher (KXLaunch.exe) for the plug-in's tests: logs the command
// line it was given, sends the scripted launcher messages to the plug-in
// window from it, and may start the stand-in game client so the chain
// completes. See README.md for the log, the script and the exit codes.

#include <windows.h>

#include <string>

#include "common/contracts/game_command_line.h"
#include "common/protocol/copy_data.h"
#include "common/protocol/wire.h"
#include "launcher/entry/command_line.h"
#include "tools/game_standin/standin_io_win.h"
#include "tools/game_standin/standin_script.h"
#include "tools/launcher_standin/launch_line.h"

namespace kx::standin {
namespace {

constexpr int kExitBadScript = 3;

std::wstring logPath() {
  const DWORD n = GetEnvironmentVariableW(L"KX_LAUNCHER_STANDIN_LOG", nullptr, 0);
  if (n > 1) {
    std::wstring value(n, L'\0');
    const DWORD got = GetEnvironmentVariableW(L"KX_LAUNCHER_STANDIN_LOG", value.data(), n);
    if (got > 0 && got < n) return value.substr(0, got);
  }
  return exeFolder() + L"\\KXLaunch.log";
}

bool startGame(const Log& log, const std::wstring& folder, const launcher::LaunchCommand& c) {
  const std::wstring exe = folder + L"\\kxmain.exe";
  const GameCommandLine args{c.hOcxWnd, c.browserPid, c.gameWidth, c.gameHeight};
  std::wstring commandLine = L"\"" + exe + L"\" " + formatGameCommandLine(args);
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  const bool ok = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                 nullptr, folder.c_str(), &si, &pi) != 0;
  if (ok) {
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  log.line("start-game " + wideToUtf8(exe) + (ok ? " ok" : " failed"));
  return ok;
}

int run(const Log& log, const Script& script, const launcher::LaunchCommand& command) {
  const HWND plugin = reinterpret_cast<HWND>(fromWire32(static_cast<uint32_t>(command.hOcxWnd)));
  const DWORD startTick = GetTickCount();
  for (const Step& step : script.steps) {
    if (step.trigger == Trigger::kOn) {
      log.line("on " + std::to_string(step.onId) + " needs a window; skipped");
      continue;
    }
    if (step.trigger == Trigger::kAfter) {
      // The scripted pace of a real launcher, not a test's wait.
      const DWORD elapsed = GetTickCount() - startTick;
      if (elapsed < step.delayMs) Sleep(step.delayMs - elapsed);
    }
    switch (step.kind) {
      case ActionKind::kSend:
        // As the launcher sends: wParam 0, SMTO_NORMAL, no time-out wait.
        sendCopyData(log, plugin, 0, step.id, step.payload, kLauncherSend.flags,
                     kLauncherSend.timeoutMs);
        break;
      case ActionKind::kStartGame:
        startGame(log, u16ToWide(step.folder), command);
        break;
      case ActionKind::kExit:
        log.line("exit " + std::to_string(step.exitCode));
        return step.exitCode;
    }
  }
  log.line("exit 0");
  return 0;
}

}  // namespace
}  // namespace kx::standin

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  using namespace kx::standin;
  const Log log(logPath());
  const std::wstring arguments = commandLine != nullptr ? commandLine : L"";
  log.line("args " + wideToUtf8(arguments));
  const kx::launcher::LaunchCommand command = kx::launcher::parseLaunchCommand(arguments);
  log.line(describeLaunchCommand(command));
  std::optional<Script> script =
      loadScript(exeFolder() + L"\\KXLaunch.script", L"KX_LAUNCHER_STANDIN_SCRIPT", log);
  if (!script) {
    log.line("exit " + std::to_string(kExitBadScript));
    return kExitBadScript;
  }
  return run(log, *script, command);
}
