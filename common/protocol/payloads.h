#ifndef KX_COMMON_PROTOCOL_PAYLOADS_H_
#define KX_COMMON_PROTOCOL_PAYLOADS_H_

// Encoders and bounds-checked decoders for every copy-data payload.
// Encoders give the exact bytes to put in COPYDATASTRUCT::lpData. Decoders take
// (lpData, cbData) as received: a null pointer or a payload shorter than its
// layout gives std::nullopt ("ignored"), and nothing past cbData is ever read.
// Texts end at their terminator or at cbData, whichever comes first.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kx {

using Payload = std::vector<uint8_t>;

struct LaunchProgress {  // CD_LAUNCH_PROGRESS and CD_GAME_PROGRESS
  uint8_t progress = 0;
  uint8_t status = 0;
};
struct DownloadSpeed {  // CD_DOWNLOAD_SPEED
  uint32_t downloadSpeed = 0;
  uint32_t curBytesRead = 0;
  uint32_t totalBytes = 0;
};
struct UnzipProgress {  // CD_UNZIP_PROGRESS
  uint32_t curFiles = 0;
  uint32_t totalFiles = 0;
};
struct GameRelaunch {  // CD_GAME_RELAUNCH
  uint8_t switchMode = 0;
};
struct GameClientInfo {  // CD_GAME_CLIENT_INFO
  uint32_t hGameWnd = 0;
  uint32_t processId = 0;
  int32_t startStatus = 0;
};
struct GameSdkCall {  // CD_GAME_SDK_CALL
  uint16_t funcID = 0;
  std::u16string param;
};
struct GameMainSize {  // CD_GAME_MAIN_SIZE
  int32_t mainWidth = 0;
  int32_t mainHeight = 0;
  int32_t customSize = 0;
};
struct SdkNotify {  // CD_SDK_NOTIFY
  uint16_t kind = 0;
  std::u16string text;  // at most 65535 units
};
struct ShowGame {  // CD_SHOW_GAME
  uint8_t show = 0;
};
struct ResizeGame {  // CD_RESIZE_GAME
  int32_t width = 0;
  int32_t height = 0;
};
struct ChatButton {  // CD_CHAT_BUTTON
  int32_t value = 0;
};
struct BrowserInfo {  // CD_BROWSER_INFO
  int32_t hversion = 0;
  int32_t midversion = 0;
  int32_t lowversion = 0;
  std::u16string exploreInfo;  // cut to 127 units on the wire
};

constexpr size_t kLaunchProgressBytes = 2;
constexpr size_t kDownloadSpeedBytes = 12;
constexpr size_t kUnzipProgressBytes = 8;
constexpr size_t kGameRelaunchBytes = 1;
constexpr size_t kGameClientInfoBytes = 12;
constexpr size_t kGameSdkCallHeaderBytes = 4;
constexpr size_t kGameMainSizeBytes = 12;
constexpr size_t kSdkNotifyHeaderBytes = 4;
constexpr size_t kQuitGameBytes = 1;
constexpr size_t kShowGameBytes = 1;
constexpr size_t kResizeGameBytes = 8;
constexpr size_t kChatButtonBytes = 4;
constexpr size_t kBrowserInfoBytes = 284;
constexpr size_t kBrowserInfoTextUnits = 128;  // the field, terminator included
constexpr size_t kMaxNotifyUnits = 0xFFFF;
// Constant words of CD_BROWSER_INFO at offsets 12..27, sent unchanged.
constexpr int32_t kBrowserInfoWords[4] = {1, 19, 0, 1};

Payload encodeLaunchProgress(const LaunchProgress& m);
Payload encodeDownloadSpeed(const DownloadSpeed& m);
Payload encodeUnzipProgress(const UnzipProgress& m);
Payload encodeLaunchMsgInfo(const std::u16string& text);
Payload encodeGameRelaunch(const GameRelaunch& m);
Payload encodeGameClientInfo(const GameClientInfo& m);
Payload encodeGameSdkCall(const GameSdkCall& m);
Payload encodeGameMainSize(const GameMainSize& m);
// A text longer than 65535 units is cut there (the length field is 16 bits).
Payload encodeSdkNotify(const SdkNotify& m);
Payload encodeQuitGame();
Payload encodeShowGame(const ShowGame& m);
Payload encodeResizeGame(const ResizeGame& m);
Payload encodeChatButton(const ChatButton& m);
Payload encodeBrowserInfo(const BrowserInfo& m);

std::optional<LaunchProgress> decodeLaunchProgress(const void* data, size_t cbData);
std::optional<DownloadSpeed> decodeDownloadSpeed(const void* data, size_t cbData);
std::optional<UnzipProgress> decodeUnzipProgress(const void* data, size_t cbData);
std::optional<std::u16string> decodeLaunchMsgInfo(const void* data, size_t cbData);
std::optional<GameRelaunch> decodeGameRelaunch(const void* data, size_t cbData);
std::optional<GameClientInfo> decodeGameClientInfo(const void* data, size_t cbData);
std::optional<GameSdkCall> decodeGameSdkCall(const void* data, size_t cbData);
std::optional<GameMainSize> decodeGameMainSize(const void* data, size_t cbData);
// Needs 6 + 2n bytes for the n units that the header announces.
std::optional<SdkNotify> decodeSdkNotify(const void* data, size_t cbData);
std::optional<uint8_t> decodeQuitGame(const void* data, size_t cbData);
std::optional<ShowGame> decodeShowGame(const void* data, size_t cbData);
std::optional<ResizeGame> decodeResizeGame(const void* data, size_t cbData);
std::optional<ChatButton> decodeChatButton(const void* data, size_t cbData);
std::optional<BrowserInfo> decodeBrowserInfo(const void* data, size_t cbData);

}  // namespace kx

#endif  // KX_COMMON_PROTOCOL_PAYLOADS_H_
