#include "plugin/npapi/scriptable_object_base.h"

#include <cstring>
#include <utility>

#include "common/contracts/page_contract.h"
#include "plugin/npapi/host_funcs.h"

namespace NPPlugin {
namespace {

struct PlainScriptableObject : ScriptableObject {
  using ScriptableObject::ScriptableObject;
  static PlainScriptableObject* create(NPP npp) {
    return new (std::nothrow) PlainScriptableObject(npp);
  }
};

}  // namespace

NPClass scriptableClass = ScriptableClassAdapter<PlainScriptableObject>::table();

ScriptableObjectBase::ScriptableObjectBase(NPP npp)
    : NPObject{}, isRunningId_(npnGetStringIdentifier(kx::page::kPropertyIsRunning)), npp_(npp) {}

ScriptableObjectBase::~ScriptableObjectBase() = default;

bool ScriptableObjectBase::hasMethod(NPIdentifier name) {
  return name && methods_.count(name) != 0;
}

bool ScriptableObjectBase::invokeDefault(const NPVariant*, uint32_t, NPVariant*) { return false; }

bool ScriptableObjectBase::invoke(NPIdentifier name, const NPVariant* args, uint32_t argCount,
                                  NPVariant* result) {
  if (!name) return false;
  const auto it = methods_.find(name);
  if (it == methods_.end()) return false;
  // Whatever the handler answers, the call itself succeeded.
  it->second(args, argCount, result);
  return true;
}

bool ScriptableObjectBase::hasProperty(NPIdentifier name) {
  return name && name == isRunningId_;
}

bool ScriptableObjectBase::getProperty(NPIdentifier name, NPVariant* result) {
  if (!name || name != isRunningId_) return false;
  if (result) BOOLEAN_TO_NPVARIANT(true, *result);
  return true;
}

bool ScriptableObjectBase::setProperty(NPIdentifier, const NPVariant*) { return false; }
bool ScriptableObjectBase::removeProperty(NPIdentifier) { return false; }
bool ScriptableObjectBase::enumerate(NPIdentifier**, uint32_t*) { return false; }
bool ScriptableObjectBase::construct(const NPVariant*, uint32_t, NPVariant*) { return false; }

void ScriptableObjectBase::addMethod(const char* name, ScriptMethodHandler handler) {
  const NPIdentifier id = npnGetStringIdentifier(name);
  if (!id) return;
  methods_.emplace(id, std::move(handler));
}

std::optional<std::string> firstStringArgument(const NPVariant* args, uint32_t argCount) {
  if (!args) return std::nullopt;
  for (uint32_t i = 0; i < argCount; ++i) {
    if (args[i].type != NPVariantType_String) continue;
    const NPString& s = args[i].value.stringValue;
    if (s.UTF8Length != 0 && !s.UTF8Characters) return std::nullopt;
    if (s.UTF8Length == UINT32_MAX) return std::nullopt;
    char* copy = static_cast<char*>(npnMemAlloc(s.UTF8Length + 1));
    if (!copy) return std::nullopt;
    if (s.UTF8Length) std::memcpy(copy, s.UTF8Characters, s.UTF8Length);
    copy[s.UTF8Length] = '\0';
    std::string text(copy);  // ends at the first NUL
    npnMemFree(copy);
    return text;
  }
  return std::nullopt;
}

}  // namespace NPPlugin
