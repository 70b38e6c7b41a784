#include "tests/support/copy_data_log.h"

#include <cstdio>
#include <cstring>

#include "common/base/unicode.h"
#include "common/protocol/copy_data.h"
#include "common/protocol/payloads.h"

namespace kx::test {
namespace {

std::string field(const char* name, long long value) {
  return std::string(" ") + name + "=" + std::to_string(value);
}

std::string textField(const char* name, const std::u16string& text) {
  return std::string(" ") + name + "=" + quoteText(text);
}

int32_t readInt32(const uint8_t* p) {
  uint32_t v = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
               (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
  return static_cast<int32_t>(v);
}

// The fields of a well-formed payload; false when it does not decode.
bool describeFields(uint32_t id, const void* data, size_t n, std::string& out) {
  switch (id) {
    case CD_LAUNCH_PROGRESS:
    case CD_GAME_PROGRESS: {
      auto m = decodeLaunchProgress(data, n);
      if (!m) return false;
      out += field("progress", m->progress) + field("status", m->status);
      return true;
    }
    case CD_LAUNCH_MSG_INFO: {
      auto m = decodeLaunchMsgInfo(data, n);
      if (!m) return false;
      out += textField("text", *m);
      return true;
    }
    case CD_DOWNLOAD_SPEED: {
      auto m = decodeDownloadSpeed(data, n);
      if (!m) return false;
      out += field("downloadSpeed", m->downloadSpeed) + field("curBytesRead", m->curBytesRead) +
             field("totalBytes", m->totalBytes);
      return true;
    }
    case CD_UNZIP_PROGRESS: {
      auto m = decodeUnzipProgress(data, n);
      if (!m) return false;
      out += field("curFiles", m->curFiles) + field("totalFiles", m->totalFiles);
      return true;
    }
    case CD_GAME_RELAUNCH: {
      auto m = decodeGameRelaunch(data, n);
      if (!m) return false;
      out += field("switchMode", m->switchMode);
      return true;
    }
    case CD_GAME_CLIENT_INFO: {
      auto m = decodeGameClientInfo(data, n);
      if (!m) return false;
      out += field("hGameWnd", m->hGameWnd) + field("processId", m->processId) +
             field("startStatus", m->startStatus);
      return true;
    }
    case CD_GAME_SDK_CALL: {
      auto m = decodeGameSdkCall(data, n);
      if (!m) return false;
      out += field("funcID", m->funcID) + textField("param", m->param);
      return true;
    }
    case CD_GAME_MAIN_SIZE: {
      auto m = decodeGameMainSize(data, n);
      if (!m) return false;
      out += field("mainWidth", m->mainWidth) + field("mainHeight", m->mainHeight) +
             field("customSize", m->customSize);
      return true;
    }
    case CD_SDK_NOTIFY: {
      auto m = decodeSdkNotify(data, n);
      if (!m) return false;
      out += field("kind", m->kind) + textField("text", m->text);
      return true;
    }
    case CD_QUIT_GAME: {
      auto m = decodeQuitGame(data, n);
      if (!m) return false;
      out += field("value", *m);
      return true;
    }
    case CD_SHOW_GAME: {
      auto m = decodeShowGame(data, n);
      if (!m) return false;
      out += field("show", m->show);
      return true;
    }
    case CD_RESIZE_GAME: {
      auto m = decodeResizeGame(data, n);
      if (!m) return false;
      out += field("width", m->width) + field("height", m->height);
      return true;
    }
    case CD_CHAT_BUTTON: {
      auto m = decodeChatButton(data, n);
      if (!m) return false;
      out += field("value", m->value);
      return true;
    }
    case CD_BROWSER_INFO: {
      auto m = decodeBrowserInfo(data, n);
      if (!m) return false;
      const uint8_t* p = static_cast<const uint8_t*>(data);
      out += field("hversion", m->hversion) + field("midversion", m->midversion) +
             field("lowversion", m->lowversion) + " words=" + std::to_string(readInt32(p + 12)) +
             "," + std::to_string(readInt32(p + 16)) + "," + std::to_string(readInt32(p + 20)) +
             "," + std::to_string(readInt32(p + 24)) + textField("exploreInfo", m->exploreInfo);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace

std::string copyDataIdText(uint32_t id) {
  char buf[16];
  std::snprintf(buf, sizeof(buf), "0x%04x", static_cast<unsigned>(id));
  return buf;
}

std::string quoteText(const std::u16string& text) {
  const std::string utf8 = utf16ToUtf8(text);
  std::string out = "\"";
  for (char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    if (ch == '"' || ch == '\\') {
      out.push_back('\\');
      out.push_back(ch);
    } else if (c < 0x20 || c == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof(buf), "\\u%04x", c);
      out += buf;
    } else {
      out.push_back(ch);
    }
  }
  out.push_back('"');
  return out;
}

std::string describeCopyData(uint32_t id, const void* data, size_t cbData) {
  std::string line = copyDataIdText(id);
  const CopyDataInfo* info = findCopyData(id);
  if (info == nullptr) return line + " unknown" + field("cbData", static_cast<long long>(cbData));
  line += " ";
  line += info->name;
  if (!describeFields(id, data, cbData, line)) line += " malformed";
  return line + field("cbData", static_cast<long long>(cbData));
}

}  // namespace kx::test
