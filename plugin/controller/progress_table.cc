#include "plugin/controller/progress_table.h"

#include <algorithm>

namespace kx::plugin {
namespace {

struct PhaseRow {
  int32_t start;
  int32_t step;
};
constexpr PhaseRow kPhases[] = {{1, 1},  {3, 1},  {6, 1},  {8, 1},  {10, 1}, {60, 1},
                                {90, 1}, {95, 1}, {97, 1}, {98, 1}, {99, 1}};
constexpr uint8_t kLastPhase = 10;
constexpr uint8_t kDownloadPhase = 4;

}  // namespace

std::optional<ProgressRange> phaseRange(uint8_t phase, uint8_t status) {
  if (phase > kLastPhase) return std::nullopt;
  if (phase == kDownloadPhase) {
    // Single precision, as the eighths are published: 28.75 gives 28, not 29.
    const float lo = static_cast<float>(kPhases[4].start);
    const float hi = static_cast<float>(kPhases[5].start);
    const float d = (hi - lo) / 8.0f;
    const float x = lo + static_cast<float>(static_cast<int32_t>(status) - 1) * d;
    return ProgressRange{static_cast<int32_t>(x),
                         std::min(static_cast<int32_t>(x + d), kPhases[5].start), 1};
  }
  const int32_t target = phase == kLastPhase ? 0 : kPhases[phase + 1].start;
  return ProgressRange{kPhases[phase].start, target, kPhases[phase].step};
}

}  // namespace kx::plugin
