// KXLaunch.exe: a GUI-subsystem program without a window.
#include <windows.h>

#include "launcher/entry/launcher_entry.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
  return kx::launcher::runLauncher(arguments ? arguments : L"");
}
