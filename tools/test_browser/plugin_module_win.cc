#include "tools/test_browser/plugin_module_win.h"

namespace kx::browser {
namespace {

// Through void(*)(): the one cast between function types that is allowed quietly.
template <typename Fn>
Fn exportOf(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

PluginModule::~PluginModule() {
  if (module_) FreeLibrary(module_);
}

bool PluginModule::load(const std::wstring& path) {
  module_ = LoadLibraryW(path.c_str());
  if (!module_) return false;
  getEntryPoints = exportOf<GetEntryPointsFn>(module_, "NP_GetEntryPoints");
  initialize = exportOf<InitializeFn>(module_, "NP_Initialize");
  shutdown = exportOf<ShutdownFn>(module_, "NP_Shutdown");
  return getEntryPoints && initialize && shutdown;
}

}  // namespace kx::browser
