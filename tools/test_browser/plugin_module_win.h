#ifndef KX_TOOLS_TEST_BROWSER_PLUGIN_MODULE_WIN_H_
#define KX_TOOLS_TEST_BROWSER_PLUGIN_MODULE_WIN_H_

// A plug-in DLL loaded by path, with its three exports.

#include <windows.h>

#include <string>

#include "plugin/npapi/np_types.h"

namespace kx::browser {

class PluginModule {
 public:
  using GetEntryPointsFn = NPError(WINAPI*)(NPPluginFuncs*);
  using InitializeFn = NPError(WINAPI*)(NPNetscapeFuncs*);
  using ShutdownFn = NPError(WINAPI*)();

  PluginModule() = default;
  ~PluginModule();
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  // False when the DLL does not load or lacks an export (by its plain name).
  bool load(const std::wstring& path);
  HMODULE module() const { return module_; }

  GetEntryPointsFn getEntryPoints = nullptr;
  InitializeFn initialize = nullptr;
  ShutdownFn shutdown = nullptr;

 private:
  HMODULE module_ = nullptr;
};

}  // namespace kx::browser

#endif  // KX_TOOLS_TEST_BROWSER_PLUGIN_MODULE_WIN_H_
