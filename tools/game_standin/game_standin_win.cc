// Stand-in game client (kxmain.exe) for tests of the launcher and the plug-in:
// reports its window to the plug-in window named on its command line, obeys
// show / resize / quit, logs every message it receives and plays a script.
// See README.md for the log lines, the script and the exit codes.

#include <windows.h>

#include <string>

#include "common/contracts/game_command_line.h"
#include "common/protocol/copy_data.h"
#include "common/protocol/payloads.h"
#include "common/protocol/wire.h"
#include "tests/support/copy_data_log.h"
#include "tools/game_standin/standin_io_win.h"
#include "tools/game_standin/standin_script.h"

namespace kx::standin {
namespace {

constexpr int kExitBadCommandLine = 2;
constexpr int kExitBadScript = 3;
constexpr int kExitLifetimeOver = 4;
constexpr int kExitNoWindow = 5;

constexpr UINT_PTR kLifetimeTimer = 1;
constexpr UINT_PTR kFirstStepTimer = 100;
constexpr UINT kRunStep = WM_APP + 1;  // wParam: step index

class GameStandin {
 public:
  GameStandin(const Log& log, Script script, const GameCommandLine& args)
      : log_(log), script_(std::move(script)), args_(args) {}

  int run(HINSTANCE instance) {
    if (!createWindow(instance)) {
      log_.line("exit " + std::to_string(kExitNoWindow));
      return kExitNoWindow;
    }
    const GameClientInfo info{toWire32(reinterpret_cast<uintptr_t>(window_)), GetCurrentProcessId(),
                              script_.startStatus};
    send(CD_GAME_CLIENT_INFO, encodeGameClientInfo(info));
    SetTimer(window_, kLifetimeTimer, script_.lifetimeMs, nullptr);
    for (size_t i = 0; i < script_.steps.size() && !ended_; ++i) {
      const Step& step = script_.steps[i];
      if (step.trigger == Trigger::kStart) {
        runStep(step);
      } else if (step.trigger == Trigger::kAfter) {
        SetTimer(window_, kFirstStepTimer + i, step.delayMs, nullptr);
      }
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    log_.line("exit " + std::to_string(exitCode_));
    return exitCode_;
  }

 private:
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<GameStandin*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(hwnd, msg, wParam, lParam);
    return self->handle(hwnd, msg, wParam, lParam);
  }

  bool createWindow(HINSTANCE instance) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"KxMainStandin";
    if (RegisterClassExW(&wc) == 0) return false;
    window_ = CreateWindowExW(0, wc.lpszClassName, L"kxmain stand-in", WS_POPUP, 0, 0, args_.width,
                              args_.height, nullptr, nullptr, instance, this);
    return window_ != nullptr;
  }

  HWND pluginWindow() const {
    return reinterpret_cast<HWND>(fromWire32(static_cast<uint32_t>(args_.hOcxWnd)));
  }

  void send(uint32_t id, const Payload& payload) {
    sendCopyData(log_, pluginWindow(), reinterpret_cast<WPARAM>(window_), id, payload,
                 SMTO_ABORTIFHUNG, 5000);
  }

  void end(int code) {
    exitCode_ = code;
    ended_ = true;
    if (window_ != nullptr) DestroyWindow(window_);
    window_ = nullptr;
  }

  void runStep(const Step& step) {
    switch (step.kind) {
      case ActionKind::kSend:
        send(step.id, step.payload);
        break;
      case ActionKind::kExit:
        end(step.exitCode);
        break;
      case ActionKind::kStartGame:
        log_.line("start-game is the launcher's; ignored");
        break;
    }
  }

  void onCopyData(WPARAM wParam, const COPYDATASTRUCT* cds) {
    const uint32_t id = static_cast<uint32_t>(cds->dwData);
    const void* data = cds->lpData;
    const size_t size = cds->cbData;
    log_.line("recv wParam=" + std::to_string(toWire32(static_cast<uintptr_t>(wParam))) + " " +
              test::describeCopyData(id, data, size));
    if (script_.ignored.count(id) != 0) {
      log_.line("ignored " + test::copyDataIdText(id));
    } else if (id == CD_QUIT_GAME) {
      if (decodeQuitGame(data, size)) {
        log_.line("quit");
        PostMessageW(window_, WM_CLOSE, 0, 0);
      }
    } else if (id == CD_SHOW_GAME) {
      if (auto m = decodeShowGame(data, size)) ShowWindow(window_, m->show ? SW_SHOW : SW_HIDE);
    } else if (id == CD_RESIZE_GAME) {
      if (auto m = decodeResizeGame(data, size)) {
        SetWindowPos(window_, nullptr, 0, 0, m->width, m->height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
    }
    // Scripted answers go out after this send has returned, as a real
    // client's would.
    for (size_t i = 0; i < script_.steps.size(); ++i) {
      const Step& step = script_.steps[i];
      if (step.trigger == Trigger::kOn && step.onId == id) PostMessageW(window_, kRunStep, i, 0);
    }
  }

  LRESULT handle(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
      case WM_COPYDATA:
        if (lParam != 0) onCopyData(wParam, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return TRUE;
      case kRunStep:
        if (wParam < script_.steps.size()) runStep(script_.steps[wParam]);
        return 0;
      case WM_TIMER:
        if (wParam == kLifetimeTimer) {
          log_.line("lifetime over");
          end(kExitLifetimeOver);
        } else if (wParam >= kFirstStepTimer && wParam - kFirstStepTimer < script_.steps.size()) {
          KillTimer(hwnd, wParam);
          runStep(script_.steps[wParam - kFirstStepTimer]);
        }
        return 0;
      case WM_CLOSE:
        end(exitCode_);
        return 0;
      case WM_DESTROY:
        ended_ = true;
        PostQuitMessage(0);
        return 0;
      default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
  }

  const Log& log_;
  Script script_;
  GameCommandLine args_;
  HWND window_ = nullptr;
  bool ended_ = false;
  int exitCode_ = 0;
};

}  // namespace
}  // namespace kx::standin

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  using namespace kx::standin;
  const std::wstring folder = exeFolder();
  const Log log(folder + L"\\kxmain.log");
  const std::wstring arguments = commandLine != nullptr ? commandLine : L"";
  const std::optional<kx::GameCommandLine> args = kx::parseGameCommandLine(arguments);
  if (!args) {
    log.line("bad command line: " + wideToUtf8(arguments));
    return kExitBadCommandLine;
  }
  log.line("start hOcxWnd=" + std::to_string(args->hOcxWnd) +
           " browserPid=" + std::to_string(args->browserPid) +
           " width=" + std::to_string(args->width) + " height=" + std::to_string(args->height));
  std::optional<Script> script = loadScript(folder + L"\\kxmain.script", L"KX_STANDIN_SCRIPT", log);
  if (!script) return kExitBadScript;
  GameStandin game(log, std::move(*script), *args);
  return game.run(instance);
}
