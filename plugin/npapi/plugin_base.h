#ifndef KX_PLUGIN_NPAPI_PLUGIN_BASE_H_
#define KX_PLUGIN_NPAPI_PLUGIN_BASE_H_

// The instance side of the NPAPI gates: the abstract instance, its default
// behaviour, and the factory that the plug-in proper supplies.

#include <cstdint>

#include "plugin/npapi/np_types.h"

class nsPluginInstanceBase {
 public:
  virtual ~nsPluginInstanceBase() = default;
  virtual bool attachWindow(NPWindow* window) = 0;
  virtual void detachWindow() = 0;
  virtual bool isWindowAttached() const = 0;
  virtual NPError setWindow(NPWindow* window) = 0;
  virtual NPError newStream(NPMIMEType type, NPStream* stream, NPBool seekable,
                            uint16_t* stype) = 0;
  virtual NPError destroyStream(NPStream* stream, NPReason reason) = 0;
  virtual void streamAsFile(NPStream* stream, const char* fname) = 0;
  virtual int32_t writeReady(NPStream* stream) = 0;
  virtual int32_t write(NPStream* stream, int32_t offset, int32_t len, void* buffer) = 0;
  virtual void print(NPPrint* printInfo) = 0;
  virtual int16_t handleEvent(void* event) = 0;
  virtual void urlNotify(const char* url, NPReason reason, void* notifyData) = 0;
  virtual NPError getValue(NPPVariable variable, void* value) = 0;
  virtual NPError setValue(NPNVariable variable, void* value) = 0;
  virtual NPObject* getScriptableObject() = 0;
};

// What NPP_New received; the factory reads only the NPP.
struct PluginCreateData {
  NPP instance;
  NPMIMEType type;
  uint16_t mode;
  int16_t argc;
  char** argn;
  char** argv;
  NPSavedData* saved;
};

// Supplied by the plug-in proper. Null when the instance cannot be made.
nsPluginInstanceBase* createPluginInstance(const PluginCreateData& data);
void destroyPluginInstance(nsPluginInstanceBase* instance);

namespace NPPlugin {

inline constexpr int32_t kWriteReadyAll = 0x0FFFFFFF;

class Plugin : public nsPluginInstanceBase {
 public:
  explicit Plugin(NPP npp) : npp_(npp) {}
  ~Plugin() override = default;
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  bool attachWindow(NPWindow* window) override;
  void detachWindow() override { windowAttached_ = false; }
  bool isWindowAttached() const override { return windowAttached_; }
  NPError setWindow(NPWindow*) override { return NPERR_NO_ERROR; }
  NPError newStream(NPMIMEType, NPStream*, NPBool, uint16_t*) override { return NPERR_NO_ERROR; }
  NPError destroyStream(NPStream*, NPReason) override { return NPERR_NO_ERROR; }
  void streamAsFile(NPStream*, const char*) override {}
  int32_t writeReady(NPStream*) override { return kWriteReadyAll; }
  int32_t write(NPStream*, int32_t, int32_t len, void*) override { return len; }
  void print(NPPrint*) override {}
  int16_t handleEvent(void*) override { return 0; }
  void urlNotify(const char*, NPReason, void*) override {}
  NPError getValue(NPPVariable, void*) override { return NPERR_NO_ERROR; }
  NPError setValue(NPNVariable, void*) override { return NPERR_NO_ERROR; }
  NPObject* getScriptableObject() override;

  NPP npp() const { return npp_; }
  void* hwnd() const { return hwnd_; }
  NPWindow* npWindow() const { return npWindow_; }

 protected:
  // Creates the object once with |aClass|, then hands out one more reference.
  NPObject* scriptableObjectOfClass(NPClass* aClass);

  NPObject* scriptableObject_ = nullptr;
  NPP npp_;
  bool windowAttached_ = false;
  NPWindow* npWindow_ = nullptr;
  void* hwnd_ = nullptr;
};

}  // namespace NPPlugin

#endif  // KX_PLUGIN_NPAPI_PLUGIN_BASE_H_
