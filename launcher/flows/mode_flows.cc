#include "launcher/flows/mode_flows.h"

#include "common/base/text.h"

namespace kx::launcher {
namespace {

constexpr wchar_t kNoDiskSpaceText[] =
    L"磁盘空间不够，游戏需要800M以上空间来做缓存加速，请适当清理磁盘，刷新页面再试";
constexpr wchar_t kPatchListFailedText[] = L"获取更新列表失败，请检查网络，刷新页面再试";
constexpr wchar_t kOtherDownloadText[] =
    L"当前有其它的Vantorra手游网页版正在下载资源包，请耐心等待!";
constexpr wchar_t kLoadFailedText[] = L"加载资源失败，请检查网络，刷新页面再试";
constexpr wchar_t kPageFailedText[] = L"网页出现异常，刷新页面重试";
constexpr wchar_t kPageProcessFailedText[] = L"网页进程出现异常，刷新页面重试";
constexpr wchar_t kIncompleteText[] = L"校验资源完整性失败，刷新页面重试，或者尝试修复客户端";
constexpr wchar_t kEngineFailedText[] =
    L"当前有其它的Vantorra手游网页版正在运行，请先关闭后再尝试刷新本页面";
constexpr wchar_t kSwitchRootText[] = L"初始化游戏缓存目录失败，请稍后刷新页面再试";

constexpr wchar_t kRepairProbeText[] =
    L"当前正在有其他网页下载游戏客户端，请等待下载安装完成后重新刷新本页面";
constexpr wchar_t kRepairRootText[] = L"修复失败，磁盘空间不够或者无法找到游戏缓存文件";
constexpr wchar_t kRepairClientText[] =
    L"当前有游戏客户端正在运行，请先将其关闭后再使用重装游戏功能。";
constexpr wchar_t kRepairPatchListText[] = L"修复失败,获取更新列表失败，请检查网络再试。";
constexpr wchar_t kRepairOtherDownloadText[] = L"发现有其他网页正在下载资源包，请耐心等待!";
constexpr wchar_t kRepairLoadText[] = L"修复失败，加载资源失败，请检查网络再试。";
constexpr wchar_t kRepairIncompleteText[] = L"修复失败，更新引擎失败，请检查网络再试。";
constexpr wchar_t kRepairEngineText[] =
    L"发现有Vantorra手游网页版正在运行，请先关闭其它网页程序再尝试刷新：\n";

constexpr wchar_t kClearOtherText[] =
    L"当前正在有其他网页修复游戏客户端，请等待修复完成后重新刷新本页面";
constexpr wchar_t kClearNoRootText[] = L"无法找到游戏缓存文件";
constexpr wchar_t kClearClientText[] =
    L"当前有游戏客户端正在运行，请先将其关闭后再使用清除补丁功能。";
constexpr wchar_t kClearIncompleteText[] = L"校验资源完整性失败，刷新页面重试";

bool rootUsable(LauncherState& state, FlowSteps& steps) {
  return !state.WEB_KX_DIR_PATH.empty() && steps.pathExists(state.WEB_KX_DIR_PATH);
}

void setFolders(LauncherState& state) {
  state.gameDir = joinPath(state.WEB_KX_DIR_PATH, L"Kx");
  state.downloadDir = joinPath(state.WEB_KX_DIR_PATH, L"KxDownload");
}

// Fails with |status| 0 of |stage| and the box; always false.
bool fail(LauncherReports& reports, int stage, const std::wstring& first,
          const std::wstring& second) {
  if (stage != 0) reports.sendLaunchProgress(static_cast<uint8_t>(stage), 0);
  reports.showErrorBox(first, second);
  return false;
}

}  // namespace

bool normalLaunch(LauncherReports& reports, FlowSteps& steps) {
  LauncherState& state = reports.state();
  reports.clearErrorText();
  if (!rootUsable(state, steps)) steps.chooseCacheRoot(state);
  if (!reports.isBrowserAlive()) return false;
  if (state.WEB_KX_DIR_PATH.empty()) return fail(reports, 1, state.errorText, kNoDiskSpaceText);

  reports.sendLaunchProgress(1, 1);
  setFolders(state);
  reports.clearErrorText();
  if (!steps.fetchPatchList(state)) return fail(reports, 2, kPatchListFailedText, L"");
  if (!reports.isBrowserAlive()) return false;
  reports.sendLaunchProgress(2, 1);

  bool download = true;
  if (steps.checkEnginePath(state.gameDir)) {
    download = steps.checkNeedToClearRes(state);
    if (download) {
      steps.removeDirectoryTree(state.gameDir);
      steps.makeDirectories(state.gameDir);
    }
  }
  if (download) {
    std::unique_ptr<NamedMutex> mutex = steps.createNamedMutex(kDownloadMutexName);
    if (!mutex) return fail(reports, 6, kOtherDownloadText, L"");
    reports.clearErrorText();
    const bool downloaded = steps.downloadGamePackage(state);
    mutex.reset();
    if (!downloaded) return fail(reports, 6, state.errorText, kLoadFailedText);
    if (!reports.isBrowserAlive()) return fail(reports, 0, state.errorText, kPageFailedText);
    if (!steps.checkEnginePath(state.gameDir)) return fail(reports, 6, kIncompleteText, L"");
    if (!reports.isBrowserAlive()) {
      return fail(reports, 0, state.errorText, kPageProcessFailedText);
    }
  }

  reports.sendLaunchProgress(6, 1);
  reports.clearErrorText();
  if (!steps.checkEngineVersion(state)) return fail(reports, 7, state.errorText, kEngineFailedText);
  if (!reports.isBrowserAlive()) return false;
  reports.sendLaunchProgress(7, 1);
  return true;
}

bool switchLaunch(LauncherReports& reports, FlowSteps& steps) {
  LauncherState& state = reports.state();
  reports.clearErrorText();
  if (!rootUsable(state, steps)) return fail(reports, 1, kSwitchRootText, L"");
  reports.sendLaunchProgress(1, 1);
  setFolders(state);
  if (!steps.checkEnginePath(state.gameDir)) return fail(reports, 5, kIncompleteText, L"");
  reports.sendLaunchProgress(5, 1);
  if (!reports.isBrowserAlive()) return false;
  reports.clearErrorText();
  if (!steps.checkEngineVersion(state)) return fail(reports, 7, state.errorText, kEngineFailedText);
  if (!reports.isBrowserAlive()) return false;
  reports.sendLaunchProgress(7, 1);
  return true;
}

bool repairLaunch(LauncherReports& reports, FlowSteps& steps) {
  LauncherState& state = reports.state();
  // Probe only: another launcher downloading makes us refuse before deleting.
  if (!steps.createNamedMutex(kDownloadMutexName)) {
    return fail(reports, 0, kRepairProbeText, L"");
  }
  reports.clearErrorText();
  if (!rootUsable(state, steps)) steps.chooseCacheRoot(state);
  if (state.WEB_KX_DIR_PATH.empty()) return fail(reports, 1, state.errorText, kRepairRootText);
  setFolders(state);
  if (steps.anyClientRunningUnder(state.gameDir)) {
    reports.showAlwaysBox(kRepairClientText);
    return false;
  }
  if (!reports.isBrowserAlive()) return false;
  reports.sendLaunchProgress(1, 1);
  steps.removeDirectoryTree(state.gameDir);
  steps.removeDirectoryTree(state.downloadDir);
  steps.makeDirectories(state.gameDir);
  if (!reports.isBrowserAlive()) return false;
  if (!steps.fetchPatchList(state)) return fail(reports, 2, kRepairPatchListText, L"");

  std::unique_ptr<NamedMutex> mutex = steps.createNamedMutex(kDownloadMutexName);
  if (!mutex) return fail(reports, 6, kRepairOtherDownloadText, L"");
  reports.clearErrorText();
  const bool downloaded = steps.downloadGamePackage(state);
  mutex.reset();
  if (!downloaded) return fail(reports, 6, state.errorText, kRepairLoadText);
  if (!reports.isBrowserAlive()) return fail(reports, 0, state.errorText, kPageFailedText);
  if (!steps.checkEnginePath(state.gameDir)) return fail(reports, 6, kRepairIncompleteText, L"");
  if (!reports.isBrowserAlive()) return fail(reports, 0, state.errorText, kPageProcessFailedText);

  reports.sendLaunchProgress(6, 1);
  reports.clearErrorText();
  if (!steps.checkEngineVersion(state)) return fail(reports, 7, state.errorText, kRepairEngineText);
  if (!reports.isBrowserAlive()) return false;
  reports.sendLaunchProgress(7, 1);
  return true;
}

bool clearPatchLaunch(LauncherReports& reports, FlowSteps& steps) {
  LauncherState& state = reports.state();
  // Held for the whole run, so two clear-patch launchers never overlap.
  std::unique_ptr<NamedMutex> mutex = steps.createNamedMutex(kClearPatchMutexName);
  if (!mutex) return fail(reports, 0, kClearOtherText, L"");
  reports.clearErrorText();
  if (!rootUsable(state, steps)) return fail(reports, 1, kClearNoRootText, L"");
  state.gameDir = joinPath(state.WEB_KX_DIR_PATH, L"Kx");
  if (steps.anyClientRunningUnder(state.gameDir)) {
    reports.showAlwaysBox(kClearClientText);
    return false;
  }
  reports.sendLaunchProgress(1, 1);
  if (!steps.checkEnginePath(state.gameDir)) return fail(reports, 5, kClearIncompleteText, L"");
  reports.sendLaunchProgress(5, 1);
  reports.clearErrorText();
  reports.sendLaunchProgress(6, 1);
  reports.clearErrorText();
  if (!steps.checkEngineVersion(state)) return fail(reports, 7, state.errorText, kRepairEngineText);
  const std::wstring documents = joinPath(state.gameDir, L"Documents");
  steps.removeDirectoryTree(joinPath(documents, L"pkres"));
  steps.removeDirectoryTree(joinPath(documents, L"subver"));
  steps.removeDirectoryTree(joinPath(documents, L"patch_cache"));
  steps.restoreEngineFromHashRes(state.gameDir);
  mutex.reset();
  reports.sendLaunchProgress(7, 1);
  return true;
}

}  // namespace kx::launcher
