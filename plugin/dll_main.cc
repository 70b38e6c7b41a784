#include <windows.h>

// Nothing happens at load: NP_Initialize is where the plug-in starts.
BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
