#ifndef KX_LAUNCHER_PACKAGE_UNZIP_H_
#define KX_LAUNCHER_PACKAGE_UNZIP_H_

#include <string>

#include "launcher/package/zip_file.h"

namespace kx::launcher {

// Unpacks the package into |targetFolder| (see cocos2d::ZipFile::extractAllTo).
// True only when every entry was read and every file entry written; the
// callback, when given, gets (0, files written, file entries) once at the end.
bool unzipPackage(const std::wstring& packagePath, const std::wstring& targetFolder,
                  const cocos2d::ZipProgressCallback& progress);

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_PACKAGE_UNZIP_H_
