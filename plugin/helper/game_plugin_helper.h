#ifndef KX_PLUGIN_HELPER_GAME_PLUGIN_HELPER_H_
#define KX_PLUGIN_HELPER_GAME_PLUGIN_HELPER_H_

// The instance's controller of one game run. The host calls the entry points
// below from NPAPI and from the plug-in window's procedure; the decisions are
// the PluginController's, on the Windows of HelperPlatform.

#include <windows.h>

#include <cstdint>
#include <string>

#include "plugin/controller/plugin_controller.h"
#include "plugin/helper/helper_platform_win.h"
#include "plugin/sdk/sdk_manager.h"

class GamePlugin;

class GamePluginHelper {
 public:
  GamePluginHelper();
  ~GamePluginHelper();
  GamePluginHelper(const GamePluginHelper&) = delete;
  GamePluginHelper& operator=(const GamePluginHelper&) = delete;

  // Each time the instance attaches its window; then notifyPluginReady.
  void init();
  // Page call onPluginReady(); a launch when the page has already loaded.
  void notifyPluginReady();
  void onCopyData(HWND sender, const COPYDATASTRUCT* data);
  void onTimer(HWND window, UINT_PTR timerId);
  void resizeGame(int32_t width, int32_t height);
  // Ends launcher and game; false when the game survived.
  bool endProcesses();
  int32_t startGame();

  // From the scriptable object (UTF-16 texts).
  void onScriptMessage(const std::wstring& text);
  void setParams(const std::wstring& text);

  // Page loaded, instance present and its window attached.
  bool isReady() const;
  void clearPageLoaded() { controller_.clearPageLoaded(); }

  WebSDK::SDKManager& sdk() { return sdkManager; }
  kx::plugin::PluginController& controller() { return controller_; }

  GamePlugin* owner = nullptr;

 private:
  WebSDK::SDKManager sdkManager;
  HelperPlatform platform_;
  kx::plugin::PluginController controller_;
};

#endif  // KX_PLUGIN_HELPER_GAME_PLUGIN_HELPER_H_
