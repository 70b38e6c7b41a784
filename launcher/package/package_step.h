#ifndef KX_LAUNCHER_PACKAGE_PACKAGE_STEP_H_
#define KX_LAUNCHER_PACKAGE_PACKAGE_STEP_H_

// Puts a complete copy of the game into the cache: reuses a package or a
// partial download left by an earlier run when the patch list still accepts
// it, else downloads KX-<apkver>.zip; then unpacks it, writes findownload.dat
// and deletes the package. The caller holds "kx_main_download_mutex".
// The decisions live here; the transfer and the folder sit behind seams.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "launcher/report/launcher_reports.h"

namespace kx::launcher {

inline constexpr wchar_t kUnzipFailedText[] = L"解压游戏资源包失败";
inline constexpr wchar_t kVersionFileFailedText[] = L"生成版本文件失败";
inline constexpr wchar_t kDownloadFailedText[] = L"加载资源失败，请检查网络，刷新页面再试";
inline constexpr wchar_t kDownloadRetryText[] = L"下载资源失败，是否需要重试！";

// One ranged GET into a local file (HttpDownloader::downloadFile in the product).
class PackageTransfer {
 public:
  struct Result {
    bool ok = false;
    uint32_t status = 0;       // of the answer; 0 when there was none
    std::wstring contentRange;  // its Content-Range header, empty when absent
  };
  using Progress = std::function<void(uint32_t received, int32_t contentLength)>;
  virtual ~PackageTransfer() = default;
  // Offset 0 starts the file afresh; a negative offset fails without a request.
  virtual Result download(const std::wstring& url, const std::wstring& localPath,
                          int32_t resumeOffset, const Progress& progress) = 0;
};

// The files and folders the step works on.
class PackageFiles {
 public:
  virtual ~PackageFiles() = default;
  virtual void makeDirectories(const std::wstring& folder) = 0;  // failures ignored
  virtual std::vector<std::wstring> list(const std::wstring& folder) = 0;  // names only
  virtual bool exists(const std::wstring& path) = 0;
  virtual int64_t size(const std::wstring& path) = 0;  // -1 when it cannot be opened
  virtual bool remove(const std::wstring& path) = 0;
  virtual bool rename(const std::wstring& from, const std::wstring& to) = 0;  // replacing
  // |progress| returns false when the launcher must stop (the browser has gone).
  virtual bool unpack(const std::wstring& package, const std::wstring& root,
                      const std::function<bool(int done, int count)>& progress) = 0;
  virtual bool writeVersionFile(const std::wstring& path, const std::wstring& version) = 0;
  virtual void saveEngineSnapshot(const std::wstring& gameDir) = 0;
};

// The total N of "bytes */N" (an answer to a range beyond the file); -1 otherwise.
int64_t unsatisfiedRangeTotal(const std::wstring& contentRange);

// True: unpacked and recorded. False: reports.state().errorText says why.
// Retry pauses go through reports.clock().
bool downloadGamePackage(PackageTransfer& transfer, PackageFiles& files,
                         LauncherReports& reports);

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_PACKAGE_PACKAGE_STEP_H_
