// Unpacks one package, for the extraction benchmark: kx_unzip_bench <zip> <folder>.
// Exit code 0 when the extraction reported success.

#include <cstdio>

#ifdef _WIN32
#include <string>

#include "launcher/package/unzip.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: kx_unzip_bench <zip> <folder>\n");
    return 2;
  }
  int files = -1;
  bool ok = kx::launcher::unzipPackage(argv[1], argv[2], [&](int, int written, int) { files = written; });
  std::printf("%s files=%d\n", ok ? "ok" : "failed", files);
  return ok ? 0 : 1;
}
#else
#include "launcher/package/zip_file.h"
#include "launcher/package/zip_file_posix.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: kx_unzip_bench <zip> <folder>\n");
    return 2;
  }
  int files = -1;
  cocos2d::ZipFile zip(cocos2d::openPosixZipFileSource(argv[1]));
  zip.loadEntryList("");
  cocos2d::PosixZipFileTarget target(argv[2]);
  bool ok = zip.extractAllTo(target, [&](int, int written, int) { files = written; });
  std::printf("%s files=%d\n", ok ? "ok" : "failed", files);
  return ok ? 0 : 1;
}
#endif
