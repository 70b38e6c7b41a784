#ifndef KX_PLUGIN_HELPER_HELPER_PLATFORM_WIN_H_
#define KX_PLUGIN_HELPER_HELPER_PLATFORM_WIN_H_

// The controller's Windows: the instance's window and its timers, copy-data
// sends, process handles, the verified launcher start, boxes and dialog 2002.

#include <windows.h>

#include "plugin/controller/controller_platform.h"

class GamePluginHelper;

class HelperPlatform : public kx::plugin::ControllerPlatform {
 public:
  explicit HelperPlatform(GamePluginHelper& helper) : helper_(helper) {}

  bool hasInstance() override;
  bool windowAttached() override;
  uint32_t pluginWindow() override;
  void setTimer(uint32_t id, uint32_t periodMs) override;
  void killTimer(uint32_t id) override;
  bool sendCopyData(uint32_t target, uint32_t wParam, uint32_t id,
                    const std::vector<uint8_t>& payload, uint32_t flags,
                    uint32_t timeoutMs) override;
  kx::plugin::ProcessHandle openProcess(uint32_t access, uint32_t processId) override;
  std::u16string processImagePath(kx::plugin::ProcessHandle process) override;
  bool waitProcess(kx::plugin::ProcessHandle process, uint32_t ms) override;
  bool terminateProcess(kx::plugin::ProcessHandle process, uint32_t exitCode) override;
  uint32_t lastError() override;
  void closeProcess(kx::plugin::ProcessHandle process) override;
  uint32_t currentProcessId() override;
  kx::plugin::ProcessHandle startLauncher(const std::u16string& commandLine) override;
  kx::plugin::WindowSize screenSize() override;
  std::optional<kx::plugin::WindowSize> windowRectSize(uint32_t window) override;
  uint32_t rootWindow(uint32_t window) override;
  int messageBox(uint32_t owner, const std::u16string& text, const std::u16string& caption,
                 uint32_t style) override;
  bool pluginModuleFound() override;
  void runRepairDialog(uint32_t owner) override;

 private:
  GamePluginHelper& helper_;
};

// Dialog 2002; lParam at WM_INITDIALOG is the instance's GamePluginHelper.
INT_PTR CALLBACK repairDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif  // KX_PLUGIN_HELPER_HELPER_PLATFORM_WIN_H_
