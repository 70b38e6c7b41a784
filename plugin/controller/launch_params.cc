#include "plugin/controller/launch_params.h"

#include <vector>

#include "plugin/controller/utf.h"

namespace kx::plugin {
namespace {

std::vector<std::u16string> pieces(const std::u16string& text, char16_t separator) {
  std::vector<std::u16string> out;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(separator, start);
    if (end == std::u16string::npos) end = text.size();
    if (end > start) out.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

}  // namespace

ParamMap parseParams(const std::u16string& text) {
  ParamMap params;
  for (const auto& item : pieces(text, u',')) {
    const auto parts = pieces(item, u'=');
    std::u16string key = parts.empty() ? std::u16string() : parts[0];
    std::u16string value = parts.size() > 1 ? parts[1] : std::u16string();
    params.emplace(std::move(key), std::move(value));
  }
  return params;
}

std::u16string launchArguments(const LaunchFields& f) {
  std::u16string out = f.mode;
  for (const auto& field :
       {decimal16(static_cast<int32_t>(f.window)), decimal16(static_cast<int32_t>(f.processId)),
        decimal16(f.width), decimal16(f.height), f.sixth}) {
    out += u' ';
    out += field;
  }
  if (!f.optional.empty()) {
    out += u' ';
    out += f.optional;
  }
  return out;
}

std::u16string launcherCommandLine(const std::u16string& arguments) {
  return std::u16string(kLauncherFileName) + u' ' + arguments;
}

}  // namespace kx::plugin
