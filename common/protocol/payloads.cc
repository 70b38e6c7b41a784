#include "common/protocol/payloads.h"

#include <algorithm>

namespace kx {
namespace {

class Writer {
 public:
  explicit Writer(size_t reserve) { out_.reserve(reserve); }
  Writer& u8(uint8_t v) {
    out_.push_back(v);
    return *this;
  }
  Writer& u16(uint16_t v) { return u8(v & 0xFF).u8(v >> 8); }
  Writer& u32(uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
  Writer& i32(int32_t v) { return u32(static_cast<uint32_t>(v)); }
  Writer& units(const std::u16string& s, size_t count) {
    for (size_t i = 0; i < count; ++i) u16(s[i]);
    return *this;
  }
  Payload take() { return std::move(out_); }

 private:
  Payload out_;
};

// Little-endian reads at fixed offsets of a payload whose size was checked.
class Reader {
 public:
  Reader(const void* data, size_t size) : p_(static_cast<const uint8_t*>(data)), size_(size) {}
  bool has(size_t bytes) const { return p_ != nullptr && size_ >= bytes; }
  uint8_t u8(size_t at) const { return p_[at]; }
  uint16_t u16(size_t at) const { return static_cast<uint16_t>(p_[at] | (p_[at + 1] << 8)); }
  uint32_t u32(size_t at) const {
    return static_cast<uint32_t>(u16(at)) | (static_cast<uint32_t>(u16(at + 2)) << 16);
  }
  int32_t i32(size_t at) const { return static_cast<int32_t>(u32(at)); }
  // Units from |at| up to a zero unit, |maxUnits|, or the end of the payload.
  std::u16string text(size_t at, size_t maxUnits) const {
    std::u16string out;
    if (at > size_) return out;
    const size_t available = std::min((size_ - at) / 2, maxUnits);
    for (size_t i = 0; i < available; ++i) {
      const char16_t c = static_cast<char16_t>(u16(at + 2 * i));
      if (c == 0) break;
      out.push_back(c);
    }
    return out;
  }

