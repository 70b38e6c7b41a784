#ifndef KX_PLUGIN_CONTROLLER_PLUGIN_CONTROLLER_H_
#define KX_PLUGIN_CONTROLLER_PLUGIN_CONTROLLER_H_

// One instance's controller of a game run: copy-data dispatch and its queue,
// the four timers, progress on the page, launcher starts, supervision of the
// launcher and game processes, page <-> game routing and the repair choice.
// Windows sits behind ControllerPlatform; the page behind the SDK manager.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "plugin/controller/controller_platform.h"
#include "plugin/controller/launch_params.h"
#include "plugin/npapi/np_types.h"
#include "plugin/sdk/sdk_manager.h"

namespace kx::plugin {

inline constexpr uint32_t TIMER_GAME_EXIT_POLL = 0x1001;
inline constexpr uint32_t TIMER_COPYDATA_PUMP = 0x1002;
inline constexpr uint32_t TIMER_PROGRESS = 0x1003;
inline constexpr uint32_t TIMER_FIT_WINDOW = 0x1004;

inline constexpr size_t kCopyDataQueueLimit = 64;
inline constexpr int kDrainPerTick = 2;
// SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_TERMINATE.
inline constexpr uint32_t kGameProcessAccess = 0x00100411;
inline constexpr uint32_t kEndExitCode = 2;
inline constexpr uint32_t kGameQuitWaitMs = 2000;

// Message box styles and answers, numerically the Win32 ones.
inline constexpr uint32_t kBoxOk = 0x0;
inline constexpr uint32_t kBoxOkCancel = 0x1;
inline constexpr uint32_t kBoxSystemModal = 0x1000;
inline constexpr int kAnswerCancel = 2;

// Repair dialog 2002 controls.
inline constexpr int kRepairClearPatch = 1;
inline constexpr int kRepairCancel = 2;
inline constexpr int kRepairReinstall = 6;

enum class DialogAction { kNotHandled, kKeepOpen, kClose };

class PluginController {
 public:
  PluginController(ControllerPlatform& platform, WebSDK::SDKManager& sdk);
  ~PluginController();
  PluginController(const PluginController&) = delete;
  PluginController& operator=(const PluginController&) = delete;

  // Each time the window is attached; then notifyPluginReady.
  void init(NPP npp);
  void notifyPluginReady();
  // |data| may be null; |size| bytes are readable behind a non-null one.
  void onCopyData(uint32_t sender, uint32_t id, const void* data, size_t size);
  void onTimer(uint32_t timerId);

  int32_t startGame();
  bool endProcesses();
  void resetLaunchState();
  void showGame(bool show, bool tellGame);
  void resizeGame(int32_t width, int32_t height);
  int32_t sendToGame(uint16_t kind, const std::string& text);

  void setParams(const std::u16string& text) { applyParams(parseParams(text)); }
  void applyParams(const ParamMap& params);
  int32_t launchNormal(uint32_t window);
  int32_t launchSwitch(uint32_t window, int32_t switchNumber);
  int32_t launchClearRepair(uint32_t window);
  int32_t launchClearPatch(uint32_t window);

  void onClientRepair(const WebSDK::EventFields& fields);
  DialogAction onRepairDialogCommand(int controlId);

  void onPageLoaded();
  bool isReady() const;
  void clearPageLoaded() { pageLoaded = 0; }

  // Read by the instance and by tests.
  int32_t pageLoaded = 0;
  int32_t hversion = 0, midversion = 0, lowversion = 0;
  std::string exploreInfo;
  uint32_t hGameWnd = 0;
  ProcessHandle hLaunchProcess = 0;
  ProcessHandle hGameProcess = 0;
  int32_t defaultWidth = 960, defaultHeight = 640;
  int32_t mainWidth = 960, mainHeight = 640;
  int32_t customSize = 0;
  int32_t launchPhase = 0;
  std::u16string gameLocalDir;
  std::u16string gameUpdateUrl, extParam;
  int32_t progressCur = 0, progressTarget = 100, progressStep = 2;

  size_t queuedMessages() const { return copyDataQueue.size(); }

 private:
  using Handler = int32_t (PluginController::*)(uint32_t sender, const void* data, size_t size);
  struct QueuedMessage {
    uint32_t id = 0;
    bool hasData = false;
    std::vector<uint8_t> bytes;
    uint32_t sender = 0;
  };
  struct LaunchSpec {
    const char16_t* mode;
    std::u16string sixth;
    const std::u16string* optional;
    const char16_t* failureText;
    uint32_t boxStyle;
  };

  int32_t dispatch(uint32_t sender, uint32_t id, const void* data, size_t size);
  void drainQueue();
  void restartTimer(uint32_t id, uint32_t periodMs);
  void registerPageEvents();

  // Copy-data handlers.
  int32_t onGetLaunchProgress(uint32_t sender, const void* data, size_t size);
  int32_t onGetLaunchMsgInfo(uint32_t sender, const void* data, size_t size);
  int32_t onGetDownloadSpeed(uint32_t sender, const void* data, size_t size);
  int32_t onGetUnzipProgress(uint32_t sender, const void* data, size_t size);
  int32_t onGetGameClientInfo(uint32_t sender, const void* data, size_t size);
  int32_t onSdkCallFunc(uint32_t sender, const void* data, size_t size);
  int32_t onGetRelaunchRequest(uint32_t sender, const void* data, size_t size);
  int32_t onGetGameMainSize(uint32_t sender, const void* data, size_t size);

  // Progress.
  void animateProgress(int32_t start, int32_t target, int32_t step);
  void progressTick();
  void sendProgressStatus(int32_t phase);
  void finishProgress(int32_t phase);

  int32_t launch(uint32_t window, const LaunchSpec& spec);
  void sendGame(uint32_t id, const std::vector<uint8_t>& payload, bool quit = false);
  void takeDefaultSize();
  bool gameKnown() const { return hGameWnd != 0 && hGameProcess != 0; }
  void closeLaunchProcess();
  void closeGameProcess();

  ControllerPlatform& platform_;
  WebSDK::SDKManager& sdkManager;
  std::map<uint32_t, Handler> copyDataHandlers;
  std::deque<QueuedMessage> copyDataQueue;
  bool queueBusy_ = false;
};

}  // namespace kx::plugin

#endif  // KX_PLUGIN_CONTROLLER_PLUGIN_CONTROLLER_H_
