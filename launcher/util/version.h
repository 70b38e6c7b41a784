#ifndef KX_LAUNCHER_UTIL_VERSION_H_
#define KX_LAUNCHER_UTIL_VERSION_H_

#include <string>

namespace kx::launcher {

// 1 when |a| is newer, -1 when older, 0 when equal or when either does not read
// as three numbers ("%d.%d.%d"). Only the first two numbers count unless
// |threeComponents| is set.
int compareVersion(const std::wstring& a, const std::wstring& b, bool threeComponents);

// "KX-1.0.5.zip" -> "1.0.5": the text between the first '-' and the last '.'.
std::wstring versionFromPackageName(const std::wstring& fileName);

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_UTIL_VERSION_H_
