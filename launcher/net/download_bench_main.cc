// Downloads one URL into one file, for the download benchmark:
// kx_download_bench <url> <file>. Prints the seconds spent in downloadFile.

#include <windows.h>

#include <cstdio>

#include "launcher/net/http_downloader.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: kx_download_bench <url> <file>\n");
    return 2;
  }
  kx::launcher::DownloadRequest request;
  request.url = argv[1];
  request.localPath = argv[2];
  kx::launcher::HttpDownloader downloader;
  LARGE_INTEGER f, t0, t1;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t0);
  const bool ok = downloader.downloadFile(request);
  QueryPerformanceCounter(&t1);
  std::printf("%s %.3f\n", ok ? "ok" : "failed",
              static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(f.QuadPart));
  return ok ? 0 : 1;
}
