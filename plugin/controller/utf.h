#ifndef KX_PLUGIN_CONTROLLER_UTF_H_
#define KX_PLUGIN_CONTROLLER_UTF_H_

// UTF-8 towards the page, UTF-16 towards Windows and the game client.
// Malformed input becomes U+FFFD; nothing is dropped silently.

#include <cstdint>
#include <string>

namespace kx::plugin {

std::u16string utf8ToUtf16(const std::string& text);
std::string utf16ToUtf8(const std::u16string& text);
std::u16string asciiToUtf16(const std::string& text);
std::u16string decimal16(int64_t value);

}  // namespace kx::plugin

#endif  // KX_PLUGIN_CONTROLLER_UTF_H_
