#ifndef KX_LAUNCHER_INSTANCES_RUNNING_CLIENTS_H_
#define KX_LAUNCHER_INSTANCES_RUNNING_CLIENTS_H_

// Game clients are recognised by where their executable lies, whatever its name.

#include <cstdint>
#include <functional>
#include <string>

#include "common/base/clock.h"

namespace kx::launcher {

// True when |path| lies under |dir|: ASCII case and '/' vs '\' ignored; the
// separator after |dir| keeps siblings such as Kx and KxDownload apart.
bool isPathUnder(const std::wstring& path, const std::wstring& dir);

inline constexpr int kClientWaitCount = 10;
inline constexpr uint32_t kClientWaitMs = 1000;

// Scans, then up to 10 times waits 1000 ms and scans again (11 scans at most).
// True as soon as a scan finds nothing.
bool waitForOtherClients(const std::function<bool()>& anyRunning, Clock& clock);

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_INSTANCES_RUNNING_CLIENTS_H_
