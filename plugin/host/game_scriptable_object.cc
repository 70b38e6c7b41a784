#include "plugin/host/game_scriptable_object.h"

#include <new>

#include "common/base/trace.h"
#include "common/contracts/page_contract.h"
#include "plugin/npapi/plugin_base.h"

namespace NPPlugin {

NPClass gameScriptableClass = ScriptableClassAdapter<GameScriptableObject>::table();

GameScriptableObject* GameScriptableObject::create(NPP npp) {
  auto* object = new (std::nothrow) GameScriptableObject(npp);
  if (!object) return nullptr;
  object->registerMethods();
  if (npp && npp->pdata)
    object->plugin_ = dynamic_cast<ScriptHost*>(static_cast<nsPluginInstanceBase*>(npp->pdata));
  return object;
}

void GameScriptableObject::registerMethods() {
  using namespace std::placeholders;
  addMethod(kx::page::kMethodOnScriptMessage,
            std::bind(&GameScriptableObject::onScriptMSG, this, _1, _2, _3));
  addMethod(kx::page::kMethodSetParams,
            std::bind(&GameScriptableObject::onSetParams, this, _1, _2, _3));
  addMethod(kx::page::kMethodReDraw, std::bind(&GameScriptableObject::onReDraw, this, _1, _2, _3));
  addMethod(kx::page::kMethodIsPluginReady,
            std::bind(&GameScriptableObject::onIsPluginReady, this, _1, _2, _3));
}

bool GameScriptableObject::onScriptMSG(const NPVariant* args, uint32_t argCount, NPVariant*) {
  const std::optional<std::string> text = firstStringArgument(args, argCount);
  if (!text || !plugin_) return true;
  kx::trace(L"GameScriptableObject::onScriptMSG(%s)", *text);
  plugin_->onScriptMessage(*text);
  return true;
}

bool GameScriptableObject::onSetParams(const NPVariant* args, uint32_t argCount, NPVariant*) {
  if (!plugin_) return false;
  const std::optional<std::string> text = firstStringArgument(args, argCount);
  if (!text) return true;
  plugin_->setParams(*text);
  return true;
}

bool GameScriptableObject::onReDraw(const NPVariant*, uint32_t, NPVariant*) {
  if (!plugin_) return false;
  plugin_->updateWindow();
  return true;
}

bool GameScriptableObject::onIsPluginReady(const NPVariant*, uint32_t, NPVariant* result) {
  if (!plugin_) return false;
  const bool isFilesReady = plugin_->checkRequiredFiles();
  kx::trace(L"IsPluginReady(isFilesReady):%s", isFilesReady ? "true" : "false");
  if (result) BOOLEAN_TO_NPVARIANT(isFilesReady, *result);
  return true;
}

}  // namespace NPPlugin
