// The floor the platform allows for the download benchmark: the fewest WinINet
// calls that fetch one URL into one file with the launcher's 16 KiB reads and
// plain file writes, nothing else. kx_wininet_floor_bench <url> <file>.
// Prints the seconds spent from the request to the last write.

#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <memory>

#include "common/base/scoped_handle.h"

namespace {

struct InternetCloser {
  void operator()(HINTERNET h) const { InternetCloseHandle(h); }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: kx_wininet_floor_bench <url> <file>\n");
    return 2;
  }
  LARGE_INTEGER f, t0, t1;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t0);
  std::unique_ptr<void, InternetCloser> session(
      InternetOpenW(L"floor", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session) return 1;
  std::unique_ptr<void, InternetCloser> request(InternetOpenUrlW(
      session.get(), argv[1], nullptr, 0, INTERNET_FLAG_DONT_CACHE | INTERNET_FLAG_RELOAD, 0));
  kx::ScopedFileHandle file(CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!request || !file.valid()) return 1;
  static char buffer[16384];
  DWORD got = 0;
  bool ok = true;
  while ((ok = InternetReadFile(request.get(), buffer, sizeof(buffer), &got) != FALSE) && got > 0) {
    DWORD written = 0;
    if (!WriteFile(file.get(), buffer, got, &written, nullptr) || written != got) {
      ok = false;
      break;
    }
  }
  QueryPerformanceCounter(&t1);
  std::printf("%s %.3f\n", ok ? "ok" : "failed",
              static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(f.QuadPart));
  return ok ? 0 : 1;
}
