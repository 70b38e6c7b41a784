#include "common/base/clock_win.h"

#include <windows.h>

namespace kx {

uint32_t WinClock::tickCount() { return GetTickCount(); }

void WinClock::sleep(uint32_t ms) { Sleep(ms); }

}  // namespace kx
