#ifndef KX_LAUNCHER_INSTANCES_PROCESS_SCAN_WIN_H_
#define KX_LAUNCHER_INSTANCES_PROCESS_SCAN_WIN_H_

#include <cstdint>
#include <string>
#include <vector>

#include "launcher/instances/running_clients.h"

namespace kx::launcher {

struct RunningProcess {
  uint32_t pid = 0;
  std::wstring exeName;  // as the snapshot reports it
};

// Processes whose executable lies under |dir|, the launcher itself excluded.
// Processes that cannot be opened or whose path cannot be read are skipped.
std::vector<RunningProcess> findProcessesUnder(const std::wstring& dir);
std::vector<uint32_t> findProcessIdsUnder(const std::wstring& dir);

// waitForOtherClients over real scans of |gameDir|.
bool waitForOtherClients(const std::wstring& gameDir, Clock& clock);

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_INSTANCES_PROCESS_SCAN_WIN_H_
