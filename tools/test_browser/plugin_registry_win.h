#ifndef KX_TOOLS_TEST_BROWSER_PLUGIN_REGISTRY_WIN_H_
#define KX_TOOLS_TEST_BROWSER_PLUGIN_REGISTRY_WIN_H_

// How a browser of the Mozilla family finds a plug-in that was installed for
// it: <root>\Software\MozillaPlugins\<id> with a Path value and a
// MimeTypes\<type> subkey, in the registry view of the browser's own width.

#include <windows.h>

#include <string>

namespace kx::browser {

// The Path of the first registered plug-in that declares |mime|, or empty.
std::wstring findRegisteredPlugin(HKEY root, const std::wstring& mime);

}  // namespace kx::browser

#endif  // KX_TOOLS_TEST_BROWSER_PLUGIN_REGISTRY_WIN_H_
