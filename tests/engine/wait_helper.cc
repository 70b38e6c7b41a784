// A stand-in game client for the launcher's tests: runs until the named event
// given as its argument is signalled (or a minute has passed, so it never lingers).
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, argv[1]);
  if (event == nullptr) return 3;
  const DWORD r = WaitForSingleObject(event, 60000);
  CloseHandle(event);
  return r == WAIT_OBJECT_0 ? 0 : 4;
}
