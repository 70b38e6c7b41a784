#ifndef KX_LAUNCHER_REPORT_FAKE_REPORT_PLATFORM_H_
#define KX_LAUNCHER_REPORT_FAKE_REPORT_PLATFORM_H_

// Test double: records what would have been sent, and the exit it was asked for.

#include <cstdint>
#include <vector>

#include "launcher/report/launcher_reports.h"

namespace kx::launcher {

class FakeReportPlatform : public ReportPlatform {
 public:
  struct Sent {
    int32_t window;
    uint32_t id;
    std::vector<uint8_t> bytes;
  };
  bool sendCopyData(int32_t window, uint32_t id, const void* data, uint32_t size) override {
    const auto* p = static_cast<const uint8_t*>(data);
    sent.push_back({window, id, std::vector<uint8_t>(p, p + size)});
    return deliver;
  }
  uintptr_t rootWindow(int32_t window) override { return static_cast<uintptr_t>(window) + 1000; }
  bool processEnded(void*) override { return browserEnded; }
  void exitProcess(int code) override { exitCodes.push_back(code); }

  // (progress, status) of every 0x1102 sent, in order.
  std::vector<std::pair<int, int>> launchProgress() const {
    std::vector<std::pair<int, int>> out;
    for (const Sent& s : sent) {
      if (s.id == 0x1102 && s.bytes.size() == 2) out.emplace_back(s.bytes[0], s.bytes[1]);
    }
    return out;
  }

  std::vector<Sent> sent;
  bool deliver = true;
  bool browserEnded = false;
  std::vector<int> exitCodes;
};

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_REPORT_FAKE_REPORT_PLATFORM_H_
