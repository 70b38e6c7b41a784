#ifndef KX_TOOLS_TEST_BROWSER_NPN_HOST_H_
#define KX_TOOLS_TEST_BROWSER_NPN_HOST_H_

// The browser's half of NPAPI, as a test browser offers it to a plug-in:
// identifiers that compare by value, browser memory, reference-counted
// objects that are really freed at zero, variant release and page loads
// (NPN_GetURL) handed to a listener. It watches the plug-in for misuse: a
// release below zero, a call from another thread, an object used after it
// was freed, objects still alive at shutdown.
//
// NPN entries carry no context, so one NpnHost is current per process.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "plugin/npapi/np_types.h"

namespace kx::browser {

struct Misuse {
  std::string kind;    // "release-below-zero", "wrong-thread", "use-after-free", "leak", ...
  std::string detail;  // which call, which object
};

class NpnHost {
 public:
  using GetUrlListener = std::function<NPError(NPP npp, const char* url, const char* target)>;

  // Becomes the current host; the constructing thread is the plug-in thread.
  NpnHost();
  ~NpnHost();
  NpnHost(const NpnHost&) = delete;
  NpnHost& operator=(const NpnHost&) = delete;

  // A complete table (size 236/472 bytes, version 0.27 unless changed).
  NPNetscapeFuncs table(uint16_t version = 27) const;

  void setGetUrlListener(GetUrlListener listener) { getUrl_ = std::move(listener); }
  void setMisuseListener(std::function<void(const Misuse&)> l) { onMisuse_ = std::move(l); }

  // The browser's own use of plug-in objects, with the same checks.
  NPIdentifier identifier(const std::string& name);
  bool hasMethod(NPObject* object, const std::string& name);
  bool hasProperty(NPObject* object, const std::string& name);
  bool invoke(NPObject* object, const std::string& name, const NPVariant* args, uint32_t count,
              NPVariant* result);
  bool getProperty(NPObject* object, const std::string& name, NPVariant* result);
  void release(NPObject* object) { releaseObject(object); }

  bool isLive(const NPObject* object) const { return live_.count(object) != 0; }
  size_t liveObjects() const { return live_.size(); }
  // Outstanding NPN_MemAlloc blocks.
  size_t liveBlocks() const { return blocks_.size(); }
  // Reports every object still alive as a leak (the browser's shutdown).
  void reportLeaks();
  const std::vector<Misuse>& misuses() const { return misuses_; }

  // The NPN entries.
  NPError getURL(NPP npp, const char* url, const char* target);
  void* memAlloc(uint32_t size);
  void memFree(void* ptr);
  NPIdentifier getStringIdentifier(const NPUTF8* name);
  bool identifierIsString(NPIdentifier id);
  NPUTF8* utf8FromIdentifier(NPIdentifier id);
  NPObject* createObject(NPP npp, NPClass* aClass);
  NPObject* retainObject(NPObject* object);
  void releaseObject(NPObject* object);
  void releaseVariantValue(NPVariant* variant);
  void setException(NPObject* object, const NPUTF8* message);

  static NpnHost* current();

 private:
  bool onPluginThread(const char* call);
  // False (and reported) for a freed or unknown object.
  bool usable(const NPObject* object, const char* call);
  void report(const std::string& kind, const std::string& detail);

  std::thread::id pluginThread_;
  GetUrlListener getUrl_;
  std::function<void(const Misuse&)> onMisuse_;
  std::map<std::string, std::unique_ptr<std::string>> identifiers_;  // value = the identifier
  std::set<const NPObject*> live_;
  std::set<const NPObject*> freed_;
  std::set<void*> blocks_;
  std::vector<Misuse> misuses_;
  int objectSerial_ = 0;
  std::map<const NPObject*, int> serials_;
};

// Variant helpers for drivers.
NPVariant stringVariant(const std::string& text);  // not owned: points into |text|
NPVariant intVariant(int32_t value);
NPVariant doubleVariant(double value);
NPVariant boolVariant(bool value);
NPVariant nullVariant();
NPVariant voidVariant();

}  // namespace kx::browser

#endif  // KX_TOOLS_TEST_BROWSER_NPN_HOST_H_
