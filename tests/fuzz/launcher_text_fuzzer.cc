// Texts that reach the launcher from outside: its command line, the patch
// list body, and the URL and headers of an HTTP reply.

#include <cstddef>
#include <cstdint>

#include "launcher/entry/command_line.h"
#include "launcher/net/http_url.h"
#include "launcher/patch/patch_list.h"
#include "launcher/util/version.h"
#include "tests/fuzz/fuzz_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::wstring text = fuzzWideText(data + 1, size - 1);
  using namespace kx::launcher;
  switch (data[0] % 4) {
    case 0: {
      LaunchCommand command = parseLaunchCommand(text);
      LauncherState state;
      applyLaunchCommand(command, state);
      parseExtParam(text);
      break;
    }
    case 1: {
      PatchListTable table;
      parsePatchList(text, table);
      compareVersion(lookupPatchKey(table, L"apkver"), lookupPatchKey(table, L"miniver"), true);
      versionFromPackageName(text);
      break;
    }
    case 2:
      parseHttpUrl(normalizeUrlSlashes(text));
      break;
    default:
      contentRangeStart(text);
      parseContentLength(text);
      break;
  }
  return 0;
}
