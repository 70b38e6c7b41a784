#ifndef KX_PLUGIN_NPAPI_SCRIPTABLE_OBJECT_BASE_H_
#define KX_PLUGIN_NPAPI_SCRIPTABLE_OBJECT_BASE_H_

// A scriptable NPObject with virtual operations, and the NPClass adapter that
// turns the browser's calls on the NPObject part back into those operations.

#include <cstdint>
#include <functional>
#include <map>
#include <new>
#include <optional>
#include <string>

#include "plugin/npapi/np_types.h"

namespace NPPlugin {

using ScriptMethodHandler = std::function<bool(const NPVariant* args, uint32_t argCount,
                                               NPVariant* result)>;

class ScriptableObjectBase : public NPObject {
 public:
  explicit ScriptableObjectBase(NPP npp);
  virtual ~ScriptableObjectBase();
  ScriptableObjectBase(const ScriptableObjectBase&) = delete;
  ScriptableObjectBase& operator=(const ScriptableObjectBase&) = delete;

  virtual void deallocate() {}
  virtual void invalidate() {}
  virtual bool hasMethod(NPIdentifier name);
  virtual bool invokeDefault(const NPVariant* args, uint32_t argCount, NPVariant* result);
  virtual bool invoke(NPIdentifier name, const NPVariant* args, uint32_t argCount,
                      NPVariant* result);
  virtual bool hasProperty(NPIdentifier name);
  virtual bool getProperty(NPIdentifier name, NPVariant* result);
  virtual bool setProperty(NPIdentifier name, const NPVariant* value);
  virtual bool removeProperty(NPIdentifier name);
  virtual bool enumerate(NPIdentifier** identifiers, uint32_t* count);
  virtual bool construct(const NPVariant* args, uint32_t argCount, NPVariant* result);

  NPP npp() const { return npp_; }

 protected:
  // An existing entry for the same identifier is kept.
  void addMethod(const char* name, ScriptMethodHandler handler);

 private:
  std::map<NPIdentifier, ScriptMethodHandler> methods_;  // ordered by identifier value
  NPIdentifier isRunningId_;
  NPP npp_;
};

class ScriptableObject : public ScriptableObjectBase {
 public:
  using ScriptableObjectBase::ScriptableObjectBase;
  virtual void registerMethods() {}
};

// The first string among the arguments, copied through browser memory and cut
// at its first NUL byte; none when no argument is a string.
std::optional<std::string> firstStringArgument(const NPVariant* args, uint32_t argCount);

// The NPClass entries for objects of type T. T::create(npp) makes the object
// (null on failure); deallocate runs T's hook and destroys it.
template <typename T>
struct ScriptableClassAdapter {
  static ScriptableObjectBase* self(NPObject* o) { return static_cast<ScriptableObjectBase*>(o); }
  static NPObject* allocate(NPP npp, NPClass*) {
    T* object = T::create(npp);
    return object ? static_cast<NPObject*>(object) : nullptr;
  }
  static void deallocate(NPObject* o) {
    ScriptableObjectBase* object = self(o);
    object->deallocate();
    // The browser's last release: this adapter owns the object from allocate on.
    delete object;
  }
  static void invalidate(NPObject* o) { self(o)->invalidate(); }
  static bool hasMethod(NPObject* o, NPIdentifier name) { return self(o)->hasMethod(name); }
  static bool invoke(NPObject* o, NPIdentifier name, const NPVariant* args, uint32_t count,
                     NPVariant* result) {
    return self(o)->invoke(name, args, count, result);
  }
  static bool invokeDefault(NPObject* o, const NPVariant* args, uint32_t count,
                            NPVariant* result) {
    return self(o)->invokeDefault(args, count, result);
  }
  static bool hasProperty(NPObject* o, NPIdentifier name) { return self(o)->hasProperty(name); }
  static bool getProperty(NPObject* o, NPIdentifier name, NPVariant* result) {
    return self(o)->getProperty(name, result);
  }
  static bool setProperty(NPObject* o, NPIdentifier name, const NPVariant* value) {
    return self(o)->setProperty(name, value);
  }
  static bool removeProperty(NPObject* o, NPIdentifier name) {
    return self(o)->removeProperty(name);
  }
  static bool enumerate(NPObject* o, NPIdentifier** ids, uint32_t* count) {
    return self(o)->enumerate(ids, count);
  }
  static bool construct(NPObject* o, const NPVariant* args, uint32_t count, NPVariant* result) {
    return self(o)->construct(args, count, result);
  }
  static constexpr NPClass table() {
    return NPClass{NP_CLASS_STRUCT_VERSION_CTOR, &allocate,    &deallocate,     &invalidate,
                   &hasMethod,                   &invoke,      &invokeDefault,  &hasProperty,
                   &getProperty,                 &setProperty, &removeProperty, &enumerate,
                   &construct};
  }
};

// Plain objects with the IsRunning property and no methods.
extern NPClass scriptableClass;

}  // namespace NPPlugin

#endif  // KX_PLUGIN_NPAPI_SCRIPTABLE_OBJECT_BASE_H_
