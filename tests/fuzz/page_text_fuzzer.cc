// Texts from the page and the game client on their way through the plug-in:
// event parsing, and page calls that must decode back to exactly their
// arguments whatever bytes they carry.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "plugin/host/page_call.h"
#include "plugin/sdk/sdk_manager.h"
#include "tools/test_browser/line_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (const auto& [key, value] : WebSDK::parseEventText(text)) {
    if (key.empty() || value.empty() || key.find_first_of(",:") != std::string::npos ||
        value.find_first_of(",:") != std::string::npos)
      std::abort();
  }
  const std::string url = NPPlugin::pageCallUrl("f", {text, "x"});
  const std::optional<kx::browser::PageCall> call = kx::browser::decodePageCall(url);
  if (!call || call->function != "f" || call->args.size() != 2 || call->args[0] != text)
    std::abort();
  if (url.find('\n') != std::string::npos || url.find('\r') != std::string::npos ||
      url.find("</") != std::string::npos || url.find("\xE2\x80\xA8") != std::string::npos)
    std::abort();
  if (kx::browser::splitFields(kx::browser::joinFields({text, text})) !=
      std::vector<std::string>{text, text})
    std::abort();
  return 0;
}
