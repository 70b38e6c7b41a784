#ifndef KX_TESTS_SUPPORT_HOOKED_CLOCK_H_
#define KX_TESTS_SUPPORT_HOOKED_CLOCK_H_

#include <cstdint>
#include <functional>
#include <utility>

#include "tests/support/fake_clock.h"

namespace kx {

// A fake clock that lets the test act in the middle of a wait: |onSleep| runs
// after each sleep with its number (1 for the first).
class HookedClock : public FakeClock {
 public:
  explicit HookedClock(std::function<void(int count, uint32_t ms)> onSleep)
      : onSleep_(std::move(onSleep)) {}
  void sleep(uint32_t ms) override {
    FakeClock::sleep(ms);
    if (onSleep_) onSleep_(static_cast<int>(sleeps().size()), ms);
  }

 private:
  std::function<void(int, uint32_t)> onSleep_;
};

}  // namespace kx

#endif  // KX_TESTS_SUPPORT_HOOKED_CLOCK_H_
