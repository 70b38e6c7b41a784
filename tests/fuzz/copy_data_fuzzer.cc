// Every copy-data decoder on bytes as a peer window might send them.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/protocol/payloads.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact-size copy, so any read past cbData is caught.
  std::vector<uint8_t> bytes(data, data + size);
  const void* p = bytes.empty() ? nullptr : bytes.data();
  kx::decodeLaunchProgress(p, size);
  kx::decodeDownloadSpeed(p, size);
  kx::decodeUnzipProgress(p, size);
  kx::decodeLaunchMsgInfo(p, size);
  kx::decodeGameRelaunch(p, size);
  kx::decodeGameClientInfo(p, size);
  kx::decodeGameSdkCall(p, size);
  kx::decodeGameMainSize(p, size);
  kx::decodeSdkNotify(p, size);
  kx::decodeQuitGame(p, size);
  kx::decodeShowGame(p, size);
  kx::decodeResizeGame(p, size);
  kx::decodeChatButton(p, size);
  kx::decodeBrowserInfo(p, size);
  return 0;
}
