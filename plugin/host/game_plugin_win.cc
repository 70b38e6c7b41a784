#include "plugin/host/game_plugin.h"

#include <new>

#include "common/base/text_convert_win.h"
#include "common/base/trace.h"
#include "plugin/host/game_scriptable_object.h"
#include "plugin/host/required_files_win.h"
#include "plugin/npapi/host_funcs.h"

GamePlugin::GamePlugin(NPP npp) : NPPlugin::Plugin(npp) { pluginHelper_.owner = this; }

GamePlugin::~GamePlugin() {
  pluginHelper_.owner = nullptr;
  if (scriptableObject_) {
    static_cast<NPPlugin::GameScriptableObject*>(scriptableObject_)->detachPlugin();
    NPPlugin::npnReleaseObject(scriptableObject_);
    scriptableObject_ = nullptr;
  }
}

bool GamePlugin::attachWindow(NPWindow* window) {
  if (!window || !window->window) return false;
  hwnd_ = window->window;
  npWindow_ = window;
  windowAttached_ = true;
  HWND hwnd = this->window();
  // SetWindowLongPtrW is SetWindowLongW on i686 and keeps the whole pointer on x86_64.
  savedWindowProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&GamePlugin::pluginWindowProc)));
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  pluginHelper_.init();
  pluginHelper_.notifyPluginReady();
  return true;
}

void GamePlugin::detachWindow() {
  pluginHelper_.endProcesses();
  pluginHelper_.clearPageLoaded();
  windowAttached_ = false;
  if (hwnd_ && savedWindowProc_)
    SetWindowLongPtrW(window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(savedWindowProc_));
  savedWindowProc_ = nullptr;
  hwnd_ = nullptr;
}

NPObject* GamePlugin::getScriptableObject() {
  return scriptableObjectOfClass(&NPPlugin::gameScriptableClass);
}

void GamePlugin::onScriptMessage(const std::string& text) {
  std::wstring wide;
  pluginHelper_.onScriptMessage(kx::utf8ToWide(text, wide));
}

void GamePlugin::setParams(const std::string& text) {
  std::wstring wide;
  pluginHelper_.setParams(kx::utf8ToWide(text, wide));
}

void GamePlugin::updateWindow() {
  HWND outer = window();
  for (HWND parent = outer ? GetParent(outer) : nullptr; parent; parent = GetParent(parent))
    outer = parent;
  const BOOL updated = UpdateWindow(outer);
  kx::trace(L"GamePlugin::updateWindow::%s=UpdateWindow(%x)", updated ? L"TRUE" : L"FALSE",
            static_cast<uint32_t>(reinterpret_cast<uintptr_t>(outer)));
}

bool GamePlugin::checkRequiredFiles() { return NPPlugin::checkRequiredFiles(); }

LRESULT CALLBACK GamePlugin::pluginWindowProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  auto* plugin = reinterpret_cast<GamePlugin*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  // A detached instance hears nothing more, even if its procedure is still chained in.
  if (plugin && plugin->isWindowAttached() && plugin->window() == window) {
    switch (message) {
      case WM_SIZE:
        plugin->pluginHelper_.resizeGame(LOWORD(lParam), HIWORD(lParam));
        break;
      case WM_COPYDATA:
        plugin->pluginHelper_.onCopyData(reinterpret_cast<HWND>(wParam),
                                         reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        break;
      case WM_TIMER:
        plugin->pluginHelper_.onTimer(window, static_cast<UINT_PTR>(wParam));
        break;
      default:
        break;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

nsPluginInstanceBase* createPluginInstance(const PluginCreateData& data) {
  // Owned through the NPP's pdata until destroyPluginInstance.
  return new (std::nothrow) GamePlugin(data.instance);
}

void destroyPluginInstance(nsPluginInstanceBase* instance) { delete instance; }
