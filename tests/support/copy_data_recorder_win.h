#ifndef KX_TESTS_SUPPORT_COPY_DATA_RECORDER_WIN_H_
#define KX_TESTS_SUPPORT_COPY_DATA_RECORDER_WIN_H_

// A stand-in for the plug-in's window: a hidden top-level window on its own
// thread that keeps every WM_COPYDATA it receives, in order, so a test can
// hand its handle to a launcher or game client and wait for their reports.

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kx::test {

struct CopyDataRecord {
  uint32_t id = 0;             // COPYDATASTRUCT::dwData
  uint32_t wParam = 0;         // low 32 bits: the sender's window or 0
  uint32_t cbData = 0;         // as received, even with a null lpData
  std::vector<uint8_t> bytes;  // the payload as received (empty for a null lpData)
  std::string line;            // describeCopyData(), e.g. "0x1102 CD_LAUNCH_PROGRESS ..."

  // The little-endian 32-bit field at |offset|; 0 past the payload's end.
  uint32_t u32At(size_t offset) const {
    if (offset + 4 > bytes.size()) return 0;
    return static_cast<uint32_t>(bytes[offset]) | (static_cast<uint32_t>(bytes[offset + 1]) << 8) |
           (static_cast<uint32_t>(bytes[offset + 2]) << 16) |
           (static_cast<uint32_t>(bytes[offset + 3]) << 24);
  }
};

// Sends one WM_COPYDATA as a test plays a party of the protocol (e.g. the game
// client to a plug-in window); true when the call succeeded within |timeoutMs|.
bool sendCopyData(HWND to, WPARAM wParam, uint32_t id, const std::vector<uint8_t>& payload,
                  uint32_t timeoutMs = 20000);

class CopyDataRecorder {
 public:
  using Records = std::vector<CopyDataRecord>;
  // Runs on the recorder's thread inside the sender's send call, after the
  // message has been recorded (e.g. to answer a game client's 0x0101).
  using Hook = std::function<void(const CopyDataRecord&)>;

  CopyDataRecorder();
  ~CopyDataRecorder();
  CopyDataRecorder(const CopyDataRecorder&) = delete;
  CopyDataRecorder& operator=(const CopyDataRecorder&) = delete;

  // False when the window could not be made; nothing else works then.
  bool ready() const { return window_ != nullptr; }
  HWND window() const { return window_; }
  // The handle as command lines carry it: a signed decimal of its low 32 bits.
  int32_t windowValue() const;

  Records records() const;
  std::vector<std::string> lines() const;
  size_t size() const;
  void clear();
  void setHook(Hook hook);

  // Waits (on a condition signalled per message, never by sleeping) until
  // |done| holds for the records so far, or |timeoutMs| has passed.
  bool waitUntil(const std::function<bool(const Records&)>& done, uint32_t timeoutMs) const;
  // The first record of |id| at index |from| or later, waiting up to |timeoutMs|.
  std::optional<CopyDataRecord> waitFor(uint32_t id, uint32_t timeoutMs, size_t from = 0) const;
  // Waits until at least |count| records have arrived.
  bool waitForCount(size_t count, uint32_t timeoutMs) const;

 private:
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void run();
  void record(WPARAM wParam, const COPYDATASTRUCT* cds);

  std::thread thread_;
  HWND window_ = nullptr;
  bool started_ = false;  // the thread finished making the window (or failed)
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  Records records_;
  Hook hook_;
};

}  // namespace kx::test

#endif  // KX_TESTS_SUPPORT_COPY_DATA_RECORDER_WIN_H_
