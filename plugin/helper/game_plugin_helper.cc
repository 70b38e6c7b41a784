#include "plugin/helper/game_plugin_helper.h"

#include "common/base/trace.h"
#include "common/contracts/page_contract.h"
#include "plugin/host/game_plugin.h"
#include "plugin/host/page_call.h"

// The host's side of the helper. Copy-data dispatch, timers, process
// supervision and launches are the controller's and arrive behind these
// entry points; until then they accept their input and do nothing with it.

void GamePluginHelper::init() {
  kx::trace(L"GamePluginHelper Instance:%p", this);
  kx::trace(L"SDKManager::GetIns():%p", &sdkManager);
  sdkManager.setNpp(owner ? owner->npp() : nullptr);
  sdkManager.reset();
  sdkManager.registerHandler(kx::page::kEventPageLoaded, [this](WebSDK::EventFields) {
    pageLoaded = 1;
    startGame();
  });
}

void GamePluginHelper::notifyPluginReady() {
  if (!owner) return;
  NPPlugin::callPageFunction(owner->npp(), kx::page::kFnOnPluginReady, {}, NPPlugin::kPageTarget);
  if (isReady()) startGame();
}

void GamePluginHelper::onCopyData(HWND sender, const COPYDATASTRUCT* data) {
  kx::trace(L"GamePluginHelper::onCopyData() hdrCode = %04x, hWnd = %08x\n",
            data ? static_cast<uint32_t>(data->dwData) : 0u,
            static_cast<uint32_t>(reinterpret_cast<uintptr_t>(sender)));
}

void GamePluginHelper::onTimer(HWND, UINT_PTR) {}

void GamePluginHelper::resizeGame(int32_t, int32_t) {}

bool GamePluginHelper::endProcesses() { return true; }

int32_t GamePluginHelper::startGame() { return isReady() ? 1 : 0; }

void GamePluginHelper::onScriptMessage(const std::wstring& text) {
  sdkManager.onScriptMessage(text);
}

void GamePluginHelper::setParams(const std::wstring& text) {
  // Parsed into the launch parameters by the controller.
  (void)text;
}

bool GamePluginHelper::isReady() const {
  return pageLoaded != 0 && owner && owner->isWindowAttached();
}
