#include "launcher/package/unzip.h"

#include "launcher/package/zip_file_win.h"

namespace kx::launcher {

// Paths stay wide all the way to CreateFileW, so folders the ANSI code page
// cannot spell still work.
bool unzipPackage(const std::wstring& packagePath, const std::wstring& targetFolder,
                  const cocos2d::ZipProgressCallback& progress) {
  cocos2d::ZipFile zip(cocos2d::openWinZipFileSource(packagePath));
  zip.loadEntryList("");
  cocos2d::WinZipFileTarget target(targetFolder);
  return zip.extractAllTo(target, progress);
}

}  // namespace kx::launcher
