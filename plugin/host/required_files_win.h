#ifndef KX_PLUGIN_HOST_REQUIRED_FILES_WIN_H_
#define KX_PLUGIN_HOST_REQUIRED_FILES_WIN_H_

#include <string>
#include <vector>

namespace NPPlugin {

// The files that must be in the system directory for the plug-in to work.
const std::vector<std::wstring>& requiredFiles();

// Whether every name of |names| is found in |folder| (presence only).
bool filesPresent(const std::wstring& folder, const std::vector<std::wstring>& names);

// requiredFiles() against GetSystemDirectoryW.
bool checkRequiredFiles();

}  // namespace NPPlugin

#endif  // KX_PLUGIN_HOST_REQUIRED_FILES_WIN_H_
