#include "launcher/patch/engine_cache_checks_win.h"

#include "launcher/engine/engine_update_win.h"
#include "common/base/text.h"

namespace kx::launcher {

bool EngineCacheChecks::readInstalledVersion(const std::wstring& gameDir, std::wstring& version) {
  return readVersionFile(joinPath(gameDir, L"version.ini"), version, nullptr);
}

}  // namespace kx::launcher
