#ifndef KX_LAUNCHER_PACKAGE_ZIP_FILE_WIN_H_
#define KX_LAUNCHER_PACKAGE_ZIP_FILE_WIN_H_

// Windows file access for cocos2d::ZipFile: wide paths, 64-bit offsets.

#include <memory>
#include <string>

#include "launcher/package/zip_file.h"

namespace cocos2d {

// Null when the file cannot be opened.
std::unique_ptr<ZipFileSource> openWinZipFileSource(const std::wstring& path);

// Writes below |folder| (one trailing separator ignored). Entry names are
// read as UTF-8 when the entry says so, otherwise in the ANSI code page.
class WinZipFileTarget : public ZipFileTarget {
 public:
  explicit WinZipFileTarget(const std::wstring& folder);
  void makeFolder(const ZipEntryName& name) override;
  std::unique_ptr<ZipFileOutput> createFile(const ZipEntryName& name) override;

 private:
  // False when the name does not convert.
  bool pathOf(const ZipEntryName& name, std::wstring* path) const;

  std::wstring folder_;
};

}  // namespace cocos2d

#endif  // KX_LAUNCHER_PACKAGE_ZIP_FILE_WIN_H_
