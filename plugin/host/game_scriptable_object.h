#ifndef KX_PLUGIN_HOST_GAME_SCRIPTABLE_OBJECT_H_
#define KX_PLUGIN_HOST_GAME_SCRIPTABLE_OBJECT_H_

// The object the page scripts: OnScriptMessage, SetParams, ReDraw,
// IsPluginReady and the property IsRunning.

#include "plugin/host/script_host.h"
#include "plugin/npapi/scriptable_object_base.h"

namespace NPPlugin {

class GameScriptableObject : public ScriptableObject {
 public:
  // Registers the methods, then binds to the instance in |npp|'s pdata.
  static GameScriptableObject* create(NPP npp);

  explicit GameScriptableObject(NPP npp) : ScriptableObject(npp) {}
  void registerMethods() override;
  // The page may drop the object late; from here on it reaches no instance.
  void invalidate() override { plugin_ = nullptr; }
  void detachPlugin() { plugin_ = nullptr; }
  ScriptHost* plugin() const { return plugin_; }

 private:
  bool onScriptMSG(const NPVariant* args, uint32_t argCount, NPVariant* result);
  bool onSetParams(const NPVariant* args, uint32_t argCount, NPVariant* result);
  bool onReDraw(const NPVariant* args, uint32_t argCount, NPVariant* result);
  bool onIsPluginReady(const NPVariant* args, uint32_t argCount, NPVariant* result);

  ScriptHost* plugin_ = nullptr;
};

extern NPClass gameScriptableClass;

}  // namespace NPPlugin

#endif  // KX_PLUGIN_HOST_GAME_SCRIPTABLE_OBJECT_H_
