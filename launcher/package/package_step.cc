#include "launcher/package/package_step.h"

#include <cwctype>

#include "launcher/package/package_download_plan.h"
#include "launcher/patch/patch_list.h"
#include "launcher/report/confirmed_retry.h"
#include "launcher/util/version.h"

namespace kx::launcher {
namespace {

constexpr wchar_t kVersionFileName[] = L"findownload.dat";
constexpr uint32_t kRangeNotSatisfiable = 416;

class PackageStep {
 public:
  PackageStep(PackageTransfer& transfer, PackageFiles& files, LauncherReports& reports)
      : transfer_(transfer), files_(files), reports_(reports), state_(reports.state()) {}

  bool run() {
    files_.makeDirectories(state_.downloadDir);
    files_.makeDirectories(state_.gameDir);
    const std::wstring miniver = lookupPatchKey(state_.patchList, L"miniver");
    const std::wstring apkver = lookupPatchKey(state_.patchList, L"apkver");
    const std::wstring httpurl = lookupPatchKey(state_.patchList, L"httpurl");

    const PackagePlan plan = planPackageChoice(files_.list(state_.downloadDir), miniver, apkver);
    for (const std::wstring& name : plan.toDelete) files_.remove(inDownloads(name));

    if (!plan.package.empty()) {
      reports_.sendLaunchProgress(5, 1);
      const std::wstring package = inDownloads(plan.package);
      if (!unpack(package)) {
        // A package that does not unpack would fail every later launch until
        // miniver moves past it: drop it so the next run downloads afresh.
        if (!browserGone_) files_.remove(package);
        return false;
      }
      return finish(package, versionFromPackageName(plan.package));
    }

    const std::wstring partial =
        plan.partial.empty() ? inDownloads(L"KX-" + apkver + L".temp") : inDownloads(plan.partial);
    const std::wstring url = httpurl + L"/KX-" + apkver + L".zip";
    reports_.sendLaunchProgress(3, 1);
    bool measure = !plan.partial.empty();
    const bool downloaded = runConfirmedRetry(
        [&] {
          // Measured again each time: a failed attempt may have grown the
          // file, or a restarted transfer may have cut it below the offset.
          const bool ok = attempt(url, partial, measure ? currentOffset(partial) : 0);
          measure = true;
          return ok;
        },
        {kDownloadRetryText, kDownloadErrorCaption}, reports_.boxes(), reports_.clock());
    if (!downloaded) {
      state_.errorText = kDownloadFailedText;
      return false;
    }
    if (!reports_.isBrowserAlive()) {
      reports_.exitForGoneBrowser();
      return false;
    }
    reports_.sendLaunchProgress(5, 1);

    const std::wstring package = inDownloads(L"KX-" + apkver + L".zip");
    // A stale package of the same name must not win over the fresh download;
    // if the rename still fails, unpack the downloaded file where it is.
    const std::wstring unpacked = files_.rename(partial, package) ? package : partial;
    if (!unpack(unpacked)) return false;  // the package stays for the next run
    return finish(unpacked, apkver);
  }

 private:
  std::wstring inDownloads(const std::wstring& name) const {
    return state_.downloadDir + L"\\" + name;
  }

  int32_t currentOffset(const std::wstring& path) {
    if (!files_.exists(path)) return 0;
    const int64_t size = files_.size(path);
    if (size < 0 || size > INT32_MAX) return -1;  // unreadable: the attempt fails
    return static_cast<int32_t>(size);
  }

  bool attempt(const std::wstring& url, const std::wstring& partial, int32_t offset) {
    reports_.resetDownloadSpeed();
    const auto progress = [this](uint32_t received, int32_t total) {
      reports_.onDownloadProgress(static_cast<int32_t>(received), total);
    };
    const PackageTransfer::Result r = transfer_.download(url, partial, offset, progress);
    if (r.ok || offset <= 0 || r.status != kRangeNotSatisfiable) return r.ok;
    // Asked for bytes past the end: when the server's size is ours, the file
    // is already whole (the last run ended before its rename).
    if (unsatisfiedRangeTotal(r.contentRange) == offset) return true;
    // Any other 416: our bytes do not belong to this package; start over.
    reports_.resetDownloadSpeed();
    return transfer_.download(url, partial, 0, progress).ok;
  }

  bool unpack(const std::wstring& package) {
    const bool ok = files_.unpack(package, state_.WEB_KX_DIR_PATH, [this](int done, int count) {
      if (reports_.onUnzipProgress(done, count)) return true;
      browserGone_ = true;
      return false;
    });
    if (ok && !browserGone_) return true;
    if (!browserGone_) state_.errorText = kUnzipFailedText;
    return false;
  }

  bool finish(const std::wstring& package, const std::wstring& version) {
    if (!files_.writeVersionFile(state_.gameDir + L"\\" + kVersionFileName, version)) {
      state_.errorText = kVersionFileFailedText;
      return false;
    }
    files_.remove(package);
    files_.saveEngineSnapshot(state_.gameDir);
    reports_.sendLaunchProgress(6, 1);
    return true;
  }

  PackageTransfer& transfer_;
  PackageFiles& files_;
  LauncherReports& reports_;
  LauncherState& state_;
  bool browserGone_ = false;
};

}  // namespace

int64_t unsatisfiedRangeTotal(const std::wstring& contentRange) {
  const std::wstring prefix = L"bytes */";
  if (contentRange.compare(0, prefix.size(), prefix) != 0) return -1;
  size_t end = contentRange.size();
  while (end > prefix.size() && std::iswspace(contentRange[end - 1])) --end;
  if (end == prefix.size() || end - prefix.size() > 18) return -1;
  int64_t total = 0;
  for (size_t i = prefix.size(); i < end; ++i) {
    if (contentRange[i] < L'0' || contentRange[i] > L'9') return -1;
    total = total * 10 + (contentRange[i] - L'0');
  }
  return total;
}

bool downloadGamePackage(PackageTransfer& transfer, PackageFiles& files,
                         LauncherReports& reports) {
  return PackageStep(transfer, files, reports).run();
}

}  // namespace kx::launcher
