#include "tools/test_browser/npn_host.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kx::browser {
namespace {

NpnHost* g_current = nullptr;

NPError npnGetURL(NPP npp, const char* url, const char* target) {
  return g_current->getURL(npp, url, target);
}
void* npnMemAlloc(uint32_t size) { return g_current->memAlloc(size); }
void npnMemFree(void* ptr) { g_current->memFree(ptr); }
NPIdentifier npnGetStringIdentifier(const NPUTF8* name) {
  return g_current->getStringIdentifier(name);
}
void npnGetStringIdentifiers(const NPUTF8** names, int32_t count, NPIdentifier* ids) {
  for (int32_t i = 0; names && ids && i < count; ++i)
    ids[i] = g_current->getStringIdentifier(names[i]);
}
bool npnIdentifierIsString(NPIdentifier id) { return g_current->identifierIsString(id); }
NPUTF8* npnUTF8FromIdentifier(NPIdentifier id) { return g_current->utf8FromIdentifier(id); }
NPObject* npnCreateObject(NPP npp, NPClass* aClass) { return g_current->createObject(npp, aClass); }
NPObject* npnRetainObject(NPObject* object) { return g_current->retainObject(object); }
void npnReleaseObject(NPObject* object) { g_current->releaseObject(object); }
void npnReleaseVariantValue(NPVariant* variant) { g_current->releaseVariantValue(variant); }
void npnSetException(NPObject* object, const NPUTF8* message) {
  g_current->setException(object, message);
}
bool npnHasMethod(NPP, NPObject* object, NPIdentifier name) {
  auto* host = g_current;
  if (!host->isLive(object) || !object->_class || !object->_class->hasMethod) return false;
  return object->_class->hasMethod(object, name);
}

std::string pointerText(const void* p) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%p", p);
  return buffer;
}

}  // namespace

NpnHost::NpnHost() : pluginThread_(std::this_thread::get_id()) { g_current = this; }

NpnHost::~NpnHost() {
  for (void* block : blocks_) std::free(block);
  if (g_current == this) g_current = nullptr;
}

NpnHost* NpnHost::current() { return g_current; }

NPNetscapeFuncs NpnHost::table(uint16_t version) const {
  NPNetscapeFuncs t{};
  t.size = sizeof(NPNetscapeFuncs);
  t.version = version;
  t.geturl = &npnGetURL;
  t.memalloc = &npnMemAlloc;
  t.memfree = &npnMemFree;
  t.getstringidentifier = &npnGetStringIdentifier;
  t.getstringidentifiers = &npnGetStringIdentifiers;
  t.identifierisstring = &npnIdentifierIsString;
  t.utf8fromidentifier = &npnUTF8FromIdentifier;
  t.createobject = &npnCreateObject;
  t.retainobject = &npnRetainObject;
  t.releaseobject = &npnReleaseObject;
  t.hasmethod = &npnHasMethod;
  t.releasevariantvalue = &npnReleaseVariantValue;
  t.setexception = &npnSetException;
  return t;
}

void NpnHost::report(const std::string& kind, const std::string& detail) {
  misuses_.push_back({kind, detail});
  if (onMisuse_) onMisuse_(misuses_.back());
}

bool NpnHost::onPluginThread(const char* call) {
  if (std::this_thread::get_id() == pluginThread_) return true;
  report("wrong-thread", call);
  return false;
}

bool NpnHost::usable(const NPObject* object, const char* call) {
  if (!object) return false;
  if (live_.count(object)) return true;
  report(freed_.count(object) ? "use-after-free" : "unknown-object",
         std::string(call) + " " + pointerText(object));
  return false;
}

NPError NpnHost::getURL(NPP npp, const char* url, const char* target) {
  onPluginThread("NPN_GetURL");
  if (!url) return NPERR_INVALID_URL;
  return getUrl_ ? getUrl_(npp, url, target) : NPERR_NO_ERROR;
}

void* NpnHost::memAlloc(uint32_t size) {
  onPluginThread("NPN_MemAlloc");
  void* block = std::malloc(size ? size : 1);
  if (block) blocks_.insert(block);
  return block;
}

void NpnHost::memFree(void* ptr) {
  onPluginThread("NPN_MemFree");
  if (!ptr) return;
  if (!blocks_.erase(ptr)) {
    report("bad-free", "NPN_MemFree " + pointerText(ptr));
    return;
  }
  std::free(ptr);
}

NPIdentifier NpnHost::getStringIdentifier(const NPUTF8* name) {
  onPluginThread("NPN_GetStringIdentifier");
  if (!name) return nullptr;
  return identifier(name);
}

NPIdentifier NpnHost::identifier(const std::string& name) {
  std::unique_ptr<std::string>& slot = identifiers_[name];
  if (!slot) slot = std::make_unique<std::string>(name);
  return slot.get();
}

