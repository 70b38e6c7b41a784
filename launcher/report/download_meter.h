#ifndef KX_LAUNCHER_REPORT_DOWNLOAD_METER_H_
#define KX_LAUNCHER_REPORT_DOWNLOAD_METER_H_

// Turns the downloader's byte counts into the figures the plug-in shows: the
// progress in eighths and the speed in bytes per second.

#include <cstdint>

namespace kx::launcher {

// received * 8 / total in single precision, truncated, kept within 1..8.
int downloadEighth(int32_t received, int32_t total);

class DownloadMeter {
 public:
  // The eighth to report now, or 0 when it is not above the last one.
  // The last eighth is set to the new figure either way.
  int nextEighth(int32_t received, int32_t total);

  // Bytes per second since the last figure; 0 when there is none yet or no
  // time or no bytes passed (then nothing is stored).
  uint32_t computeDownloadSpeed(int32_t received, uint32_t nowSeconds);

  // Before each download attempt: no bytes yet, counting from now.
  void resetSpeed(uint32_t nowSeconds) {
    lastBytes_ = 0;
    lastSeconds_ = nowSeconds;
  }

 private:
  int lastEighth_ = 0;
  uint32_t lastSeconds_ = 0;
  uint32_t lastBytes_ = 0;
};

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_REPORT_DOWNLOAD_METER_H_
