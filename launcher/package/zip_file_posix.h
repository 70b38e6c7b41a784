#ifndef KX_LAUNCHER_PACKAGE_ZIP_FILE_POSIX_H_
#define KX_LAUNCHER_PACKAGE_ZIP_FILE_POSIX_H_

// Native (non-Windows) file access for cocos2d::ZipFile: tests and the
// benchmark driver.

#include <memory>
#include <string>

#include "launcher/package/zip_file.h"

namespace cocos2d {

// Null when the file cannot be opened.
std::unique_ptr<ZipFileSource> openPosixZipFileSource(const std::string& path);

// Writes below |folder| (one trailing separator ignored) with "%s/%s" paths.
class PosixZipFileTarget : public ZipFileTarget {
 public:
  explicit PosixZipFileTarget(const std::string& folder);
  void makeFolder(const ZipEntryName& name) override;
  std::unique_ptr<ZipFileOutput> createFile(const ZipEntryName& name) override;

 private:
  std::string folder_;
};

}  // namespace cocos2d

#endif  // KX_LAUNCHER_PACKAGE_ZIP_FILE_POSIX_H_
