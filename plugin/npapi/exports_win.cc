// The DLL's three exports. NPKXGamePlugin.def keeps their names undecorated
// on i686, where browsers look them up by plain name.
#include <windows.h>

#include "plugin/npapi/np_gates.h"

extern "C" {

NPError WINAPI NP_GetEntryPoints(NPPluginFuncs* funcs) { return NPPlugin::getEntryPoints(funcs); }

NPError WINAPI NP_Initialize(NPNetscapeFuncs* funcs) { return NPPlugin::initialize(funcs); }

NPError WINAPI NP_Shutdown() { return NPPlugin::shutdown(); }

}  // extern "C"
