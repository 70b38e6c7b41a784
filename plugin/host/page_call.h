#ifndef KX_PLUGIN_HOST_PAGE_CALL_H_
#define KX_PLUGIN_HOST_PAGE_CALL_H_

// Calls into the page's script: a "javascript:" URL loaded into the page's
// own frame through NPN_GetURL.

#include <string>
#include <vector>

#include "plugin/npapi/np_types.h"

namespace NPPlugin {

inline constexpr char kPageTarget[] = "_self";

// |text| made safe inside a single-quoted script string: backslash, quote,
// line breaks, U+2028/U+2029, NUL and "</" are escaped; any other text is
// returned unchanged.
std::string escapePageArgument(const std::string& text);

// javascript:name('a','b') with every argument escaped as above.
std::string pageCallUrl(const std::string& functionName, const std::vector<std::string>& args);

// NPN_GetURL's result, unchanged.
NPError callPageFunction(NPP npp, const std::string& functionName,
                         const std::vector<std::string>& args, const char* target);

}  // namespace NPPlugin

#endif  // KX_PLUGIN_HOST_PAGE_CALL_H_
