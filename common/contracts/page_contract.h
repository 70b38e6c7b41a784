#ifndef KX_COMMON_CONTRACTS_PAGE_CONTRACT_H_
#define KX_COMMON_CONTRACTS_PAGE_CONTRACT_H_

// What the plug-in and the page agree on: the MIME type, the script members
// the page calls, the page functions the plug-in calls, and the page events
// with their fields.

namespace kx::page {

inline constexpr char kMimeType[] = "application/kxnpgameplugin";

// Scriptable object members.
inline constexpr char kMethodOnScriptMessage[] = "OnScriptMessage";
inline constexpr char kMethodSetParams[] = "SetParams";
inline constexpr char kMethodReDraw[] = "ReDraw";
inline constexpr char kMethodIsPluginReady[] = "IsPluginReady";
inline constexpr char kPropertyIsRunning[] = "IsRunning";

// SetParams: items separated by ",", each key "=" value.
inline constexpr char kParamsItemSeparator = ',';
inline constexpr char kParamsKeyValueSeparator = '=';
inline constexpr char kParamGameUpdateUrl[] = "gameUpdateUrl";
inline constexpr char kParamExtParam[] = "extParam";

// Page events: pairs separated by ",", each key ":" value, always with eventType.
inline constexpr char kEventPairSeparator = ',';
inline constexpr char kEventKeyValueSeparator = ':';
inline constexpr char kEventType[] = "eventType";

inline constexpr char kEventPageLoaded[] = "OnPageLoaded";
inline constexpr char kEventSdkScriptInit[] = "OnSDKScriptInit";
inline constexpr char kEventLogin[] = "OnLogin";
inline constexpr char kEventLogout[] = "OnLogout";
inline constexpr char kEventSdkDialogClose[] = "OnSDKDialogClose";
inline constexpr char kEventPay[] = "OnPay";
inline constexpr char kEventClientInfo[] = "OnClientInfo";
inline constexpr char kEventClientRepair[] = "OnClientRepair";
inline constexpr char kEventClickChatBtn[] = "OnClickChatBtn";
inline constexpr char kEventExtFunc[] = "OnExtFunc";

// Event fields.
inline constexpr char kFieldResult[] = "result";
inline constexpr char kFieldCode[] = "code";
inline constexpr char kFieldClientType[] = "clientType";
inline constexpr char kFieldUserId[] = "userId";
inline constexpr char kFieldStatus[] = "status";
inline constexpr char kFieldOrderId[] = "orderId";
inline constexpr char kFieldToken[] = "token";
inline constexpr char kFieldDeviceId[] = "deviceId";
inline constexpr char kFieldOpenClearPatch[] = "openClearPatch";
inline constexpr char kFieldSubType[] = "subType";
inline constexpr char kFieldHVersion[] = "hversion";
inline constexpr char kFieldMidVersion[] = "midversion";
inline constexpr char kFieldLowVersion[] = "lowversion";
inline constexpr char kFieldExploreInfo[] = "exploreInfo";
inline constexpr char kSubTypePayCloseDone[] = "PayCloseDone";
inline constexpr char kSubTypeGetJsVersionDone[] = "GetJsVersionDone";

// Page functions called through "javascript:" URLs.
inline constexpr char kFnOnPluginReady[] = "onPluginReady";
inline constexpr char kFnOnActiveXReady[] = "OnActiveXReady";
inline constexpr char kFnOnActiveXQuit[] = "OnActiveXQuit";
inline constexpr char kFnOnGameInitProgress[] = "OnGameInitProgress";
inline constexpr char kFnOnSetResolution[] = "OnSetResolution";
inline constexpr char kFnOnChangeGamemainSize[] = "OnChangeGamemainSize";
inline constexpr char kFnShowDiv[] = "showDiv";
inline constexpr char kFnInvokeFunc[] = "invokeFunc";
inline constexpr char kInvokeCommonCmdHandler[] = "commonCmdHandler";
inline constexpr char kInvokeSetRoleInfo[] = "setRoleInfo";
inline constexpr char kFnInitWebSdk[] = "initWebSDK";
inline constexpr char kFnLogin[] = "login";
inline constexpr char kFnLogout[] = "logout";
inline constexpr char kFnSetClientData[] = "setClientData";
inline constexpr char kFnShowUserDialog[] = "showUserDialog";
inline constexpr char kFnShowPayDialog[] = "showPayDialog";
inline constexpr char kFnClosePayDialog[] = "closePayDialog";

}  // namespace kx::page

#endif  // KX_COMMON_CONTRACTS_PAGE_CONTRACT_H_
