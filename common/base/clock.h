#ifndef KX_COMMON_BASE_CLOCK_H_
#define KX_COMMON_BASE_CLOCK_H_

// The one seam for time: every wait and every elapsed-time decision goes
// through a Clock, so tests run on a fake one and never sleep.

#include <cstdint>

namespace kx {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary start, wrapping like GetTickCount.
  virtual uint32_t tickCount() = 0;
  virtual void sleep(uint32_t ms) = 0;
};

}  // namespace kx

#endif  // KX_COMMON_BASE_CLOCK_H_
