#ifndef KX_PLUGIN_HOST_GAME_PLUGIN_H_
#define KX_PLUGIN_HOST_GAME_PLUGIN_H_

// The plug-in instance: takes over the browser's window for it, routes that
// window's messages to its GamePluginHelper, and hands out its scriptable
// object.

#include <windows.h>

#include "plugin/helper/game_plugin_helper.h"
#include "plugin/host/script_host.h"
#include "plugin/npapi/plugin_base.h"

class GamePlugin : public NPPlugin::Plugin, public NPPlugin::ScriptHost {
 public:
  explicit GamePlugin(NPP npp);
  // Gives up the scriptable object: unbinds it and drops this instance's reference.
  ~GamePlugin() override;

  bool attachWindow(NPWindow* window) override;
  void detachWindow() override;
  NPObject* getScriptableObject() override;

  // ScriptHost.
  void onScriptMessage(const std::string& text) override;
  void setParams(const std::string& text) override;
  void updateWindow() override;
  bool checkRequiredFiles() override;

  HWND window() const { return static_cast<HWND>(hwnd()); }
  GamePluginHelper& helper() { return pluginHelper_; }

  static LRESULT CALLBACK pluginWindowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam);

 private:
  // Kept per instance, so that instances on several windows each put back
  // the procedure they replaced.
  WNDPROC savedWindowProc_ = nullptr;
  GamePluginHelper pluginHelper_;
};

#endif  // KX_PLUGIN_HOST_GAME_PLUGIN_H_
