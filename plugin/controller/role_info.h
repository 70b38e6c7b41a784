#ifndef KX_PLUGIN_CONTROLLER_ROLE_INFO_H_
#define KX_PLUGIN_CONTROLLER_ROLE_INFO_H_

// The game client's role information (JSON) as the page's numbered map.

#include <string>

#include "plugin/sdk/sdk_manager.h"

namespace kx::plugin {

// Always fifteen entries "1" to "15". Members are looked up ignoring case;
// a string gives its text, a number its decimal text, anything else (or a
// text that is not a JSON object) an empty value.
WebSDK::EventFields roleInfoFromJson(const std::string& json);

}  // namespace kx::plugin

#endif  // KX_PLUGIN_CONTROLLER_ROLE_INFO_H_
