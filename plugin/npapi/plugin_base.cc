#include "plugin/npapi/plugin_base.h"

#include "plugin/npapi/host_funcs.h"
#include "plugin/npapi/scriptable_object_base.h"

namespace NPPlugin {

bool Plugin::attachWindow(NPWindow* window) {
  if (!window || !window->window) return false;
  hwnd_ = window->window;
  npWindow_ = window;
  windowAttached_ = true;
  return true;
}

NPObject* Plugin::getScriptableObject() { return scriptableObjectOfClass(&scriptableClass); }

NPObject* Plugin::scriptableObjectOfClass(NPClass* aClass) {
  if (!scriptableObject_) scriptableObject_ = npnCreateObject(npp_, aClass);
  if (!scriptableObject_) return nullptr;
  return npnRetainObject(scriptableObject_);
}

}  // namespace NPPlugin
