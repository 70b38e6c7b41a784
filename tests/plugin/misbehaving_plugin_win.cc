// npmisuse.dll: a plug-in that breaks the NPAPI rules on purpose, so that the
// test browser's misuse reports can be seen. NPP_New reads what to do from
// its MIME type argument: "misuse/release-below-zero", "misuse/use-after-free",
// "misuse/wrong-thread" or "misuse/leak".
#include <windows.h>

#include <cstring>
#include <thread>

#include "plugin/npapi/np_types.h"

namespace {

NPNetscapeFuncs g_browser{};
// No allocate or deallocate: the browser allocates and frees the objects.
NPClass plainClass() {
  NPClass c{};
  c.structVersion = NP_CLASS_STRUCT_VERSION;
  return c;
}
NPClass g_plainClass = plainClass();

NPError newInstance(NPMIMEType type, NPP, uint16_t, int16_t, char**, char**, NPSavedData*) {
  const char* what = type ? type : "";
  if (std::strcmp(what, "misuse/release-below-zero") == 0) {
    NPObject* object = g_browser.createobject(nullptr, &g_plainClass);
    g_browser.releaseobject(object);
    g_browser.releaseobject(object);
  } else if (std::strcmp(what, "misuse/use-after-free") == 0) {
    NPObject* object = g_browser.createobject(nullptr, &g_plainClass);
    g_browser.releaseobject(object);
    g_browser.retainobject(object);
  } else if (std::strcmp(what, "misuse/wrong-thread") == 0) {
    std::thread([] { g_browser.geturl(nullptr, "javascript:fromAThread()", "_self"); }).join();
  } else if (std::strcmp(what, "misuse/leak") == 0) {
    g_browser.createobject(nullptr, &g_plainClass);
  }
  return NPERR_NO_ERROR;
}

NPError destroyInstance(NPP, NPSavedData**) { return NPERR_NO_ERROR; }
NPError setWindow(NPP, NPWindow*) { return NPERR_NO_ERROR; }
NPError getValue(NPP, NPPVariable, void*) { return NPERR_GENERIC_ERROR; }

}  // namespace

extern "C" {

NPError WINAPI NP_GetEntryPoints(NPPluginFuncs* funcs) {
  funcs->newp = &newInstance;
  funcs->destroy = &destroyInstance;
  funcs->setwindow = &setWindow;
  funcs->getvalue = &getValue;
  return NPERR_NO_ERROR;
}

NPError WINAPI NP_Initialize(NPNetscapeFuncs* funcs) {
  g_browser = *funcs;
  return NPERR_NO_ERROR;
}

NPError WINAPI NP_Shutdown() { return NPERR_NO_ERROR; }

}  // extern "C"
