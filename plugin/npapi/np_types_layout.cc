// Pins our NPAPI declarations to the published layout, for the width being
// built: the i686 deliverable and the x86_64 builds (mingw and native).

#include <cstddef>
#include <cstdint>

#include "plugin/npapi/np_types.h"

namespace {

#if UINTPTR_MAX == 0xFFFFFFFFu
constexpr bool kWide = false;
#else
constexpr bool kWide = true;
#endif

// Expected value on i686 and on x86_64.
constexpr size_t at(size_t i686, size_t x86_64) { return kWide ? x86_64 : i686; }

#define KX_PIN(type, field, i686, x86_64) \
  static_assert(offsetof(type, field) == at(i686, x86_64), #type "." #field)
#define KX_SIZE(type, i686, x86_64) static_assert(sizeof(type) == at(i686, x86_64), #type)

static_assert(sizeof(void*) == at(4, 8), "pointer width");
KX_SIZE(NPError, 2, 2);
KX_SIZE(NPReason, 2, 2);
KX_SIZE(NPBool, 1, 1);
KX_SIZE(bool, 1, 1);
KX_SIZE(NPIdentifier, 4, 8);
KX_SIZE(NPMIMEType, 4, 8);
KX_SIZE(NPUTF8, 1, 1);
KX_SIZE(NPVariantType, 4, 4);
KX_SIZE(NPWindowType, 4, 4);

KX_PIN(NPP_t, pdata, 0, 0);
KX_PIN(NPP_t, ndata, 4, 8);
KX_SIZE(NPP_t, 8, 16);

KX_PIN(NPRect, top, 0, 0);
KX_PIN(NPRect, left, 2, 2);
KX_PIN(NPRect, bottom, 4, 4);
KX_PIN(NPRect, right, 6, 6);
KX_SIZE(NPRect, 8, 8);

KX_PIN(NPWindow, window, 0, 0);
KX_PIN(NPWindow, x, 4, 8);
KX_PIN(NPWindow, y, 8, 12);
KX_PIN(NPWindow, width, 12, 16);
KX_PIN(NPWindow, height, 16, 20);
KX_PIN(NPWindow, clipRect, 20, 24);
KX_PIN(NPWindow, type, 28, 32);
KX_SIZE(NPWindow, 32, 40);

KX_PIN(NPString, UTF8Characters, 0, 0);
KX_PIN(NPString, UTF8Length, 4, 8);
KX_SIZE(NPString, 8, 16);

KX_PIN(NPObject, _class, 0, 0);
KX_PIN(NPObject, referenceCount, 4, 8);
KX_SIZE(NPObject, 8, 16);

KX_PIN(NPVariant, type, 0, 0);
KX_PIN(NPVariant, value, 8, 8);
KX_PIN(NPVariant, value.boolValue, 8, 8);
KX_PIN(NPVariant, value.intValue, 8, 8);
KX_PIN(NPVariant, value.doubleValue, 8, 8);
KX_PIN(NPVariant, value.stringValue.UTF8Length, 12, 16);
KX_PIN(NPVariant, value.objectValue, 8, 8);
KX_SIZE(NPVariant, 16, 24);

KX_PIN(NPSavedData, len, 0, 0);
KX_PIN(NPSavedData, buf, 4, 8);
KX_SIZE(NPSavedData, 8, 16);

KX_PIN(NPClass, structVersion, 0, 0);
KX_PIN(NPClass, allocate, 4, 8);
KX_PIN(NPClass, deallocate, 8, 16);
KX_PIN(NPClass, invalidate, 12, 24);
KX_PIN(NPClass, hasMethod, 16, 32);
KX_PIN(NPClass, invoke, 20, 40);
KX_PIN(NPClass, invokeDefault, 24, 48);
KX_PIN(NPClass, hasProperty, 28, 56);
KX_PIN(NPClass, getProperty, 32, 64);
KX_PIN(NPClass, setProperty, 36, 72);
KX_PIN(NPClass, removeProperty, 40, 80);
KX_PIN(NPClass, enumerate, 44, 88);
KX_PIN(NPClass, construct, 48, 96);
KX_SIZE(NPClass, 52, 104);

KX_PIN(NPPluginFuncs, size, 0, 0);
KX_PIN(NPPluginFuncs, version, 2, 2);
KX_PIN(NPPluginFuncs, newp, 4, 8);
KX_PIN(NPPluginFuncs, destroy, 8, 16);
KX_PIN(NPPluginFuncs, setwindow, 12, 24);
KX_PIN(NPPluginFuncs, newstream, 16, 32);
KX_PIN(NPPluginFuncs, destroystream, 20, 40);
KX_PIN(NPPluginFuncs, asfile, 24, 48);
KX_PIN(NPPluginFuncs, writeready, 28, 56);
KX_PIN(NPPluginFuncs, write, 32, 64);
KX_PIN(NPPluginFuncs, print, 36, 72);
KX_PIN(NPPluginFuncs, event, 40, 80);
KX_PIN(NPPluginFuncs, urlnotify, 44, 88);
KX_PIN(NPPluginFuncs, javaClass, 48, 96);
KX_PIN(NPPluginFuncs, getvalue, 52, 104);
KX_PIN(NPPluginFuncs, setvalue, 56, 112);
KX_PIN(NPPluginFuncs, gotfocus, 60, 120);
KX_PIN(NPPluginFuncs, lostfocus, 64, 128);
KX_PIN(NPPluginFuncs, urlredirectnotify, 68, 136);
KX_PIN(NPPluginFuncs, clearsitedata, 72, 144);
KX_PIN(NPPluginFuncs, getsiteswithdata, 76, 152);
KX_PIN(NPPluginFuncs, didComposite, 80, 160);
KX_SIZE(NPPluginFuncs, 84, 168);

KX_PIN(NPNetscapeFuncs, size, 0, 0);
KX_PIN(NPNetscapeFuncs, version, 2, 2);
KX_PIN(NPNetscapeFuncs, geturl, 4, 8);
KX_PIN(NPNetscapeFuncs, posturl, 8, 16);
KX_PIN(NPNetscapeFuncs, requestread, 12, 24);
KX_PIN(NPNetscapeFuncs, newstream, 16, 32);
KX_PIN(NPNetscapeFuncs, write, 20, 40);
KX_PIN(NPNetscapeFuncs, destroystream, 24, 48);
KX_PIN(NPNetscapeFuncs, status, 28, 56);
KX_PIN(NPNetscapeFuncs, uagent, 32, 64);
KX_PIN(NPNetscapeFuncs, memalloc, 36, 72);
KX_PIN(NPNetscapeFuncs, memfree, 40, 80);
KX_PIN(NPNetscapeFuncs, memflush, 44, 88);
KX_PIN(NPNetscapeFuncs, reloadplugins, 48, 96);
KX_PIN(NPNetscapeFuncs, getJavaEnv, 52, 104);
KX_PIN(NPNetscapeFuncs, getJavaPeer, 56, 112);
KX_PIN(NPNetscapeFuncs, geturlnotify, 60, 120);
KX_PIN(NPNetscapeFuncs, posturlnotify, 64, 128);
KX_PIN(NPNetscapeFuncs, getvalue, 68, 136);
KX_PIN(NPNetscapeFuncs, setvalue, 72, 144);
KX_PIN(NPNetscapeFuncs, invalidaterect, 76, 152);
KX_PIN(NPNetscapeFuncs, invalidateregion, 80, 160);
KX_PIN(NPNetscapeFuncs, forceredraw, 84, 168);
KX_PIN(NPNetscapeFuncs, getstringidentifier, 88, 176);
KX_PIN(NPNetscapeFuncs, getstringidentifiers, 92, 184);
KX_PIN(NPNetscapeFuncs, getintidentifier, 96, 192);
KX_PIN(NPNetscapeFuncs, identifierisstring, 100, 200);
KX_PIN(NPNetscapeFuncs, utf8fromidentifier, 104, 208);
KX_PIN(NPNetscapeFuncs, intfromidentifier, 108, 216);
KX_PIN(NPNetscapeFuncs, createobject, 112, 224);
KX_PIN(NPNetscapeFuncs, retainobject, 116, 232);
KX_PIN(NPNetscapeFuncs, releaseobject, 120, 240);
KX_PIN(NPNetscapeFuncs, invoke, 124, 248);
KX_PIN(NPNetscapeFuncs, invokeDefault, 128, 256);
KX_PIN(NPNetscapeFuncs, evaluate, 132, 264);
KX_PIN(NPNetscapeFuncs, getproperty, 136, 272);
KX_PIN(NPNetscapeFuncs, setproperty, 140, 280);
KX_PIN(NPNetscapeFuncs, removeproperty, 144, 288);
KX_PIN(NPNetscapeFuncs, hasproperty, 148, 296);
KX_PIN(NPNetscapeFuncs, hasmethod, 152, 304);
KX_PIN(NPNetscapeFuncs, releasevariantvalue, 156, 312);
KX_PIN(NPNetscapeFuncs, setexception, 160, 320);
KX_PIN(NPNetscapeFuncs, pushpopupsenabledstate, 164, 328);
KX_PIN(NPNetscapeFuncs, poppopupsenabledstate, 168, 336);
KX_PIN(NPNetscapeFuncs, enumerate, 172, 344);
KX_PIN(NPNetscapeFuncs, pluginthreadasynccall, 176, 352);
KX_PIN(NPNetscapeFuncs, construct, 180, 360);
KX_PIN(NPNetscapeFuncs, getvalueforurl, 184, 368);
KX_PIN(NPNetscapeFuncs, setvalueforurl, 188, 376);
KX_PIN(NPNetscapeFuncs, getauthenticationinfo, 192, 384);
KX_PIN(NPNetscapeFuncs, scheduletimer, 196, 392);
KX_PIN(NPNetscapeFuncs, unscheduletimer, 200, 400);
KX_PIN(NPNetscapeFuncs, popupcontextmenu, 204, 408);
KX_PIN(NPNetscapeFuncs, convertpoint, 208, 416);
KX_PIN(NPNetscapeFuncs, handleevent, 212, 424);
KX_PIN(NPNetscapeFuncs, unfocusinstance, 216, 432);
KX_PIN(NPNetscapeFuncs, urlredirectresponse, 220, 440);
KX_PIN(NPNetscapeFuncs, initasyncsurface, 224, 448);
KX_PIN(NPNetscapeFuncs, finalizeasyncsurface, 228, 456);
KX_PIN(NPNetscapeFuncs, setcurrentasyncsurface, 232, 464);
KX_SIZE(NPNetscapeFuncs, 236, 472);

// Values that browsers compare numerically.
static_assert(NPPVpluginScriptableNPObject == 15 && NPPVpluginNameString == 1, "NPPVariable");
static_assert(NPVariantType_String == 5 && NPVariantType_Object == 6, "NPVariantType");
static_assert(NPERR_INCOMPATIBLE_VERSION_ERROR == 8 && NPERR_MODULE_LOAD_FAILED_ERROR == 4,
              "NPError");

#undef KX_PIN
#undef KX_SIZE

}  // namespace
