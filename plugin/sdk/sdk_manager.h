#ifndef KX_PLUGIN_SDK_SDK_MANAGER_H_
#define KX_PLUGIN_SDK_SDK_MANAGER_H_

// The bridge to the page's web SDK: page events in (parsed, then handed to the
// handlers registered for their name), page functions out.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "plugin/npapi/np_types.h"

namespace WebSDK {

// Keys and values of one page event, UTF-8, byte-wise order.
using EventFields = std::map<std::string, std::string>;
using EventHandler = std::function<void(EventFields)>;

// "k:v,k:v" into pairs: empty items and pieces are skipped, an item must give
// exactly two pieces, the first value of a key wins.
EventFields parseEventText(const std::string& text);

// "k:v," for every entry in key order; empty for an empty map.
std::string fieldsText(const EventFields& fields);

class SDKManager {
 public:
  SDKManager() = default;
  SDKManager(const SDKManager&) = delete;
  SDKManager& operator=(const SDKManager&) = delete;

  void reset();
  int32_t registerHandler(const std::string& eventName, EventHandler handler);
  void setNpp(NPP npp) { npp_ = npp; }
  NPP npp() const { return npp_; }

  // The text of OnScriptMessage, UTF-16 (Windows builds only).
  void onScriptMessage(const std::wstring& text);
  void onScriptMessageUtf8(const std::string& text);

  // NPERR_INVALID_INSTANCE_ERROR without an instance; else the page call's result.
  NPError callPage(const std::string& functionName, const std::vector<std::string>& args);

  NPError OnActiveXReady();
  NPError OnActiveXQuit();
  NPError initWebSDK(const std::string& gameId, int32_t n);
  NPError login();
  NPError logout();
  NPError SetClientData(const std::string& data);
  NPError showUserDialog();
  NPError showPayDialog(const std::string& data);
  NPError closePayDialog();
  NPError invokeFunc(const std::string& name, const std::string& arg);
  NPError commonCmdHandler(const std::string& text);
  NPError setRoleInfo(const EventFields& roleInfo);
  NPError OnGameInitProgress(int32_t percent);
  NPError OnSetResolution(int32_t flag);
  NPError OnChangeGamemainSize(int32_t width);
  NPError showDiv(bool show);

 private:
  std::map<std::string, std::vector<std::pair<int32_t, EventHandler>>> eventHandlers_;
  int32_t nextHandlerId_ = 1;
  NPP npp_ = nullptr;
};

}  // namespace WebSDK

#endif  // KX_PLUGIN_SDK_SDK_MANAGER_H_
