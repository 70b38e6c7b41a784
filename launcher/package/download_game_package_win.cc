#include "launcher/package/download_game_package_win.h"

#include <windows.h>

#include <string>
#include <vector>

#include "common/base/scoped_handle.h"
#include "launcher/engine/engine_update_win.h"
#include "launcher/engine/integrity_win.h"
#include "launcher/package/unzip.h"
#include "launcher/util/file_util_win.h"

namespace kx::launcher {
namespace {

// The downloader takes a plain function; the transfer publishes its progress
// target here for as long as a download runs (one thread).
const PackageTransfer::Progress* g_progress = nullptr;

int forwardProgress(int, int32_t, const wchar_t*, uint32_t received, int32_t total) {
  if (g_progress && *g_progress) (*g_progress)(received, total);
  return 0;
}

class ActiveProgress {
 public:
  explicit ActiveProgress(const PackageTransfer::Progress& p) : previous_(g_progress) {
    g_progress = &p;
  }
  ~ActiveProgress() { g_progress = previous_; }
  ActiveProgress(const ActiveProgress&) = delete;
  ActiveProgress& operator=(const ActiveProgress&) = delete;

 private:
  const PackageTransfer::Progress* previous_;
};

}  // namespace

PackageTransfer::Result HttpPackageTransfer::download(const std::wstring& url,
                                                      const std::wstring& localPath,
                                                      int32_t resumeOffset,
                                                      const Progress& progress) {
  DownloadRequest request;
  request.url = url;
  request.localPath = localPath;
  request.pathIsFile = 1;
  request.resumeOffset = resumeOffset;
  request.progressCallback = forwardProgress;
  request.callbackContext = 0;
  ActiveProgress active(progress);
  Result r;
  r.ok = downloader_.downloadFile(request);
  r.status = downloader_.lastStatus();
  r.contentRange = downloader_.lastContentRange();
  return r;
}

void WinPackageFiles::makeDirectories(const std::wstring& folder) {
  launcher::makeDirectories(folder, false);
}

std::vector<std::wstring> WinPackageFiles::list(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  ScopedFindHandle find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
  if (!find.valid()) return names;
  do {
    names.emplace_back(data.cFileName);
  } while (::FindNextFileW(find.get(), &data));
  return names;
}

bool WinPackageFiles::exists(const std::wstring& path) { return fileExists(path); }

int64_t WinPackageFiles::size(const std::wstring& path) { return measureFileSize(path); }

bool WinPackageFiles::remove(const std::wstring& path) {
  return ::DeleteFileW(path.c_str()) != 0;
}

bool WinPackageFiles::rename(const std::wstring& from, const std::wstring& to) {
  return ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool WinPackageFiles::unpack(const std::wstring& package, const std::wstring& root,
                             const std::function<bool(int, int)>& progress) {
  bool stopped = false;
  const bool ok = unzipPackage(package, root, [&](int, int done, int count) {
    if (!progress(done, count)) stopped = true;
  });
  return ok && !stopped;
}

bool WinPackageFiles::writeVersionFile(const std::wstring& path, const std::wstring& version) {
  return launcher::writeVersionFile(path, version);
}

void WinPackageFiles::saveEngineSnapshot(const std::wstring& gameDir) {
  saveEngineToHashRes(gameDir);
}

bool downloadGamePackage(HttpDownloader& downloader, LauncherReports& reports) {
  HttpPackageTransfer transfer(downloader);
  WinPackageFiles files;
  return downloadGamePackage(transfer, files, reports);
}

}  // namespace kx::launcher
