#include "launcher/report/confirmed_retry.h"

namespace kx::launcher {

bool runConfirmedRetry(const std::function<bool()>& attempt, const RetryPrompt& prompt,
                       MessageBoxPresenter& boxes, Clock& clock, int attempts) {
  for (int made = 1;; ++made) {
    if (attempt()) return true;
    if (boxes.show(0, prompt.text, prompt.caption, kMbOkCancel) != kIdOk) return false;
    clock.sleep(kConfirmedRetryPauseMs);
    if (made >= attempts) return false;
  }
}

}  // namespace kx::launcher
