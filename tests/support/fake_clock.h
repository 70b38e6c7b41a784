#ifndef KX_TESTS_SUPPORT_FAKE_CLOCK_H_
#define KX_TESTS_SUPPORT_FAKE_CLOCK_H_

#include <cstdint>
#include <vector>

#include "common/base/clock.h"

namespace kx {

// Time moves only when the code under test sleeps or the test advances it.
class FakeClock : public Clock {
 public:
  explicit FakeClock(uint32_t start = 0) : now_(start) {}
  uint32_t tickCount() override { return now_; }
  void sleep(uint32_t ms) override {
    sleeps_.push_back(ms);
    now_ += ms;
  }
  void advance(uint32_t ms) { now_ += ms; }
  const std::vector<uint32_t>& sleeps() const { return sleeps_; }

 private:
  uint32_t now_;
  std::vector<uint32_t> sleeps_;
};

}  // namespace kx

#endif  // KX_TESTS_SUPPORT_FAKE_CLOCK_H_
