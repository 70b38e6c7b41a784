#ifndef KX_PLUGIN_CONTROLLER_LAUNCH_PARAMS_H_
#define KX_PLUGIN_CONTROLLER_LAUNCH_PARAMS_H_

// The SetParams text and the launcher's command lines.

#include <cstdint>
#include <map>
#include <string>

namespace kx::plugin {

// Keys in UTF-16 code-unit order; the first value of a key wins.
using ParamMap = std::map<std::u16string, std::u16string>;

// Items at runs of ",", each cut at runs of "=": key, then value (or empty).
ParamMap parseParams(const std::u16string& text);

inline constexpr char16_t kModeNormal[] = u"__KX_LAUNCH_NORMAL__";
inline constexpr char16_t kModeSwitch[] = u"__KX_SWITCH_LAUNCH__";
inline constexpr char16_t kModeClearRepair[] = u"__KX_CLEAR_REPAIR__";
inline constexpr char16_t kModeClearPatch[] = u"__KX_CLEAR_PATCH__";
inline constexpr char16_t kLauncherFileName[] = u"KXLaunch.exe";

struct LaunchFields {
  const char16_t* mode = kModeNormal;
  uint32_t window = 0;  // written as the signed value of its 32 bits
  uint32_t processId = 0;
  int32_t width = 0;
  int32_t height = 0;
  std::u16string sixth;     // the URL, or the switch number's text
  std::u16string optional;  // the seventh field when non-empty
};

// Six or seven fields joined by single blanks, texts unquoted.
std::u16string launchArguments(const LaunchFields& fields);
// "KXLaunch.exe " and the arguments.
std::u16string launcherCommandLine(const std::u16string& arguments);

}  // namespace kx::plugin

#endif  // KX_PLUGIN_CONTROLLER_LAUNCH_PARAMS_H_
