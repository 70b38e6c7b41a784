#ifndef KX_PLUGIN_HELPER_GAME_PLUGIN_HELPER_H_
#define KX_PLUGIN_HELPER_GAME_PLUGIN_HELPER_H_

// The instance's controller of one game run. The host calls the entry points
// below from NPAPI and from the plug-in window's procedure; the run itself
// (copy-data dispatch, timers, processes, launches) sits behind them.

#include <windows.h>

#include <cstdint>
#include <string>

#include "plugin/sdk/sdk_manager.h"

class GamePlugin;

class GamePluginHelper {
 public:
  GamePluginHelper() = default;
  ~GamePluginHelper() = default;
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
  void clearPageLoaded() { pageLoaded = 0; }

  WebSDK::SDKManager& sdk() { return sdkManager; }

  GamePlugin* owner = nullptr;

 private:
  int32_t pageLoaded = 0;
  WebSDK::SDKManager sdkManager;
};

#endif  // KX_PLUGIN_HELPER_GAME_PLUGIN_HELPER_H_
