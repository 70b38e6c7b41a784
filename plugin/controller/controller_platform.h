#ifndef KX_PLUGIN_CONTROLLER_CONTROLLER_PLATFORM_H_
#define KX_PLUGIN_CONTROLLER_CONTROLLER_PLATFORM_H_

// Everything the controller asks of Windows and of its plug-in instance.
// Windows travel as their 32-bit values; process handles are opaque, 0 is none.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kx::plugin {

using ProcessHandle = uintptr_t;

struct WindowSize {
  int32_t width = 0;
  int32_t height = 0;
};

class ControllerPlatform {
 public:
  virtual ~ControllerPlatform() = default;

  // The owning instance, and whether its window is attached.
  virtual bool hasInstance() = 0;
  virtual bool windowAttached() = 0;
  // The plug-in window; 0 without one.
  virtual uint32_t pluginWindow() = 0;

  // Timers on the plug-in window.
  virtual void setTimer(uint32_t id, uint32_t periodMs) = 0;
  virtual void killTimer(uint32_t id) = 0;

  // One SendMessageTimeoutW with WM_COPYDATA; true when the call succeeded.
  virtual bool sendCopyData(uint32_t target, uint32_t wParam, uint32_t id,
                            const std::vector<uint8_t>& payload, uint32_t flags,
                            uint32_t timeoutMs) = 0;

  virtual ProcessHandle openProcess(uint32_t access, uint32_t processId) = 0;
  // The main module's path, at most 259 units; empty when it cannot be read.
  virtual std::u16string processImagePath(ProcessHandle process) = 0;
  // True when the process ended within |ms|.
  virtual bool waitProcess(ProcessHandle process, uint32_t ms) = 0;
  virtual bool terminateProcess(ProcessHandle process, uint32_t exitCode) = 0;
  virtual uint32_t lastError() = 0;
  virtual void closeProcess(ProcessHandle process) = 0;
  virtual uint32_t currentProcessId() = 0;
  // The verified launcher from the system directory with |commandLine|,
  // hidden; 0 when the file is refused or the process cannot be created.
  virtual ProcessHandle startLauncher(const std::u16string& commandLine) = 0;

  virtual WindowSize screenSize() = 0;
  virtual std::optional<WindowSize> windowRectSize(uint32_t window) = 0;
  virtual uint32_t rootWindow(uint32_t window) = 0;
  // The pressed button's id.
  virtual int messageBox(uint32_t owner, const std::u16string& text,
                         const std::u16string& caption, uint32_t style) = 0;
  // This module is loaded under the name "NPKXGamePlugin.dll".
  virtual bool pluginModuleFound() = 0;
  // Dialog 2002, modal to |owner|; its buttons come back through
  // PluginController::onRepairDialogCommand until it closes.
  virtual void runRepairDialog(uint32_t owner) = 0;
};

}  // namespace kx::plugin

#endif  // KX_PLUGIN_CONTROLLER_CONTROLLER_PLATFORM_H_
