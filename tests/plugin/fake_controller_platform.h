#ifndef KX_TESTS_PLUGIN_FAKE_CONTROLLER_PLATFORM_H_
#define KX_TESTS_PLUGIN_FAKE_CONTROLLER_PLATFORM_H_

// A ControllerPlatform that records every call, in order, into a shared log
// and plays scripted processes, boxes and the repair dialog.

#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "plugin/controller/controller_platform.h"
#include "plugin/controller/utf.h"

namespace kx::plugin {

inline std::string hexBytes(const std::vector<uint8_t>& bytes) {
  std::string out;
  char two[3];
  for (uint8_t b : bytes) {
    std::snprintf(two, sizeof two, "%02x", b);
    out += two;
  }
  return out;
}

inline std::string hex32(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%x", value);
  return text;
}

class FakeControllerPlatform : public ControllerPlatform {
 public:
  struct Sent {
    uint32_t target, wParam, id;
    std::vector<uint8_t> payload;
    uint32_t flags, timeoutMs;
  };

  explicit FakeControllerPlatform(std::vector<std::string>& log) : log_(log) {}

  // Scripted world.
  bool instance = true;
  bool attached = true;
  uint32_t window = 1312;
  uint32_t root = 0x500;
  uint32_t processId = 4242;
  WindowSize screen{1280, 900};
  std::optional<WindowSize> rect;
  std::map<uint32_t, ProcessHandle> processesById;     // what OpenProcess gives
  std::map<ProcessHandle, std::u16string> imagePaths;  // GetModuleFileNameExW
  std::set<ProcessHandle> ended;                       // signalled
  std::set<ProcessHandle> quitsWhenAsked;              // end on CD_QUIT_GAME
  std::set<ProcessHandle> unkillable;                  // TerminateProcess fails
  ProcessHandle nextLauncher = 0x70;                   // 0: launcher refused
  std::deque<int> boxAnswers;                          // default IDOK
  bool moduleFound = true;
  std::function<void()> dialogUser;        // plays the user inside the dialog
  std::function<void()> duringWait;        // runs inside WaitForSingleObject

  // Observed.
  std::map<uint32_t, uint32_t> timers;     // running: id -> period
  std::vector<Sent> sent;
  std::vector<std::u16string> launches;    // command lines given to startLauncher
  std::set<ProcessHandle> open;            // handles held by the controller

  bool hasInstance() override { return instance; }
  bool windowAttached() override { return attached; }
  uint32_t pluginWindow() override { return attached ? window : 0; }

  void setTimer(uint32_t id, uint32_t periodMs) override {
    timers[id] = periodMs;
    log_.push_back("timer+ " + hex32(id) + " " + std::to_string(periodMs));
  }
  void killTimer(uint32_t id) override {
    timers.erase(id);
    log_.push_back("timer- " + hex32(id));
  }

  bool sendCopyData(uint32_t target, uint32_t wParam, uint32_t id,
                    const std::vector<uint8_t>& payload, uint32_t flags,
                    uint32_t timeoutMs) override {
    sent.push_back({target, wParam, id, payload, flags, timeoutMs});
    log_.push_back("send " + hex32(id) + " to " + hex32(target) + " wp " + std::to_string(wParam) +
                   " f " + std::to_string(flags) + " t " + std::to_string(timeoutMs) + ": " +
                   (payload.size() > 16 ? std::to_string(payload.size()) + " bytes"
                                        : hexBytes(payload)));
    if (id == 0x2102) {
      for (ProcessHandle h : quitsWhenAsked) ended.insert(h);
    }
    return true;
  }

  ProcessHandle openProcess(uint32_t access, uint32_t pid) override {
    log_.push_back("open " + std::to_string(pid) + " access " + hex32(access));
    const auto it = processesById.find(pid);
    if (it == processesById.end()) return 0;
    open.insert(it->second);
    return it->second;
  }
  std::u16string processImagePath(ProcessHandle process) override {
    const auto it = imagePaths.find(process);
    return it == imagePaths.end() ? std::u16string() : it->second;
  }
  bool waitProcess(ProcessHandle process, uint32_t ms) override {
    log_.push_back("wait " + hex32(static_cast<uint32_t>(process)) + " " + std::to_string(ms));
    if (duringWait) {
      auto hook = std::move(duringWait);
      duringWait = nullptr;
      hook();
    }
    return ended.count(process) != 0;
  }
  bool terminateProcess(ProcessHandle process, uint32_t exitCode) override {
    log_.push_back("terminate " + hex32(static_cast<uint32_t>(process)) + " " +
                   std::to_string(exitCode));
    if (unkillable.count(process)) return false;
    ended.insert(process);
    return true;
  }
  uint32_t lastError() override { return 5; }
  void closeProcess(ProcessHandle process) override {
    log_.push_back("close " + hex32(static_cast<uint32_t>(process)));
    open.erase(process);
  }
  uint32_t currentProcessId() override { return processId; }
  ProcessHandle startLauncher(const std::u16string& commandLine) override {
    launches.push_back(commandLine);
    log_.push_back("launch " + utf16ToUtf8(commandLine));
    if (nextLauncher) open.insert(nextLauncher);
    return nextLauncher;
  }

  WindowSize screenSize() override { return screen; }
  std::optional<WindowSize> windowRectSize(uint32_t) override { return rect; }
  uint32_t rootWindow(uint32_t w) override { return w ? root : 0; }
  int messageBox(uint32_t owner, const std::u16string& text, const std::u16string& caption,
                 uint32_t style) override {
    log_.push_back("box " + hex32(owner) + " " + utf16ToUtf8(text) + " | " +
                   utf16ToUtf8(caption) + " | " + hex32(style));
    if (boxAnswers.empty()) return 1;
    const int answer = boxAnswers.front();
    boxAnswers.pop_front();
    return answer;
  }
  bool pluginModuleFound() override { return moduleFound; }
  void runRepairDialog(uint32_t owner) override {
    log_.push_back("dialog " + hex32(owner));
    if (dialogUser) dialogUser();
    log_.push_back("dialog closed");
  }

 private:
  std::vector<std::string>& log_;
};

}  // namespace kx::plugin

#endif  // KX_TESTS_PLUGIN_FAKE_CONTROLLER_PLATFORM_H_
