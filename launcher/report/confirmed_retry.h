#ifndef KX_LAUNCHER_REPORT_CONFIRMED_RETRY_H_
#define KX_LAUNCHER_REPORT_CONFIRMED_RETRY_H_

// Network steps are retried only when the user says so: after each failed
// attempt a box (no owner, OK and Cancel) asks; OK pauses and tries again,
// Cancel gives up. The box also follows the last failure, so the user sees
// every failure the same way.

#include <cstdint>
#include <functional>
#include <string>

#include "common/base/clock.h"
#include "common/ui/message_box.h"

namespace kx::launcher {

inline constexpr int kConfirmedAttempts = 3;
inline constexpr uint32_t kConfirmedRetryPauseMs = 500;

struct RetryPrompt {
  std::wstring text;
  std::wstring caption;
};

// True as soon as |attempt| succeeds; false after Cancel or |attempts| failures.
bool runConfirmedRetry(const std::function<bool()>& attempt, const RetryPrompt& prompt,
                       MessageBoxPresenter& boxes, Clock& clock,
                       int attempts = kConfirmedAttempts);

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_REPORT_CONFIRMED_RETRY_H_
