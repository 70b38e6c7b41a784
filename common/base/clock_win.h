#ifndef KX_COMMON_BASE_CLOCK_WIN_H_
#define KX_COMMON_BASE_CLOCK_WIN_H_

#include "common/base/clock.h"

namespace kx {

// GetTickCount and Sleep.
class WinClock : public Clock {
 public:
  uint32_t tickCount() override;
  void sleep(uint32_t ms) override;
};

}  // namespace kx

#endif  // KX_COMMON_BASE_CLOCK_WIN_H_
