// Makes one trace line with each kind of argument, for the debugstr check.
#include <string>

#include "common/base/trace.h"

int wmain() {
  const std::wstring wide = L"wide";
  kx::trace(L"kx trace probe %s %d %08x %s %c", wide, -3, 0xBEEFu, "narrow", L'!');
  kx::trace(L"kx trace probe mismatch %d", wide);
  return 0;
}
