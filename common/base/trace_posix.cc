#include <cstdio>
#include <cstdlib>

#include "common/base/trace.h"
#include "common/base/unicode.h"

namespace kx::trace_internal {

// Native builds run only tests and tools: lines are shown on request.
bool traceEnabled() {
  static const bool enabled = std::getenv("KX_TRACE") != nullptr;
  return enabled;
}

void writeTrace(const std::wstring& line) {
  std::string text = utf8FromWide(line);
  if (text.empty() || text.back() != '\n') text.push_back('\n');
  std::fputs(text.c_str(), stderr);
}

}  // namespace kx::trace_internal
