#ifndef KX_COMMON_PROTOCOL_COPY_DATA_H_
#define KX_COMMON_PROTOCOL_COPY_DATA_H_

// The WM_COPYDATA protocol between launcher, game client and plug-in: the
// identifiers (COPYDATASTRUCT::dwData), who sends them to whom, the fixed
// part of each payload, and how each side sends.

#include <cstddef>
#include <cstdint>
#include <optional>

namespace kx {

constexpr uint32_t kWmCopyData = 0x004A;

// Launcher to plug-in.
constexpr uint32_t CD_LAUNCH_PROGRESS = 0x1102;
constexpr uint32_t CD_LAUNCH_MSG_INFO = 0x1103;  // from a sender outside the system
constexpr uint32_t CD_DOWNLOAD_SPEED = 0x1104;
constexpr uint32_t CD_UNZIP_PROGRESS = 0x1105;
// Game client to plug-in.
constexpr uint32_t CD_GAME_RELAUNCH = 0x0003;
constexpr uint32_t CD_GAME_CLIENT_INFO = 0x0101;
constexpr uint32_t CD_GAME_SDK_CALL = 0x0102;
constexpr uint32_t CD_GAME_MAIN_SIZE = 0x0104;
constexpr uint32_t CD_GAME_PROGRESS = 0x3101;
// Plug-in to game client.
constexpr uint32_t CD_SDK_NOTIFY = 0x2101;
constexpr uint32_t CD_QUIT_GAME = 0x2102;
constexpr uint32_t CD_SHOW_GAME = 0x2103;
constexpr uint32_t CD_RESIZE_GAME = 0x2104;
constexpr uint32_t CD_CHAT_BUTTON = 0x2105;
constexpr uint32_t CD_BROWSER_INFO = 0x2106;

// Set: the plug-in handles the message inside the sender's send call.
// Clear: it copies the payload and handles it later from its queue.
constexpr uint32_t CD_IMMEDIATE = 0x0100;
constexpr bool isImmediate(uint32_t id) { return (id & CD_IMMEDIATE) != 0; }

enum class Party : uint8_t { kLauncher, kGameClient, kPlugin, kOutside };

// How a payload is laid out after its fixed part.
enum class PayloadShape : uint8_t {
  kFixed,        // exactly fixedBytes
  kText,         // fixedBytes, then a NUL-terminated UTF-16 text
  kCountedText,  // fixedBytes (including a 16-bit unit count), the units, a 16-bit zero
};

struct CopyDataInfo {
  uint32_t id;
  const char* name;  // e.g. "CD_LAUNCH_PROGRESS"
  Party from;
  Party to;
  // Bytes a payload needs at least; shorter ones are ignored. For the text
  // shapes this is the part before the text.
  size_t fixedBytes;
  PayloadShape shape;
};

constexpr size_t kCopyDataCount = 15;
// Every identifier, in the order launcher, game client, plug-in messages.
extern const CopyDataInfo kCopyDataTable[kCopyDataCount];

// nullptr for an identifier that is not part of the protocol.
const CopyDataInfo* findCopyData(uint32_t id);
// The name for traces; "unknown" for an identifier outside the table.
const char* copyDataName(uint32_t id);

// Launch phases carried in CD_LAUNCH_PROGRESS / CD_GAME_PROGRESS.
enum LaunchPhase : uint8_t {
  PHASE_IDLE = 0,  // the plug-in's own value
  PHASE_PREPARED = 1,
  PHASE_LIST_READY = 2,
  PHASE_DOWNLOAD_START = 3,
  PHASE_DOWNLOAD = 4,  // status = eighths downloaded, 1 to 8
  PHASE_UNPACK = 5,
  PHASE_RESOURCES = 6,
  PHASE_STARTING_GAME = 7,
  // 8 and 9 carry no name; receivers accept them.
  PHASE_GAME_READY = 10,  // the plug-in's own value
};
constexpr uint8_t kMaxLaunchPhase = 10;
constexpr uint8_t kDownloadEighths = 8;

// Kinds of CD_SDK_NOTIFY.
enum NotifyKind : uint16_t {
  NOTIFY_SCRIPT_INIT = 0,
  NOTIFY_LOGIN = 1,
  NOTIFY_CLIENT_INFO = 2,
  NOTIFY_LOGOUT = 3,
  NOTIFY_DIALOG_CLOSE = 4,
  NOTIFY_PAY = 5,
};

// funcID values of CD_GAME_SDK_CALL; anything above kMaxSdkFunc does nothing.
enum SdkFunc : uint16_t {
  kSdkInitWebSdk = 0,
  kSdkLogin = 1,
  kSdkLogout = 2,
  kSdkSetClientData = 3,
  kSdkShowUserDialog = 4,
  kSdkShowPayDialog = 5,
  kSdkSetRoleInfo = 6,
  kSdkClosePayDialog = 7,
  kSdkShowPayDialogAlt = 8,  // same page call as 5
  kSdkCommonCmd = 9,
};
constexpr uint16_t kMaxSdkFunc = 9;

// SendMessageTimeoutW flags, numerically the Win32 ones.
constexpr uint32_t kSmtoNormal = 0x0000;
constexpr uint32_t kSmtoNoTimeoutIfNotHung = 0x0008;

// How one WM_COPYDATA is sent: SendMessageTimeoutW(target, WM_COPYDATA,
// wParam, &cds, flags, timeoutMs, nullptr). Only the call's success counts;
// nothing is retried and the message result means nothing.
struct SendParams {
  bool wParamIsSenderWindow;  // else wParam is 0
  uint32_t flags;
  uint32_t timeoutMs;
};

// The launcher's messages, to the plug-in window from its command line.
constexpr SendParams kLauncherSend{false, kSmtoNormal, 0};
// The plug-in's messages to hGameWnd, but CD_QUIT_GAME.
constexpr SendParams kPluginSend{true, kSmtoNoTimeoutIfNotHung, 100};
// CD_QUIT_GAME: as kPluginSend, with wParam 0.
constexpr SendParams kPluginQuitSend{false, kSmtoNoTimeoutIfNotHung, 100};

// The parameters for a message of the launcher or the plug-in; nothing for
// the game client's and outside messages (theirs are the sender's choice)
// and for unknown identifiers.
std::optional<SendParams> sendParamsFor(uint32_t id);

}  // namespace kx

#endif  // KX_COMMON_PROTOCOL_COPY_DATA_H_
