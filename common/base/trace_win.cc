#include <windows.h>

#include "common/base/trace.h"

namespace kx::trace_internal {

bool traceEnabled() { return true; }

void writeTrace(const std::wstring& line) { OutputDebugStringW(line.c_str()); }

}  // namespace kx::trace_internal
