#include "plugin/npapi/np_gates.h"

#include <cstddef>

#include "plugin/npapi/host_funcs.h"
#include "plugin/npapi/plugin_base.h"

namespace NPPlugin {
namespace {

nsPluginInstanceBase* instanceOf(NPP npp) {
  return static_cast<nsPluginInstanceBase*>(npp->pdata);
}

NPError newGate(NPMIMEType type, NPP npp, uint16_t mode, int16_t argc, char* argn[],
                char* argv[], NPSavedData* saved) {
  if (!npp) return NPERR_INVALID_INSTANCE_ERROR;
  const PluginCreateData data{npp, type, mode, argc, argn, argv, saved};
  nsPluginInstanceBase* instance = createPluginInstance(data);
  if (!instance) return NPERR_OUT_OF_MEMORY_ERROR;
  npp->pdata = instance;
  return NPERR_NO_ERROR;
}

NPError destroyGate(NPP npp, NPSavedData** /*save*/) {
  if (!npp) return NPERR_INVALID_INSTANCE_ERROR;
  nsPluginInstanceBase* instance = instanceOf(npp);
  if (!instance) return NPERR_NO_ERROR;
  instance->detachWindow();
  destroyPluginInstance(instance);
  npp->pdata = nullptr;
  return NPERR_NO_ERROR;
}

NPError setWindowGate(NPP npp, NPWindow* window) {
  if (!npp) return NPERR_INVALID_INSTANCE_ERROR;
  nsPluginInstanceBase* instance = instanceOf(npp);
  if (!window || !instance) return NPERR_GENERIC_ERROR;
  if (!instance->isWindowAttached() && window->window) {
    if (!instance->attachWindow(window)) {
      destroyPluginInstance(instance);
      // Later gates must find no instance rather than the freed one.
      npp->pdata = nullptr;
      return NPERR_MODULE_LOAD_FAILED_ERROR;
    }
  }
  return instance->setWindow(window);
}

NPError newStreamGate(NPP npp, NPMIMEType type, NPStream* stream, NPBool seekable,
                      uint16_t* stype) {
  if (!npp) return NPERR_INVALID_INSTANCE_ERROR;
  nsPluginInstanceBase* instance = instanceOf(npp);
  if (!instance) return NPERR_GENERIC_ERROR;
  return instance->newStream(type, stream, seekable, stype);
}

NPError destroyStreamGate(NPP npp, NPStream* stream, NPReason reason) {
  if (!npp) return NPERR_INVALID_INSTANCE_ERROR;
  nsPluginInstanceBase* instance = instanceOf(npp);
  if (!instance) return NPERR_GENERIC_ERROR;
  return instance->destroyStream(stream, reason);
}

void streamAsFileGate(NPP npp, NPStream* stream, const char* fname) {
  if (!npp || !instanceOf(npp)) return;
  instanceOf(npp)->streamAsFile(stream, fname);
}

int32_t writeReadyGate(NPP npp, NPStream* stream) {
  if (!npp || !instanceOf(npp)) return kWriteReadyAll;
  return instanceOf(npp)->writeReady(stream);
}

int32_t writeGate(NPP npp, NPStream* stream, int32_t offset, int32_t len, void* buffer) {
  if (!npp || !instanceOf(npp)) return len;
  return instanceOf(npp)->write(stream, offset, len, buffer);
}

void printGate(NPP npp, NPPrint* printInfo) {
  if (!npp || !instanceOf(npp)) return;
  instanceOf(npp)->print(printInfo);
}

int16_t handleEventGate(NPP npp, void* event) {
  if (!npp || !instanceOf(npp)) return 0;
  return instanceOf(npp)->handleEvent(event);
}

void urlNotifyGate(NPP npp, const char* url, NPReason reason, void* notifyData) {
  if (!npp || !instanceOf(npp)) return;
  instanceOf(npp)->urlNotify(url, reason, notifyData);
}

NPError getValueGate(NPP npp, NPPVariable variable, void* value) {
  if (!npp) return NPERR_INVALID_INSTANCE_ERROR;
  nsPluginInstanceBase* instance = instanceOf(npp);
  if (!instance) return NPERR_GENERIC_ERROR;
  if (variable == NPPVpluginScriptableNPObject && value)
    *static_cast<NPObject**>(value) = instance->getScriptableObject();
  return NPERR_NO_ERROR;
}

NPError setValueGate(NPP npp, NPNVariable variable, void* value) {
  if (!npp) return NPERR_INVALID_INSTANCE_ERROR;
  nsPluginInstanceBase* instance = instanceOf(npp);
  if (!instance) return NPERR_GENERIC_ERROR;
  return instance->setValue(variable, value);
}

// Writes |value| into |field| when the browser's table is large enough for it.
template <typename T>
void setIfCovered(NPPluginFuncs* funcs, size_t offset, T value) {
  if (offset + sizeof(T) <= funcs->size)
    *reinterpret_cast<T*>(reinterpret_cast<char*>(funcs) + offset) = value;
}

#define KX_SET(field, value) setIfCovered(funcs, offsetof(NPPluginFuncs, field), value)

}  // namespace

NPError getEntryPoints(NPPluginFuncs* funcs) {
  if (!funcs) return NPERR_INVALID_FUNCTABLE_ERROR;
  // The size field is the browser's; nothing beyond it is ours to write.
  KX_SET(version, kReportedVersion);
  KX_SET(newp, &newGate);
  KX_SET(destroy, &destroyGate);
  KX_SET(setwindow, &setWindowGate);
  KX_SET(newstream, &newStreamGate);
  KX_SET(destroystream, &destroyStreamGate);
  KX_SET(asfile, &streamAsFileGate);
  KX_SET(writeready, &writeReadyGate);
  KX_SET(write, &writeGate);
  KX_SET(print, &printGate);
  KX_SET(event, &handleEventGate);
  KX_SET(urlnotify, &urlNotifyGate);
  KX_SET(javaClass, static_cast<void*>(nullptr));
  KX_SET(getvalue, &getValueGate);
  KX_SET(setvalue, &setValueGate);
  return NPERR_NO_ERROR;
}

#undef KX_SET

NPError initialize(NPNetscapeFuncs* funcs) {
  if (!funcs) return NPERR_INVALID_FUNCTABLE_ERROR;
  if ((funcs->version >> 8) > NP_VERSION_MAJOR) return NPERR_INCOMPATIBLE_VERSION_ERROR;
  adoptHostFuncs(*funcs);
  return NPERR_NO_ERROR;
}

NPError shutdown() { return NPERR_NO_ERROR; }

}  // namespace NPPlugin
