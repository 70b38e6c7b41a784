#include "plugin/sdk/sdk_manager.h"

#include "common/base/trace.h"
#include "common/contracts/page_contract.h"
#include "plugin/host/page_call.h"

namespace WebSDK {
namespace {

namespace page = kx::page;

// Non-empty pieces of |text| between |separator|s.
std::vector<std::string> pieces(const std::string& text, char separator) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(separator, start);
    if (end == std::string::npos) end = text.size();
    if (end > start) out.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

}  // namespace

EventFields parseEventText(const std::string& text) {
  EventFields fields;
  for (const std::string& item : pieces(text, page::kEventPairSeparator)) {
    const std::vector<std::string> pair = pieces(item, page::kEventKeyValueSeparator);
    if (pair.size() == 2) fields.emplace(pair[0], pair[1]);
  }
  return fields;
}

std::string fieldsText(const EventFields& fields) {
  std::string out;
  for (const auto& [key, value] : fields) out += key + ":" + value + ",";
  return out;
}

void SDKManager::reset() {
  eventHandlers_.clear();
  nextHandlerId_ = 1;
}

int32_t SDKManager::registerHandler(const std::string& eventName, EventHandler handler) {
  const int32_t id = nextHandlerId_++;
  eventHandlers_[eventName].emplace_back(id, std::move(handler));
  return id;
}

void SDKManager::onScriptMessageUtf8(const std::string& text) {
  const EventFields fields = parseEventText(text);
  const auto type = fields.find(page::kEventType);
  if (type == fields.end()) return;
  const auto handlers = eventHandlers_.find(type->second);
  if (handlers == eventHandlers_.end()) return;
  // A handler's page call can run page script that reaches back in; walk a
  // copy so that nothing it does can pull the list from under us.
  const std::vector<std::pair<int32_t, EventHandler>> list = handlers->second;
  for (const auto& entry : list) entry.second(fields);
}

NPError SDKManager::callPage(const std::string& functionName,
                             const std::vector<std::string>& args) {
  if (!npp_) return NPERR_INVALID_INSTANCE_ERROR;
  return NPPlugin::callPageFunction(npp_, functionName, args, NPPlugin::kPageTarget);
}

NPError SDKManager::OnActiveXReady() { return callPage(page::kFnOnActiveXReady, {}); }
NPError SDKManager::OnActiveXQuit() { return callPage(page::kFnOnActiveXQuit, {}); }

NPError SDKManager::initWebSDK(const std::string& gameId, int32_t n) {
  return callPage(page::kFnInitWebSdk, {gameId, std::to_string(n)});
}

NPError SDKManager::login() { return callPage(page::kFnLogin, {}); }
NPError SDKManager::logout() { return callPage(page::kFnLogout, {}); }

NPError SDKManager::SetClientData(const std::string& data) {
  kx::trace(L"SDKManager::SetClientData clientData = %s\n", data);
  return callPage(page::kFnSetClientData, {data});
}

NPError SDKManager::showUserDialog() { return callPage(page::kFnShowUserDialog, {}); }

NPError SDKManager::showPayDialog(const std::string& data) {
  return callPage(page::kFnShowPayDialog, {data});
}

NPError SDKManager::closePayDialog() { return callPage(page::kFnClosePayDialog, {}); }

NPError SDKManager::invokeFunc(const std::string& name, const std::string& arg) {
  return callPage(page::kFnInvokeFunc, {name, arg});
}

NPError SDKManager::commonCmdHandler(const std::string& text) {
  return invokeFunc(page::kInvokeCommonCmdHandler, text);
}

NPError SDKManager::setRoleInfo(const EventFields& roleInfo) {
  return invokeFunc(page::kInvokeSetRoleInfo, fieldsText(roleInfo));
}

NPError SDKManager::OnGameInitProgress(int32_t percent) {
  const int32_t limited = percent < 0 ? 0 : (percent > 100 ? 100 : percent);
  return callPage(page::kFnOnGameInitProgress, {std::to_string(limited)});
}

NPError SDKManager::OnSetResolution(int32_t flag) {
  return callPage(page::kFnOnSetResolution, {std::to_string(flag)});
}

NPError SDKManager::OnChangeGamemainSize(int32_t width) {
  return callPage(page::kFnOnChangeGamemainSize, {std::to_string(width)});
}

NPError SDKManager::showDiv(bool show) { return callPage(page::kFnShowDiv, {"0", show ? "1" : "0"}); }

}  // namespace WebSDK
