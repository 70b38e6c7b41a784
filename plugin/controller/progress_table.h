#ifndef KX_PLUGIN_CONTROLLER_PROGRESS_TABLE_H_
#define KX_PLUGIN_CONTROLLER_PROGRESS_TABLE_H_

// Launch phases as page percentages: where each phase starts and how far the
// one-second animation may take it.

#include <cstdint>
#include <optional>

namespace kx::plugin {

struct ProgressRange {
  int32_t start = 0;
  int32_t target = 0;  // 0 for the last phase: nothing to animate
  int32_t step = 0;
};

// Phase 4 (the download) is cut into eighths by |status|; nothing above 10.
std::optional<ProgressRange> phaseRange(uint8_t phase, uint8_t status);

}  // namespace kx::plugin

#endif  // KX_PLUGIN_CONTROLLER_PROGRESS_TABLE_H_
