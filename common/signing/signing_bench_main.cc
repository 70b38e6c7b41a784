// Verifies one signed file N times in this process, for the signing benchmark:
// kx_signing_bench <file> <count> [details]. Prints one "call <i> <ms>" line
// per call; "details" also reads the signer record. Exit 0 when every call
// verified.

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "common/signing/signer_info.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: kx_signing_bench <file> <count> [details]\n");
    return 2;
  }
  int count = _wtoi(argv[2]);
  bool details = argc == 4 && wcscmp(argv[3], L"details") == 0;
  LARGE_INTEGER freq;
  ::QueryPerformanceFrequency(&freq);
  bool allOk = count > 0;
  for (int i = 0; i < count; ++i) {
    kx::SignerInfo info;
    LARGE_INTEGER t0, t1;
    ::QueryPerformanceCounter(&t0);
    bool ok = kx::verifyFileSignature(argv[1], details ? &info : nullptr);
    ::QueryPerformanceCounter(&t1);
    if (details) kx::freeSignerInfo(&info);
    allOk = allOk && ok;
    double ms = 1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) /
                static_cast<double>(freq.QuadPart);
    std::printf("call %d %.3f%s\n", i + 1, ms, ok ? "" : " failed");
  }
  return allOk ? 0 : 1;
}
