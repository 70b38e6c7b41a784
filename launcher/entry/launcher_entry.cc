#include "launcher/entry/launcher_entry.h"

namespace kx::launcher {

int runLauncher(const wchar_t* arguments) {
  (void)arguments;
  return 0;
}

}  // namespace kx::launcher
