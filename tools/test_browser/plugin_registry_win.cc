#include "tools/test_browser/plugin_registry_win.h"

#include <vector>

#include "common/base/scoped_handle.h"

namespace kx::browser {
namespace {

constexpr wchar_t kPluginsKey[] = L"Software\\MozillaPlugins";

ScopedRegKey openKey(HKEY parent, const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) key = nullptr;
  return ScopedRegKey(key);
}

std::wstring readPath(HKEY key) {
  DWORD type = 0, bytes = 0;
  if (RegQueryValueExW(key, L"Path", nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ) || bytes == 0 || bytes > 65536)
    return {};
  std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(key, L"Path", nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                       &bytes) != ERROR_SUCCESS)
    return {};
  text[bytes / sizeof(wchar_t)] = L'\0';  // the stored string need not end in a null
  return text.data();
}

}  // namespace

std::wstring findRegisteredPlugin(HKEY root, const std::wstring& mime) {
  ScopedRegKey plugins = openKey(root, kPluginsKey);
  if (!plugins.valid()) return {};
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    const LONG r = RegEnumKeyExW(plugins.get(), i, name, &length, nullptr, nullptr, nullptr,
                                 nullptr);
    if (r == ERROR_NO_MORE_ITEMS) return {};
    if (r != ERROR_SUCCESS) continue;
    ScopedRegKey plugin = openKey(plugins.get(), name);
    if (!plugin.valid()) continue;
    if (!openKey(plugin.get(), L"MimeTypes\\" + mime).valid()) continue;
    std::wstring path = readPath(plugin.get());
    if (!path.empty()) return path;
  }
}

}  // namespace kx::browser
