#include "launcher/package/download_game_package_win.h"

#include <windows.h>

#include <string>
#include <vector>

#include "common/base/scoped_handle.h"
#include "launcher/engine/engine_update_win.h"
#include "launcher/engine/integrity_win.h"
#include "launcher/package/package_download_plan.h"
#include "launcher/package/unzip.h"
#include "launcher/patch/patch_list.h"
#include "launcher/report/confirmed_retry.h"
#include "launcher/util/file_util_win.h"
#include "launcher/util/version.h"

namespace kx::launcher {

namespace {

constexpr wchar_t kVersionFileName[] = L"findownload.dat";

// The downloader takes a plain function; the step publishes its reports here
// for as long as it runs.
LauncherReports* g_reports = nullptr;

class ActiveReports {
 public:
  explicit ActiveReports(LauncherReports& r) : previous_(g_reports) { g_reports = &r; }
  ~ActiveReports() { g_reports = previous_; }
  ActiveReports(const ActiveReports&) = delete;
  ActiveReports& operator=(const ActiveReports&) = delete;

 private:
  LauncherReports* previous_;
};

int reportDownload(int, int32_t, const wchar_t*, uint32_t received, int32_t total) {
  if (g_reports) g_reports->onDownloadProgress(static_cast<int32_t>(received), total);
  return 0;
}

std::vector<std::wstring> listFolder(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  ScopedFindHandle find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
  if (!find.valid()) return names;
  do {
    names.emplace_back(data.cFileName);
  } while (::FindNextFileW(find.get(), &data));
  return names;
}

bool unpack(LauncherReports& reports, const std::wstring& package) {
  LauncherState& state = reports.state();
  bool browserGone = false;
  const bool ok = unzipPackage(package, state.WEB_KX_DIR_PATH, [&](int, int done, int count) {
    if (!reports.onUnzipProgress(done, count)) browserGone = true;
  });
  return ok && !browserGone;
}

// Unpacked |package| holding |version|: record it, drop the package, snapshot the engine.
bool finish(LauncherReports& reports, const std::wstring& package, const std::wstring& version) {
  LauncherState& state = reports.state();
  if (!unpack(reports, package)) {
    state.errorText = kUnzipFailedText;
    return false;
  }
  if (!writeVersionFile(state.gameDir + L"\\" + kVersionFileName, version)) {
    state.errorText = kVersionFileFailedText;
    return false;
  }
  ::DeleteFileW(package.c_str());
  saveEngineToHashRes(state.gameDir);
  reports.sendLaunchProgress(6, 1);
  return true;
}

}  // namespace

bool downloadGamePackage(HttpDownloader& downloader, LauncherReports& reports) {
  LauncherState& state = reports.state();
  ActiveReports active(reports);
  makeDirectories(state.downloadDir, false);
  makeDirectories(state.gameDir, false);

  const std::wstring miniver = lookupPatchKey(state.patchList, L"miniver");
  const std::wstring apkver = lookupPatchKey(state.patchList, L"apkver");
  const std::wstring httpurl = lookupPatchKey(state.patchList, L"httpurl");

  const PackagePlan plan = planPackageChoice(listFolder(state.downloadDir), miniver, apkver);
  for (const std::wstring& name : plan.toDelete) {
    ::DeleteFileW((state.downloadDir + L"\\" + name).c_str());
  }

  if (!plan.package.empty()) {
    reports.sendLaunchProgress(5, 1);
    return finish(reports, state.downloadDir + L"\\" + plan.package,
                  versionFromPackageName(plan.package));
  }

  DownloadRequest request;
  request.url = httpurl + L"/KX-" + apkver + L".zip";
  request.pathIsFile = 1;
  request.progressCallback = reportDownload;
  request.callbackContext = 0;
  if (!plan.partial.empty()) {
    request.localPath = state.downloadDir + L"\\" + plan.partial;
    // An unreadable partial file gives -1, which every attempt refuses.
    request.resumeOffset = fileExists(request.localPath) ? measureFileSize(request.localPath) : 0;
  } else {
    request.localPath = state.downloadDir + L"\\KX-" + apkver + L".temp";
    request.resumeOffset = 0;
  }
  reports.sendLaunchProgress(3, 1);

  const bool downloaded = runConfirmedRetry(
      [&] {
        reports.resetDownloadSpeed();
        return downloader.downloadFile(request);
      },
      {kDownloadRetryText, kDownloadErrorCaption}, reports.boxes(), reports.clock());
  if (!downloaded) {
    state.errorText = kDownloadFailedText;
    return false;
  }

  if (!reports.isBrowserAlive()) {
    reports.exitForGoneBrowser();
    return false;
  }
  reports.sendLaunchProgress(5, 1);

  const std::wstring package = state.downloadDir + L"\\KX-" + apkver + L".zip";
  // A stale package of the same name must not win over the fresh download; if
  // the rename still fails, unpack the downloaded file where it is.
  const bool renamed =
      ::MoveFileExW(request.localPath.c_str(), package.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
  return finish(reports, renamed ? package : request.localPath, apkver);
}

}  // namespace kx::launcher
