#include "plugin/controller/plugin_controller.h"

#include <cctype>
#include <utility>

#include "common/contracts/page_contract.h"
#include "common/protocol/copy_data.h"
#include "common/protocol/payloads.h"
#include "plugin/controller/progress_table.h"
#include "plugin/controller/role_info.h"
#include "plugin/controller/utf.h"

namespace kx::plugin {
namespace {

constexpr uint32_t kPumpPeriodMs = 5;
constexpr uint32_t kExitPollPeriodMs = 500;
constexpr uint32_t kProgressPeriodMs = 1000;
constexpr uint32_t kFitWindowDelayMs = 500;
constexpr size_t kMaxGameIdBytes = 127;

constexpr char16_t kBoxCaptionStart[] = u"启动失败";
constexpr char16_t kBoxCaptionProduct[] = u"Vantorra手游网页版";
constexpr char16_t kTextCannotStart[] = u"无法启动程序";
constexpr char16_t kTextCannotStartRepair[] = u"无法启动修复程序";
constexpr char16_t kTextRepairQuestion[] =
    u"游戏修复功能将删除本地客户端文件并自动重新进行下载，确定要进行游戏修复吗？";
constexpr char16_t kGameFolderMark[] = u"\\Kx\\";

const std::string& field(const WebSDK::EventFields& fields, const char* key) {
  static const std::string kEmpty;
  const auto it = fields.find(key);
  return it == fields.end() ? kEmpty : it->second;
}

bool isBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// Leading blanks and a sign, then digits up to the first other character;
// no digits give 0. Values past int32 stop at its bounds.
int32_t readInteger(const std::string& text, size_t& pos) {
  while (pos < text.size() && isBlank(text[pos])) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  int64_t value = 0;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    if (value <= INT32_MAX) value = value * 10 + (text[pos] - '0');
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

int32_t readInteger(const std::string& text) {
  size_t pos = 0;
  return readInteger(text, pos);
}

// initWebSDK's "word number": the word cut to 127 bytes (not inside a
// UTF-8 sequence), the number read after the whole word.
std::pair<std::string, int32_t> gameIdAndNumber(const std::string& param) {
  size_t pos = 0;
  while (pos < param.size() && isBlank(param[pos])) ++pos;
  const size_t begin = pos;
  while (pos < param.size() && !isBlank(param[pos])) ++pos;
  size_t length = pos - begin;
  if (length > kMaxGameIdBytes) {
    length = kMaxGameIdBytes;
    while (length > 0 && (static_cast<unsigned char>(param[begin + length]) & 0xC0) == 0x80)
      --length;
  }
  std::string word = param.substr(begin, length);
  return {std::move(word), readInteger(param, pos)};
}

}  // namespace

PluginController::PluginController(ControllerPlatform& platform, WebSDK::SDKManager& sdk)
    : platform_(platform), sdkManager(sdk) {}

PluginController::~PluginController() = default;

bool PluginController::isReady() const {
  return pageLoaded != 0 && platform_.hasInstance() && platform_.windowAttached();
}

void PluginController::init(NPP npp) {
  sdkManager.setNpp(npp);
  copyDataHandlers = {
      {CD_LAUNCH_PROGRESS, &PluginController::onGetLaunchProgress},
      {CD_GAME_PROGRESS, &PluginController::onGetLaunchProgress},
      {CD_LAUNCH_MSG_INFO, &PluginController::onGetLaunchMsgInfo},
      {CD_DOWNLOAD_SPEED, &PluginController::onGetDownloadSpeed},
      {CD_UNZIP_PROGRESS, &PluginController::onGetUnzipProgress},
      {CD_GAME_CLIENT_INFO, &PluginController::onGetGameClientInfo},
      {CD_GAME_SDK_CALL, &PluginController::onSdkCallFunc},
      {CD_GAME_RELAUNCH, &PluginController::onGetRelaunchRequest},
      {CD_GAME_MAIN_SIZE, &PluginController::onGetGameMainSize},
  };
  const WindowSize screen = platform_.screenSize();
  const bool large = screen.width >= 1280 && screen.height >= 900;
  defaultWidth = large ? 1024 : 960;
  defaultHeight = large ? 768 : 640;
  mainWidth = defaultWidth;
  mainHeight = defaultHeight;
  resizeGame(mainWidth, mainHeight);
  sdkManager.reset();
  registerPageEvents();
}

void PluginController::notifyPluginReady() {
  sdkManager.callPage(page::kFnOnPluginReady, {});
  if (isReady()) startGame();
}

// ---- copy-data dispatch and queue ----

void PluginController::onCopyData(uint32_t sender, uint32_t id, const void* data, size_t size) {
  if (isImmediate(id)) {
    dispatch(sender, id, data, size);
  } else if (copyDataQueue.size() < kCopyDataQueueLimit) {
    QueuedMessage message;
    message.id = id;
    message.sender = sender;
    message.hasData = data != nullptr;
    if (data) {
      const auto* bytes = static_cast<const uint8_t*>(data);
      message.bytes.assign(bytes, bytes + size);
    }
    copyDataQueue.push_back(std::move(message));
  }
  restartTimer(TIMER_COPYDATA_PUMP, kPumpPeriodMs);
}

int32_t PluginController::dispatch(uint32_t sender, uint32_t id, const void* data, size_t size) {
  const auto it = copyDataHandlers.find(id);
  if (it == copyDataHandlers.end()) return -1;
  return (this->*(it->second))(sender, data, size);
}

void PluginController::drainQueue() {
  int handled = 0;
  if (!queueBusy_) {
    while (!copyDataQueue.empty()) {
      queueBusy_ = true;
      // The head keeps its slot while it runs, so a nested message still
      // counts it against the limit.
      QueuedMessage head = std::move(copyDataQueue.front());
      static const uint8_t kNoBytes = 0;
      const void* data = head.hasData ? (head.bytes.empty() ? &kNoBytes : head.bytes.data())
                                      : nullptr;
      const int32_t result = dispatch(head.sender, head.id, data, head.bytes.size());
      copyDataQueue.pop_front();
      queueBusy_ = false;
      if (result < 0) break;
      if (++handled >= kDrainPerTick) break;
    }
  }
  if (handled == 0) platform_.killTimer(TIMER_COPYDATA_PUMP);
}

void PluginController::restartTimer(uint32_t id, uint32_t periodMs) {
  platform_.killTimer(id);
  platform_.setTimer(id, periodMs);
}

void PluginController::onTimer(uint32_t timerId) {
  switch (timerId) {
    case TIMER_GAME_EXIT_POLL:
      if (hGameProcess && platform_.waitProcess(hGameProcess, 0)) {
        resetLaunchState();
        platform_.killTimer(TIMER_GAME_EXIT_POLL);
      }
      break;
    case TIMER_COPYDATA_PUMP:
      drainQueue();
      break;
    case TIMER_PROGRESS:
      progressTick();
      break;
    case TIMER_FIT_WINDOW:
      platform_.killTimer(TIMER_FIT_WINDOW);
      if (const auto size = platform_.windowRectSize(platform_.pluginWindow()))
        resizeGame(size->width, size->height);
      break;
    default:
      break;
  }
}

// ---- the run ----

int32_t PluginController::startGame() {
  if (!isReady()) return 0;
  launchPhase = 0;
  const ProgressRange first = *phaseRange(0, 1);
  animateProgress(first.start, first.target, first.step);
  sendProgressStatus(0);
  sdkManager.OnSetResolution(defaultWidth == 1024 ? 1 : 0);
  if (customSize) {
    takeDefaultSize();
    sdkManager.OnChangeGamemainSize(mainWidth);
  }
  sdkManager.OnActiveXReady();
  const int32_t launched = launchNormal(platform_.pluginWindow());
  if (isReady()) showGame(false, false);
  if (launched != 0) return -1;
  platform_.setTimer(TIMER_GAME_EXIT_POLL, kExitPollPeriodMs);
  return 1;
}

bool PluginController::endProcesses() {
  if (hLaunchProcess) {
    platform_.terminateProcess(hLaunchProcess, kEndExitCode);
    closeLaunchProcess();
  }
  bool ended = true;
  if (gameKnown()) {
    sendGame(CD_QUIT_GAME, encodeQuitGame(), /*quit=*/true);
    if (platform_.waitProcess(hGameProcess, kGameQuitWaitMs)) {
      closeGameProcess();
    } else if (platform_.terminateProcess(hGameProcess, kEndExitCode)) {
      closeGameProcess();
    } else {
      platform_.lastError();
      ended = false;
    }
  }
  resetLaunchState();
  return ended;
}

void PluginController::resetLaunchState() {
  closeLaunchProcess();
  closeGameProcess();
  hGameWnd = 0;
  if (platform_.hasInstance()) {
    if (isReady()) showGame(false, false);
    sdkManager.OnActiveXQuit();
  }
  launchPhase = 0;
  if (isReady()) finishProgress(0);
  if (customSize) {
    takeDefaultSize();
    if (isReady()) sdkManager.OnChangeGamemainSize(mainWidth);
  }
}

void PluginController::showGame(bool show, bool tellGame) {
  if (!isReady()) return;
  sdkManager.showDiv(show);
  if (tellGame && gameKnown()) sendGame(CD_SHOW_GAME, encodeShowGame({show ? uint8_t{1} : uint8_t{0}}));
}

void PluginController::resizeGame(int32_t width, int32_t height) {
  if (isReady() && gameKnown()) sendGame(CD_RESIZE_GAME, encodeResizeGame({width, height}));
}

int32_t PluginController::sendToGame(uint16_t kind, const std::string& text) {
  if (!isReady() || !gameKnown()) return 0;
  sendGame(CD_SDK_NOTIFY, encodeSdkNotify({kind, utf8ToUtf16(text)}));
  return 1;
}

void PluginController::sendGame(uint32_t id, const std::vector<uint8_t>& payload, bool quit) {
  const SendParams params = quit ? kPluginQuitSend : kPluginSend;
  platform_.sendCopyData(hGameWnd, params.wParamIsSenderWindow ? platform_.pluginWindow() : 0, id,
                         payload, params.flags, params.timeoutMs);
}

void PluginController::takeDefaultSize() {
  mainWidth = defaultWidth;
  mainHeight = defaultHeight;
  customSize = 0;
}

void PluginController::closeLaunchProcess() {
  if (hLaunchProcess) platform_.closeProcess(hLaunchProcess);
  hLaunchProcess = 0;
}

void PluginController::closeGameProcess() {
  if (hGameProcess) platform_.closeProcess(hGameProcess);
  hGameProcess = 0;
}

// ---- copy-data handlers ----

int32_t PluginController::onGetLaunchProgress(uint32_t, const void* data, size_t size) {
  const auto message = decodeLaunchProgress(data, size);
  if (!message) return -1;
  if (message->status == 0) {
    resetLaunchState();
    return 0;
  }
  const auto range = phaseRange(message->progress, message->status);
  if (!range) return -1;
  launchPhase = message->progress;
  if (isReady()) {
    animateProgress(range->start, range->target, range->step);
    sendProgressStatus(message->progress);
  }
  return 0;
}

int32_t PluginController::onGetLaunchMsgInfo(uint32_t, const void* data, size_t size) {
  return decodeLaunchMsgInfo(data, size) ? 0 : -1;
}

int32_t PluginController::onGetDownloadSpeed(uint32_t, const void* data, size_t size) {
  const auto m = decodeDownloadSpeed(data, size);
  if (!m) return -1;
  if (platform_.hasInstance()) {
    sdkManager.commonCmdHandler("cmd:com_down_speed,downloadSpeed:" +
                                std::to_string(m->downloadSpeed) +
                                ",curBytesRead:" + std::to_string(m->curBytesRead) +
                                ",totalBytes:" + std::to_string(m->totalBytes));
  }
  return 0;
}

int32_t PluginController::onGetUnzipProgress(uint32_t, const void* data, size_t size) {
  const auto m = decodeUnzipProgress(data, size);
  if (!m) return -1;
  if (platform_.hasInstance()) {
    sdkManager.commonCmdHandler("cmd:com_unzip_progress,curFiles:" + std::to_string(m->curFiles) +
                                ",totalFiles:" + std::to_string(m->totalFiles));
  }
  return 0;
}

int32_t PluginController::onGetGameClientInfo(uint32_t, const void* data, size_t size) {
  const auto m = decodeGameClientInfo(data, size);
  if (!m) return -1;
  hGameWnd = m->hGameWnd;
  // A second report replaces the first game's handle; do not leak it.
  closeGameProcess();
  hGameProcess = platform_.openProcess(kGameProcessAccess, m->processId);
  if (hGameProcess) {
    const std::u16string path = platform_.processImagePath(hGameProcess);
    const size_t mark = path.rfind(kGameFolderMark);
    if (mark != std::u16string::npos) gameLocalDir = path.substr(0, mark);
  }
  if (m->startStatus != 0) {
    resetLaunchState();
    return 0;
  }
  launchPhase = PHASE_GAME_READY;
  if (isReady()) {
    platform_.killTimer(TIMER_PROGRESS);
    sdkManager.OnGameInitProgress(100);
  }
  sendProgressStatus(PHASE_GAME_READY);
  if (platform_.hasInstance()) {
    showGame(true, true);
    platform_.setTimer(TIMER_FIT_WINDOW, kFitWindowDelayMs);
    if (hGameWnd) {
      sendGame(CD_BROWSER_INFO,
               encodeBrowserInfo({hversion, midversion, lowversion, utf8ToUtf16(exploreInfo)}));
    }
  }
  return 0;
}

int32_t PluginController::onGetGameMainSize(uint32_t, const void* data, size_t size) {
  const auto m = decodeGameMainSize(data, size);
  if (!m) return -1;
  mainWidth = m->mainWidth;
  mainHeight = m->mainHeight;
  customSize = m->customSize;
  sdkManager.OnChangeGamemainSize(mainWidth);
  return 0;
}

int32_t PluginController::onGetRelaunchRequest(uint32_t, const void* data, size_t size) {
  const auto m = decodeGameRelaunch(data, size);
  if (!m) return -1;
  if (endProcesses() && isReady()) launchSwitch(platform_.pluginWindow(), m->switchMode);
  return 0;
}

int32_t PluginController::onSdkCallFunc(uint32_t, const void* data, size_t size) {
  const auto m = decodeGameSdkCall(data, size);
  if (!m) return -1;
  const std::string param = utf16ToUtf8(m->param);
  if (m->funcID > kMaxSdkFunc) return -1;
  constexpr bool kHideFirst[kMaxSdkFunc + 1] = {false, true,  false, false, true,
                                                true,  false, false, true,  false};
  if (kHideFirst[m->funcID] && platform_.hasInstance()) showGame(false, true);
  switch (m->funcID) {
    case kSdkInitWebSdk: {
      const auto [word, number] = gameIdAndNumber(param);
      sdkManager.initWebSDK(word, number);
      break;
    }
    case kSdkLogin:
      sdkManager.login();
      break;
    case kSdkLogout:
      sdkManager.logout();
      break;
    case kSdkSetClientData:
      sdkManager.SetClientData(param);
      break;
    case kSdkShowUserDialog:
      sdkManager.showUserDialog();
      break;
    case kSdkShowPayDialog:
    case kSdkShowPayDialogAlt:
      sdkManager.showPayDialog(param);
      break;
    case kSdkSetRoleInfo:
      sdkManager.setRoleInfo(roleInfoFromJson(param));
      break;
    case kSdkClosePayDialog:
      sdkManager.closePayDialog();
      break;
    case kSdkCommonCmd:
      sdkManager.commonCmdHandler(param);
      break;
    default:
      break;
  }
  return 0;
}

// ---- progress ----

void PluginController::animateProgress(int32_t start, int32_t target, int32_t step) {
  if (!isReady()) return;
  platform_.killTimer(TIMER_PROGRESS);
  sdkManager.OnGameInitProgress(start);
  if (start >= target || start >= 100) return;
  progressTarget = target;
  progressStep = step;
  progressCur = start;
  restartTimer(TIMER_PROGRESS, kProgressPeriodMs);
}

void PluginController::progressTick() {
  progressCur += progressStep;
  if (progressCur >= progressTarget) {
    progressCur = progressTarget;
    platform_.killTimer(TIMER_PROGRESS);
  }
  if (isReady()) sdkManager.OnGameInitProgress(progressCur);
}

void PluginController::sendProgressStatus(int32_t phase) {
  if (isReady()) sdkManager.commonCmdHandler("cmd:com_progress_status,status:" + std::to_string(phase));
}

void PluginController::finishProgress(int32_t phase) {
  platform_.killTimer(TIMER_PROGRESS);
  sdkManager.OnGameInitProgress(100);
  sendProgressStatus(phase);
}

// ---- parameters and launches ----

void PluginController::applyParams(const ParamMap& params) {
  for (const auto& [key, value] : params) {
    if (key == u"gameUpdateUrl") gameUpdateUrl = value;
    else if (key == u"extParam") extParam = value;
  }
}

int32_t PluginController::launch(uint32_t window, const LaunchSpec& spec) {
  if (!window || gameUpdateUrl.empty()) return -1;
  LaunchFields fields;
  fields.mode = spec.mode;
  fields.window = window;
  fields.processId = platform_.currentProcessId();
  fields.width = defaultWidth;
  fields.height = defaultHeight;
  fields.sixth = spec.sixth;
  fields.optional = *spec.optional;
  const std::u16string commandLine = launcherCommandLine(launchArguments(fields));
  // The previous launcher, if any, is no longer supervised; its handle goes.
  closeLaunchProcess();
  hLaunchProcess = platform_.startLauncher(commandLine);
  if (!hLaunchProcess) {
    platform_.messageBox(platform_.rootWindow(window), spec.failureText, kBoxCaptionStart,
                         spec.boxStyle);
    return -1;
  }
  return 0;
}

int32_t PluginController::launchNormal(uint32_t window) {
  if (window && gameUpdateUrl.empty()) showGame(false, true);
  return launch(window, {kModeNormal, gameUpdateUrl, &extParam, kTextCannotStart, kBoxSystemModal});
}

int32_t PluginController::launchSwitch(uint32_t window, int32_t switchNumber) {
  return launch(window, {kModeSwitch, decimal16(switchNumber), &gameLocalDir, kTextCannotStart,
                         kBoxSystemModal});
}

int32_t PluginController::launchClearRepair(uint32_t window) {
  return launch(window,
                {kModeClearRepair, gameUpdateUrl, &extParam, kTextCannotStartRepair, kBoxOk});
}

int32_t PluginController::launchClearPatch(uint32_t window) {
  return launch(window,
                {kModeClearPatch, gameUpdateUrl, &gameLocalDir, kTextCannotStartRepair, kBoxOk});
}

// ---- repair ----

void PluginController::onClientRepair(const WebSDK::EventFields& fields) {
  if (!isReady()) return;
  const std::string& choice = field(fields, page::kFieldOpenClearPatch);
  const uint32_t root = platform_.rootWindow(platform_.pluginWindow());
  if (choice == "1" && platform_.pluginModuleFound()) {
    platform_.runRepairDialog(root);
    return;
  }
  const int answer = platform_.messageBox(root, kTextRepairQuestion, kBoxCaptionProduct, kBoxOkCancel);
  if (answer == kAnswerCancel) return;
  if (endProcesses() && isReady()) launchClearRepair(platform_.pluginWindow());
}

DialogAction PluginController::onRepairDialogCommand(int controlId) {
  switch (controlId) {
    case kRepairClearPatch:
    case kRepairReinstall:
      if (!endProcesses() || !isReady()) return DialogAction::kKeepOpen;
      if (controlId == kRepairClearPatch) launchClearPatch(platform_.pluginWindow());
      else launchClearRepair(platform_.pluginWindow());
      return DialogAction::kClose;
    case kRepairCancel:
      return DialogAction::kClose;
    default:
      return DialogAction::kNotHandled;
  }
}

// ---- page events ----

void PluginController::onPageLoaded() {
  pageLoaded = 1;
  if (platform_.windowAttached()) startGame();
}

void PluginController::registerPageEvents() {
  using F = WebSDK::EventFields;
  sdkManager.registerHandler(page::kEventPageLoaded, [this](F) { onPageLoaded(); });
  sdkManager.registerHandler(page::kEventSdkScriptInit, [this](F f) {
    sendToGame(NOTIFY_SCRIPT_INIT, field(f, page::kFieldResult) == "1" ? "1" : "0");
  });
  sdkManager.registerHandler(page::kEventLogin, [this](F f) {
    if (pageLoaded) showGame(true, true);
    sendToGame(NOTIFY_LOGIN, field(f, page::kFieldCode) + " " + field(f, page::kFieldClientType));
  });
  sdkManager.registerHandler(page::kEventLogout, [this](F f) {
    if (pageLoaded) showGame(true, true);
    sendToGame(NOTIFY_LOGOUT, field(f, page::kFieldUserId));
  });
  sdkManager.registerHandler(page::kEventSdkDialogClose, [this](F) {
    if (pageLoaded) showGame(true, true);
    sendToGame(NOTIFY_DIALOG_CLOSE, "");
  });
  sdkManager.registerHandler(page::kEventPay, [this](F f) {
    if (pageLoaded) showGame(true, true);
    sendToGame(NOTIFY_PAY, field(f, page::kFieldStatus) + " " + field(f, page::kFieldOrderId));
  });
  sdkManager.registerHandler(page::kEventClientInfo, [this](F f) {
    sendToGame(NOTIFY_CLIENT_INFO, field(f, page::kFieldToken) + " " +
                                       field(f, page::kFieldDeviceId) + " " +
                                       field(f, page::kFieldUserId));
  });
  sdkManager.registerHandler(page::kEventClientRepair, [this](F f) { onClientRepair(f); });
  sdkManager.registerHandler(page::kEventClickChatBtn, [this](F) {
    if (isReady() && hGameWnd) sendGame(CD_CHAT_BUTTON, encodeChatButton({customSize == 0 ? 1 : 0}));
  });
  sdkManager.registerHandler(page::kEventExtFunc, [this](F f) {
    const std::string& subType = field(f, page::kFieldSubType);
    if (subType == page::kSubTypePayCloseDone) {
      if (pageLoaded) showGame(true, true);
    } else if (subType == page::kSubTypeGetJsVersionDone) {
      hversion = readInteger(field(f, page::kFieldHVersion));
      midversion = readInteger(field(f, page::kFieldMidVersion));
      lowversion = readInteger(field(f, page::kFieldLowVersion));
      exploreInfo = field(f, page::kFieldExploreInfo);
    }
  });
}

}  // namespace kx::plugin
