#ifndef KX_PLUGIN_NPAPI_NP_GATES_H_
#define KX_PLUGIN_NPAPI_NP_GATES_H_

// What the three DLL exports do, and the NPP gates they hand to the browser.
// Each gate checks the NPP and the instance in its pdata before it forwards.

#include "plugin/npapi/np_types.h"

namespace NPPlugin {

inline constexpr uint16_t kReportedVersion = 27;  // NPAPI 0.27

NPError getEntryPoints(NPPluginFuncs* funcs);
NPError initialize(NPNetscapeFuncs* funcs);
NPError shutdown();

}  // namespace NPPlugin

#endif  // KX_PLUGIN_NPAPI_NP_GATES_H_
