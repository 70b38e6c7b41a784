#ifndef KX_LAUNCHER_PACKAGE_PACKAGE_DOWNLOAD_PLAN_H_
#define KX_LAUNCHER_PACKAGE_PACKAGE_DOWNLOAD_PLAN_H_

#include <string>
#include <vector>

namespace kx::launcher {

// What the package step does with the names found in the download folder.
struct PackagePlan {
  std::wstring package;  // package to unpack again; empty: download
  std::wstring partial;  // partial download to resume; empty: start a new file
  std::vector<std::wstring> toDelete;
};

// Newest first; names whose version does not read as three numbers last.
void sortNewestFirst(std::vector<std::wstring>& names);

// |names|: entries of the download folder (no paths). A partial file is kept
// only when its version is exactly |apkver|; any other would be resumed with
// the wrong package's bytes.
PackagePlan planPackageChoice(const std::vector<std::wstring>& names, const std::wstring& miniver,
                              const std::wstring& apkver);

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_PACKAGE_PACKAGE_DOWNLOAD_PLAN_H_
