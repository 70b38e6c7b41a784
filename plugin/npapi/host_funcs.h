#ifndef KX_PLUGIN_NPAPI_HOST_FUNCS_H_
#define KX_PLUGIN_NPAPI_HOST_FUNCS_H_

// The plug-in's copy of the browser's function table, taken once by
// NP_Initialize and shared by all instances. Every call into the browser goes
// through the wrappers below, which treat an entry the browser did not supply
// as a failed call.

#include "plugin/npapi/np_types.h"

namespace NPPlugin {

// The copy itself (size and version included). Empty until adopted.
const NPNetscapeFuncs& hostFuncs();

// Copies the entries the plug-in keeps (geturl up to hasmethod,
// releasevariantvalue, setexception, pluginthreadasynccall), but only those
// that the table's own size covers: an older browser's shorter table is not
// read past its end.
void adoptHostFuncs(const NPNetscapeFuncs& browser);
void clearHostFuncs();

NPError npnGetURL(NPP npp, const char* url, const char* target);
void* npnMemAlloc(uint32_t size);
void npnMemFree(void* ptr);
NPIdentifier npnGetStringIdentifier(const char* name);
NPObject* npnCreateObject(NPP npp, NPClass* aClass);
NPObject* npnRetainObject(NPObject* object);
void npnReleaseObject(NPObject* object);

}  // namespace NPPlugin

#endif  // KX_PLUGIN_NPAPI_HOST_FUNCS_H_
