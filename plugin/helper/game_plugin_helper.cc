#include "plugin/helper/game_plugin_helper.h"

#include "plugin/host/game_plugin.h"

// The host's entry points, handed to the controller.

void GamePluginHelper::init() { controller_.init(owner ? owner->npp() : nullptr); }

void GamePluginHelper::notifyPluginReady() {
  if (owner) controller_.notifyPluginReady();
}

void GamePluginHelper::onCopyData(HWND sender, const COPYDATASTRUCT* data) {
  if (!data) return;
  controller_.onCopyData(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(sender)),
                         static_cast<uint32_t>(data->dwData), data->lpData, data->cbData);
}

void GamePluginHelper::onTimer(HWND, UINT_PTR timerId) {
  controller_.onTimer(static_cast<uint32_t>(timerId));
}

void GamePluginHelper::resizeGame(int32_t width, int32_t height) {
  controller_.resizeGame(width, height);
}

bool GamePluginHelper::endProcesses() { return controller_.endProcesses(); }

int32_t GamePluginHelper::startGame() { return controller_.startGame(); }

void GamePluginHelper::onScriptMessage(const std::wstring& text) {
  sdkManager.onScriptMessage(text);
}

void GamePluginHelper::setParams(const std::wstring& text) {
  controller_.setParams(std::u16string(text.begin(), text.end()));
}

bool GamePluginHelper::isReady() const { return controller_.isReady(); }