bool NpnHost::identifierIsString(NPIdentifier id) {
  for (const auto& entry : identifiers_)
    if (entry.second.get() == id) return true;
  return false;
}

NPUTF8* NpnHost::utf8FromIdentifier(NPIdentifier id) {
  for (const auto& entry : identifiers_) {
    if (entry.second.get() != id) continue;
    auto* copy = static_cast<NPUTF8*>(memAlloc(static_cast<uint32_t>(entry.first.size() + 1)));
    if (copy) std::memcpy(copy, entry.first.c_str(), entry.first.size() + 1);
    return copy;
  }
  return nullptr;
}

NPObject* NpnHost::createObject(NPP npp, NPClass* aClass) {
  onPluginThread("NPN_CreateObject");
  if (!aClass) return nullptr;
  NPObject* object = aClass->allocate
                         ? aClass->allocate(npp, aClass)
                         : static_cast<NPObject*>(std::calloc(1, sizeof(NPObject)));
  if (!object) return nullptr;
  object->_class = aClass;
  object->referenceCount = 1;
  live_.insert(object);
  freed_.erase(object);
  serials_[object] = ++objectSerial_;
  return object;
}

NPObject* NpnHost::retainObject(NPObject* object) {
  onPluginThread("NPN_RetainObject");
  if (!usable(object, "NPN_RetainObject")) return object;
  ++object->referenceCount;
  return object;
}

void NpnHost::releaseObject(NPObject* object) {
  onPluginThread("NPN_ReleaseObject");
  if (!object) return;
  if (!live_.count(object)) {
    report(freed_.count(object) ? "release-below-zero" : "unknown-object",
           "NPN_ReleaseObject " + pointerText(object));
    return;
  }
  if (--object->referenceCount != 0) return;
  live_.erase(object);
  freed_.insert(object);
  serials_.erase(object);
  NPClass* aClass = object->_class;
  if (aClass && aClass->deallocate)
    aClass->deallocate(object);
  else
    std::free(object);
}

void NpnHost::releaseVariantValue(NPVariant* variant) {
  onPluginThread("NPN_ReleaseVariantValue");
  if (!variant) return;
  if (variant->type == NPVariantType_String)
    memFree(const_cast<NPUTF8*>(variant->value.stringValue.UTF8Characters));
  else if (variant->type == NPVariantType_Object)
    releaseObject(variant->value.objectValue);
  variant->type = NPVariantType_Void;
  variant->value.objectValue = nullptr;
}

void NpnHost::setException(NPObject*, const NPUTF8* message) {
  onPluginThread("NPN_SetException");
  report("exception", message ? message : "");
}

bool NpnHost::hasMethod(NPObject* object, const std::string& name) {
  if (!usable(object, "hasMethod") || !object->_class->hasMethod) return false;
  return object->_class->hasMethod(object, identifier(name));
}

bool NpnHost::hasProperty(NPObject* object, const std::string& name) {
  if (!usable(object, "hasProperty") || !object->_class->hasProperty) return false;
  return object->_class->hasProperty(object, identifier(name));
}

bool NpnHost::invoke(NPObject* object, const std::string& name, const NPVariant* args,
                     uint32_t count, NPVariant* result) {
  VOID_TO_NPVARIANT(*result);
  if (!usable(object, "invoke") || !object->_class->invoke) return false;
  return object->_class->invoke(object, identifier(name), args, count, result);
}

bool NpnHost::getProperty(NPObject* object, const std::string& name, NPVariant* result) {
  VOID_TO_NPVARIANT(*result);
  if (!usable(object, "getProperty") || !object->_class->getProperty) return false;
  return object->_class->getProperty(object, identifier(name), result);
}

void NpnHost::reportLeaks() {
  for (const NPObject* object : live_)
    report("leak", "object " + pointerText(object) + " refcount " +
                       std::to_string(object->referenceCount));
}

NPVariant stringVariant(const std::string& text) {
  NPVariant v{};
  v.type = NPVariantType_String;
  v.value.stringValue.UTF8Characters = text.data();
  v.value.stringValue.UTF8Length = static_cast<uint32_t>(text.size());
  return v;
}
NPVariant intVariant(int32_t value) {
  NPVariant v{};
  v.type = NPVariantType_Int32;
  v.value.intValue = value;
  return v;
}
NPVariant doubleVariant(double value) {
  NPVariant v{};
  v.type = NPVariantType_Double;
  v.value.doubleValue = value;
  return v;
}
NPVariant boolVariant(bool value) {
  NPVariant v{};
  BOOLEAN_TO_NPVARIANT(value, v);
  return v;
}
NPVariant nullVariant() {
  NPVariant v{};
  v.type = NPVariantType_Null;
  return v;
}
NPVariant voidVariant() {
  NPVariant v{};
  VOID_TO_NPVARIANT(v);
  return v;
}

}  // namespace kx::browser
