// A stand-in GamePluginHelper for the probe build of the plug-in: the host
// code is the product's, and every entry point that the host calls reports
// itself to the page as kxProbe('ENTRY', ...), so the test browser sees what
// reached the helper and with which values.
#include <cstdio>
#include <string>
#include <vector>

#include "common/base/text_convert_win.h"
#include "common/contracts/page_contract.h"
#include "plugin/helper/game_plugin_helper.h"
#include "plugin/host/game_plugin.h"
#include "plugin/host/page_call.h"

namespace {

void probe(GamePlugin* owner, std::vector<std::string> args) {
  if (!owner) return;
  NPPlugin::callPageFunction(owner->npp(), "kxProbe", args, NPPlugin::kPageTarget);
}

std::string hexBytes(const void* data, size_t size) {
  std::string out;
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (size_t i = 0; bytes && i < size; ++i) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
    out += pair;
  }
  return out;
}

}  // namespace

void GamePluginHelper::init() {
  sdkManager.setNpp(owner ? owner->npp() : nullptr);
  sdkManager.reset();
  for (const char* event :
       {kx::page::kEventPageLoaded, kx::page::kEventLogin, kx::page::kEventClientRepair}) {
    sdkManager.registerHandler(event, [this, event](WebSDK::EventFields fields) {
      if (std::string(event) == kx::page::kEventPageLoaded) controller().pageLoaded = 1;
      probe(owner, {"event", event, WebSDK::fieldsText(fields)});
    });
  }
  probe(owner, {"init"});
}

void GamePluginHelper::notifyPluginReady() {
  if (!owner) return;
  NPPlugin::callPageFunction(owner->npp(), kx::page::kFnOnPluginReady, {}, NPPlugin::kPageTarget);
  if (isReady()) startGame();
}

void GamePluginHelper::onCopyData(HWND sender, const COPYDATASTRUCT* data) {
  probe(owner, {"onCopyData", std::to_string(static_cast<int32_t>(reinterpret_cast<intptr_t>(sender))),
                std::to_string(data ? data->dwData : 0), std::to_string(data ? data->cbData : 0),
                data ? hexBytes(data->lpData, data->cbData) : ""});
}

void GamePluginHelper::onTimer(HWND, UINT_PTR timerId) {
  probe(owner, {"onTimer", std::to_string(timerId)});
}

void GamePluginHelper::resizeGame(int32_t width, int32_t height) {
  probe(owner, {"resizeGame", std::to_string(width), std::to_string(height)});
}

bool GamePluginHelper::endProcesses() {
  probe(owner, {"endProcesses"});
  return true;
}

int32_t GamePluginHelper::startGame() {
  probe(owner, {"startGame"});
  return 1;
}

void GamePluginHelper::onScriptMessage(const std::wstring& text) {
  sdkManager.onScriptMessage(text);
}

void GamePluginHelper::setParams(const std::wstring& text) {
  // Back to UTF-8 from the UTF-16 the host made, so the page sees what arrived.
  std::string utf8;
  probe(owner, {"setParams", std::to_string(text.size()), kx::wideToUtf8(text, utf8)});
}

bool GamePluginHelper::isReady() const { return controller_.isReady(); }
