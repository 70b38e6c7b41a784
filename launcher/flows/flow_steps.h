#ifndef KX_LAUNCHER_FLOWS_FLOW_STEPS_H_
#define KX_LAUNCHER_FLOWS_FLOW_STEPS_H_

// Everything the mode flows call, behind one seam, so the flows' order and
// failure handling run natively over a fake.

#include <memory>
#include <string>

#include "launcher/state/launcher_state.h"

namespace kx::launcher {

inline constexpr wchar_t kDownloadMutexName[] = L"kx_main_download_mutex";
inline constexpr wchar_t kClearPatchMutexName[] = L"kx_main_clearpatch_mutex";

// A named mutex created by this launcher; destroying it closes the handle.
// Nobody waits on these: their existence is the signal.
class NamedMutex {
 public:
  virtual ~NamedMutex() = default;
};

class FlowSteps {
 public:
  virtual ~FlowSteps() = default;
  // GetFileAttributesW succeeds on |path|.
  virtual bool pathExists(const std::wstring& path) = 0;
  virtual bool chooseCacheRoot(LauncherState& state) = 0;
  // Fills state.patchList from state.GameUpdateUrl (with the confirmed retry).
  virtual bool fetchPatchList(LauncherState& state) = 0;
  // The cached engine is older than the patch list's miniver.
  virtual bool checkNeedToClearRes(const LauncherState& state) = 0;
  virtual bool downloadGamePackage(LauncherState& state) = 0;
  virtual bool checkEnginePath(const std::wstring& gameDir) = 0;
  virtual bool checkEngineVersion(LauncherState& state) = 0;
  virtual bool restoreEngineFromHashRes(const std::wstring& gameDir) = 0;
  virtual void removeDirectoryTree(const std::wstring& folder) = 0;
  virtual void makeDirectories(const std::wstring& folder) = 0;
  virtual bool anyClientRunningUnder(const std::wstring& gameDir) = 0;
  // Null when the mutex could not be created or already existed (any
  // handle obtained is closed again).
  virtual std::unique_ptr<NamedMutex> createNamedMutex(const std::wstring& name) = 0;
};

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_FLOWS_FLOW_STEPS_H_
