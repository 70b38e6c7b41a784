#include "launcher/report/download_meter.h"

namespace kx::launcher {

int downloadEighth(int32_t received, int32_t total) {
  if (total == 0) return 1;
  const float e = static_cast<float>(received) * 8.0f / static_cast<float>(total);
  if (!(e >= 1.0f)) return 1;  // also catches NaN
  if (e > 8.0f) return 8;
  return static_cast<int>(e);
}

int DownloadMeter::nextEighth(int32_t received, int32_t total) {
  const int eighth = downloadEighth(received, total);
  const int report = eighth > lastEighth_ ? eighth : 0;
  lastEighth_ = eighth;
  return report;
}

uint32_t DownloadMeter::computeDownloadSpeed(int32_t received, uint32_t nowSeconds) {
  const uint32_t bytes = static_cast<uint32_t>(received);
  if (lastSeconds_ != 0 && lastBytes_ != 0) {
    if (nowSeconds == lastSeconds_ || bytes == lastBytes_) return 0;
    // Unsigned on purpose: a tick count that wrapped still gives a figure.
    const uint32_t speed = (bytes - lastBytes_) / (nowSeconds - lastSeconds_);
    lastSeconds_ = nowSeconds;
    lastBytes_ = bytes;
    return speed;
  }
  lastSeconds_ = nowSeconds;
  lastBytes_ = bytes;
  return 0;
}

}  // namespace kx::launcher
