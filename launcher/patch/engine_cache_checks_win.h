#ifndef KX_LAUNCHER_PATCH_ENGINE_CACHE_CHECKS_WIN_H_
#define KX_LAUNCHER_PATCH_ENGINE_CACHE_CHECKS_WIN_H_

#include "launcher/patch/patch_list.h"

namespace kx::launcher {

// The installed version as the engine update reads it: gameDir\version.ini,
// first line only.
class EngineCacheChecks : public CacheChecks {
 public:
  bool readInstalledVersion(const std::wstring& gameDir, std::wstring& version) override;
};

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_PATCH_ENGINE_CACHE_CHECKS_WIN_H_
