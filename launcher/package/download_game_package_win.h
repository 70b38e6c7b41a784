#ifndef KX_LAUNCHER_PACKAGE_DOWNLOAD_GAME_PACKAGE_WIN_H_
#define KX_LAUNCHER_PACKAGE_DOWNLOAD_GAME_PACKAGE_WIN_H_

// The package step's real pieces: WinINet through HttpDownloader, the
// download folder through Win32 files, minizip for the unpack.

#include "launcher/net/http_downloader.h"
#include "launcher/package/package_step.h"

namespace kx::launcher {

class HttpPackageTransfer : public PackageTransfer {
 public:
  explicit HttpPackageTransfer(HttpDownloader& downloader) : downloader_(downloader) {}
  Result download(const std::wstring& url, const std::wstring& localPath, int32_t resumeOffset,
                  const Progress& progress) override;

 private:
  HttpDownloader& downloader_;
};

class WinPackageFiles : public PackageFiles {
 public:
  void makeDirectories(const std::wstring& folder) override;
  std::vector<std::wstring> list(const std::wstring& folder) override;
  bool exists(const std::wstring& path) override;
  int64_t size(const std::wstring& path) override;
  bool remove(const std::wstring& path) override;
  bool rename(const std::wstring& from, const std::wstring& to) override;
  bool unpack(const std::wstring& package, const std::wstring& root,
              const std::function<bool(int done, int count)>& progress) override;
  bool writeVersionFile(const std::wstring& path, const std::wstring& version) override;
  void saveEngineSnapshot(const std::wstring& gameDir) override;
};

// The step over the real pieces.
bool downloadGamePackage(HttpDownloader& downloader, LauncherReports& reports);

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_PACKAGE_DOWNLOAD_GAME_PACKAGE_WIN_H_
