#ifndef KX_LAUNCHER_FLOWS_FLOW_STEPS_WIN_H_
#define KX_LAUNCHER_FLOWS_FLOW_STEPS_WIN_H_

#include "common/base/clock.h"
#include "common/ui/message_box.h"
#include "launcher/flows/flow_steps.h"
#include "launcher/net/http_downloader.h"
#include "launcher/report/launcher_reports.h"

namespace kx::launcher {

// The real steps: drives, WinINet, the package step, the engine update,
// process scans and CreateMutexW. |reports| carries the boxes and the clock.
class WinFlowSteps : public FlowSteps {
 public:
  WinFlowSteps(LauncherReports& reports, HttpDownloader& downloader)
      : reports_(reports), downloader_(downloader) {}

  bool pathExists(const std::wstring& path) override;
  bool chooseCacheRoot(LauncherState& state) override;
  bool fetchPatchList(LauncherState& state) override;
  bool checkNeedToClearRes(const LauncherState& state) override;
  bool downloadGamePackage(LauncherState& state) override;
  bool checkEnginePath(const std::wstring& gameDir) override;
  bool checkEngineVersion(LauncherState& state) override;
  bool restoreEngineFromHashRes(const std::wstring& gameDir) override;
  void removeDirectoryTree(const std::wstring& folder) override;
  void makeDirectories(const std::wstring& folder) override;
  bool anyClientRunningUnder(const std::wstring& gameDir) override;
  std::unique_ptr<NamedMutex> createNamedMutex(const std::wstring& name) override;

 private:
  LauncherReports& reports_;
  HttpDownloader& downloader_;
};

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_FLOWS_FLOW_STEPS_WIN_H_