 private:
  const uint8_t* p_;
  size_t size_;
};

// A text cut at its first zero unit, as the receiver would see it.
size_t unitsBeforeZero(const std::u16string& s, size_t limit) {
  const size_t zero = s.find(u'\0');
  return std::min(zero == std::u16string::npos ? s.size() : zero, limit);
}

}  // namespace

Payload encodeLaunchProgress(const LaunchProgress& m) {
  return Writer(2).u8(m.progress).u8(m.status).take();
}
Payload encodeDownloadSpeed(const DownloadSpeed& m) {
  return Writer(12).u32(m.downloadSpeed).u32(m.curBytesRead).u32(m.totalBytes).take();
}
Payload encodeUnzipProgress(const UnzipProgress& m) {
  return Writer(8).u32(m.curFiles).u32(m.totalFiles).take();
}
Payload encodeLaunchMsgInfo(const std::u16string& text) {
  const size_t n = unitsBeforeZero(text, text.size());
  return Writer(2 * n + 2).units(text, n).u16(0).take();
}
Payload encodeGameRelaunch(const GameRelaunch& m) { return Writer(1).u8(m.switchMode).take(); }
Payload encodeGameClientInfo(const GameClientInfo& m) {
  return Writer(12).u32(m.hGameWnd).u32(m.processId).i32(m.startStatus).take();
}
Payload encodeGameSdkCall(const GameSdkCall& m) {
  const size_t n = unitsBeforeZero(m.param, m.param.size());
  return Writer(6 + 2 * n).u16(m.funcID).u16(0).units(m.param, n).u16(0).take();
}
Payload encodeGameMainSize(const GameMainSize& m) {
  return Writer(12).i32(m.mainWidth).i32(m.mainHeight).i32(m.customSize).take();
}
Payload encodeSdkNotify(const SdkNotify& m) {
  const size_t n = unitsBeforeZero(m.text, kMaxNotifyUnits);
  return Writer(6 + 2 * n).u16(m.kind).u16(static_cast<uint16_t>(n)).units(m.text, n).u16(0).take();
}
Payload encodeQuitGame() { return Writer(1).u8(1).take(); }
Payload encodeShowGame(const ShowGame& m) { return Writer(1).u8(m.show).take(); }
Payload encodeResizeGame(const ResizeGame& m) {
  return Writer(8).i32(m.width).i32(m.height).take();
}
Payload encodeChatButton(const ChatButton& m) { return Writer(4).i32(m.value).take(); }
Payload encodeBrowserInfo(const BrowserInfo& m) {
  Writer w(kBrowserInfoBytes);
  w.i32(m.hversion).i32(m.midversion).i32(m.lowversion);
  for (int32_t word : kBrowserInfoWords) w.i32(word);
  const size_t n = unitsBeforeZero(m.exploreInfo, kBrowserInfoTextUnits - 1);
  w.units(m.exploreInfo, n);
  for (size_t i = n; i < kBrowserInfoTextUnits; ++i) w.u16(0);
  return w.take();
}

std::optional<LaunchProgress> decodeLaunchProgress(const void* data, size_t cbData) {
  const Reader r(data, cbData);
  if (!r.has(kLaunchProgressBytes)) return std::nullopt;
  return LaunchProgress{r.u8(0), r.u8(1)};
}
std::optional<DownloadSpeed> decodeDownloadSpeed(const void* data, size_t cbData) {
  const Reader r(data, cbData);
  if (!r.has(kDownloadSpeedBytes)) return std::nullopt;
  return DownloadSpeed{r.u32(0), r.u32(4), r.u32(8)};
}
std::optional<UnzipProgress> decodeUnzipProgress(const void* data, size_t cbData) {
  const Reader r(data, cbData);
  if (!r.has(kUnzipProgressBytes)) return std::nullopt;
  return UnzipProgress{r.u32(0), r.u32(4)};
}
std::optional<std::u16string> decodeLaunchMsgInfo(const void* data, size_t cbData) {
  const Reader r(data, cbData);
  if (!r.has(0)) return std::nullopt;
  return r.text(0, cbData / 2);
}
std::optional<GameRelaunch> decodeGameRelaunch(const void* data, size_t cbData) {
  const Reader r(data, cbData);
  if (!r.has(kGameRelaunchBytes)) return std::nullopt;
  return GameRelaunch{r.u8(0)};
}
std::optional<GameClientInfo> decodeGameClientInfo(const void* data, size_t cbData) {
  const Reader r(data, cbData);
  if (!r.has(kGameClientInfoBytes)) return std::nullopt;
  return GameClientInfo{r.u32(0), r.u32(4), r.i32(8)};
}
std::optional<GameSdkCall> decodeGameSdkCall(const void* data, size_t cbData) {
  const Reader r(data, cbData);
  if (!r.has(kGameSdkCallHeaderBytes)) return std::nullopt;
  return GameSdkCall{r.u16(0), r.text(kGameSdkCallHeaderBytes, cbData / 2)};
}
std::optional<GameMainSize> decodeGameMainSize(const void* data, size_t cbData) {
  const Reader r(data, cbData);
  if (!r.has(kGameMainSizeBytes)) return std::nullopt;
  return GameMainSize{r.i32(0), r.i32(4), r.i32(8)};
}
std::optional<SdkNotify> decodeSdkNotify(const void* data, size_t cbData) {
  const Reader r(data, cbData);
  if (!r.has(kSdkNotifyHeaderBytes)) return std::nullopt;
  const size_t n = r.u16(2);
  if (!r.has(kSdkNotifyHeaderBytes + 2 * n + 2)) return std::nullopt;
  return SdkNotify{r.u16(0), r.text(kSdkNotifyHeaderBytes, n)};
}
std::optional<uint8_t> decodeQuitGame(const void* data, size_t cbData) {
  const Reader r(data, cbData);
  if (!r.has(kQuitGameBytes)) return std::nullopt;
  return r.u8(0);
}
std::optional<ShowGame> decodeShowGame(const void* data, size_t cbData) {
  const Reader r(data, cbData);
  if (!r.has(kShowGameBytes)) return std::nullopt;
  return ShowGame{r.u8(0)};
}
std::optional<ResizeGame> decodeResizeGame(const void* data, size_t cbData) {
  const Reader r(data, cbData);
  if (!r.has(kResizeGameBytes)) return std::nullopt;
  return ResizeGame{r.i32(0), r.i32(4)};
}
std::optional<ChatButton> decodeChatButton(const void* data, size_t cbData) {
  const Reader r(data, cbData);
  if (!r.has(kChatButtonBytes)) return std::nullopt;
  return ChatButton{r.i32(0)};
}
std::optional<BrowserInfo> decodeBrowserInfo(const void* data, size_t cbData) {
  const Reader r(data, cbData);
  if (!r.has(kBrowserInfoBytes)) return std::nullopt;
  return BrowserInfo{r.i32(0), r.i32(4), r.i32(8), r.text(28, kBrowserInfoTextUnits)};
}

}  // namespace kx
