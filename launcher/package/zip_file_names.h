#ifndef KX_LAUNCHER_PACKAGE_ZIP_FILE_NAMES_H_
#define KX_LAUNCHER_PACKAGE_ZIP_FILE_NAMES_H_

#include <string>
#include <string_view>

namespace cocos2d {

// An entry name as stored in the archive, with its encoding flag (bit 11 of
// the entry's flags: UTF-8; otherwise the system's ANSI code page).
struct ZipEntryName {
  std::string bytes;
  bool utf8 = false;
};

// A folder entry ends with '/' or '\'.
bool isFolderEntryName(std::string_view name);

// False for names that could land outside the target folder: empty, an
// embedded zero byte, a leading '/' or '\', any ':' (drive letters, streams),
// or a component made only of dots and spaces with two or more dots (Windows
// drops trailing dots and spaces, so ".. " and "..." act like "..").
bool isSafeEntryName(std::string_view name);

// Drops one trailing '/' or '\'.
std::string_view withoutTrailingSeparator(std::string_view folder);

}  // namespace cocos2d

#endif  // KX_LAUNCHER_PACKAGE_ZIP_FILE_NAMES_H_
