#include "plugin/sdk/sdk_manager.h"

#include "common/base/text_convert_win.h"

namespace WebSDK {

void SDKManager::onScriptMessage(const std::wstring& text) {
  std::string utf8;
  kx::wideToUtf8(text, utf8);
  onScriptMessageUtf8(utf8);
}

}  // namespace WebSDK
