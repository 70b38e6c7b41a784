#include "plugin/npapi/host_funcs.h"

#include <cstddef>
#include <cstring>

namespace NPPlugin {
namespace {

NPNetscapeFuncs g_hostFuncs{};

// Copies |field| when the browser's declared size reaches past its end.
template <typename T>
void copyIfCovered(const NPNetscapeFuncs& from, size_t offset, T& to) {
  if (offset + sizeof(T) <= from.size)
    std::memcpy(&to, reinterpret_cast<const char*>(&from) + offset, sizeof(T));
}

#define KX_COPY(field) copyIfCovered(browser, offsetof(NPNetscapeFuncs, field), kept.field)

}  // namespace

const NPNetscapeFuncs& hostFuncs() { return g_hostFuncs; }

void adoptHostFuncs(const NPNetscapeFuncs& browser) {
  NPNetscapeFuncs kept{};
  kept.size = browser.size;
  kept.version = browser.version;
  KX_COPY(geturl);
  KX_COPY(posturl);
  KX_COPY(requestread);
  KX_COPY(newstream);
  KX_COPY(write);
  KX_COPY(destroystream);
  KX_COPY(status);
  KX_COPY(uagent);
  KX_COPY(memalloc);
  KX_COPY(memfree);
  KX_COPY(memflush);
  KX_COPY(reloadplugins);
  KX_COPY(getJavaEnv);
  KX_COPY(getJavaPeer);
  KX_COPY(geturlnotify);
  KX_COPY(posturlnotify);
  KX_COPY(getvalue);
  KX_COPY(setvalue);
  KX_COPY(invalidaterect);
  KX_COPY(invalidateregion);
  KX_COPY(forceredraw);
  KX_COPY(getstringidentifier);
  KX_COPY(getstringidentifiers);
  KX_COPY(getintidentifier);
  KX_COPY(identifierisstring);
  KX_COPY(utf8fromidentifier);
  KX_COPY(intfromidentifier);
  KX_COPY(createobject);
  KX_COPY(retainobject);
  KX_COPY(releaseobject);
  KX_COPY(invoke);
  KX_COPY(invokeDefault);
  KX_COPY(evaluate);
  KX_COPY(getproperty);
  KX_COPY(setproperty);
  KX_COPY(removeproperty);
  KX_COPY(hasproperty);
  KX_COPY(hasmethod);
  KX_COPY(releasevariantvalue);
  KX_COPY(setexception);
  KX_COPY(pluginthreadasynccall);
  g_hostFuncs = kept;
}

#undef KX_COPY

void clearHostFuncs() { g_hostFuncs = NPNetscapeFuncs{}; }

NPError npnGetURL(NPP npp, const char* url, const char* target) {
  if (!g_hostFuncs.geturl) return NPERR_INVALID_FUNCTABLE_ERROR;
  return g_hostFuncs.geturl(npp, url, target);
}

void* npnMemAlloc(uint32_t size) {
  return g_hostFuncs.memalloc ? g_hostFuncs.memalloc(size) : nullptr;
}

void npnMemFree(void* ptr) {
  if (ptr && g_hostFuncs.memfree) g_hostFuncs.memfree(ptr);
}

NPIdentifier npnGetStringIdentifier(const char* name) {
  return g_hostFuncs.getstringidentifier ? g_hostFuncs.getstringidentifier(name) : nullptr;
}

NPObject* npnCreateObject(NPP npp, NPClass* aClass) {
  return g_hostFuncs.createobject ? g_hostFuncs.createobject(npp, aClass) : nullptr;
}

NPObject* npnRetainObject(NPObject* object) {
  if (!object || !g_hostFuncs.retainobject) return object;
  return g_hostFuncs.retainobject(object);
}

void npnReleaseObject(NPObject* object) {
  if (object && g_hostFuncs.releaseobject) g_hostFuncs.releaseobject(object);
}

}  // namespace NPPlugin
