#include "tools/launcher_standin/launch_line.h"

#include "common/base/unicode.h"

namespace kx::standin {
namespace {

std::string utf8(const std::wstring& text) { return utf8FromWide(text); }

}  // namespace

std::string describeLaunchCommand(const launcher::LaunchCommand& c) {
  using launcher::LaunchMode;
  const char* name = nullptr;
  const char* lastName = nullptr;
  switch (c.mode) {
    case LaunchMode::kRejected:
      return "mode rejected";
    case LaunchMode::kNormal:
      name = "normal", lastName = "extParam";
      break;
    case LaunchMode::kSwitch:
      name = "switch", lastName = "cacheRoot";
      break;
    case LaunchMode::kRepair:
      name = "repair", lastName = "extParam";
      break;
    case LaunchMode::kClearPatch:
      name = "clearpatch", lastName = "cacheRoot";
      break;
  }
  std::string line = std::string("mode ") + name + " hOcxWnd=" + std::to_string(c.hOcxWnd) +
                     " browserPid=" + std::to_string(c.browserPid) +
                     " width=" + std::to_string(c.gameWidth) +
                     " height=" + std::to_string(c.gameHeight);
  if (c.mode == LaunchMode::kSwitch) {
    line += " switchNumber=" + std::to_string(c.switchNumber);
  } else {
    line += " url=" + utf8(c.updateUrl);
  }
  if (c.hasLastField) line += std::string(" ") + lastName + "=" + utf8(c.lastField);
  return line;
}

}  // namespace kx::standin
