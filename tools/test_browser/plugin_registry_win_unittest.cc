// The registry lookup of the test browser, against keys made under HKCU here
// (the lookup takes its root, so the machine-wide keys stay untouched).
#include "tools/test_browser/plugin_registry_win.h"

#include <gtest/gtest.h>

#include <string>

#include "common/base/scoped_handle.h"

namespace kx::browser {
namespace {

constexpr wchar_t kPlugins[] = L"Software\\MozillaPlugins";

class PluginRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kPlugins); }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kPlugins); }

  static void makeKey(const std::wstring& path) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegCloseKey(key);
  }
  // |bytes| as stored, so that a string without its terminating null can be made.
  static void setPath(const std::wstring& plugin, const std::wstring& bytes, DWORD type = REG_SZ) {
    const std::wstring path = std::wstring(kPlugins) + L"\\" + plugin;
    makeKey(path);
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_SET_VALUE, &key));
    ScopedRegKey owner(key);
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExW(key, L"Path", 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size() * sizeof(wchar_t))));
  }
  static void declare(const std::wstring& plugin, const std::wstring& mime) {
    makeKey(std::wstring(kPlugins) + L"\\" + plugin + L"\\MimeTypes\\" + mime);
  }
};

TEST_F(PluginRegistryTest, NothingRegistered) {
  EXPECT_EQ(L"", findRegisteredPlugin(HKEY_CURRENT_USER, L"application/kxnpgameplugin"));
  makeKey(kPlugins);
  EXPECT_EQ(L"", findRegisteredPlugin(HKEY_CURRENT_USER, L"application/kxnpgameplugin"));
}

// Keys are skipped that declare another type, only a prefix of the type, or no
// usable Path; the one that declares the type exactly is found.
TEST_F(PluginRegistryTest, FindsThePluginThatDeclaresTheTypeWithAPath) {
  setPath(L"@a.example/Other", std::wstring(L"C:\\a\\npother.dll") + L'\0');
  declare(L"@a.example/Other", L"application/other");
  setPath(L"@b.example/Prefix", std::wstring(L"C:\\b\\npprefix.dll") + L'\0');
  declare(L"@b.example/Prefix", L"application/kxnpgame");
  declare(L"@c.example/NoPath", L"application/kxnpgameplugin");
  setPath(L"@d.example/Number", L"\x0001\x0002", REG_DWORD);
  declare(L"@d.example/Number", L"application/kxnpgameplugin");
  setPath(L"@e.example/Right", std::wstring(L"C:\\e\\npright.dll") + L'\0');
  declare(L"@e.example/Right", L"application/kxnpgameplugin");

  EXPECT_EQ(L"C:\\e\\npright.dll",
            findRegisteredPlugin(HKEY_CURRENT_USER, L"application/kxnpgameplugin"));
  EXPECT_EQ(L"C:\\a\\npother.dll", findRegisteredPlugin(HKEY_CURRENT_USER, L"application/other"));
}

// A stored string need not end in a null: the path ends where the data ends.
TEST_F(PluginRegistryTest, PathWithoutTerminatingNull) {
  setPath(L"@corvane.net/NPKXGamePlugin", L"C:\\p\\np.dll");
  declare(L"@corvane.net/NPKXGamePlugin", L"application/kxnpgameplugin");
  EXPECT_EQ(L"C:\\p\\np.dll",
            findRegisteredPlugin(HKEY_CURRENT_USER, L"application/kxnpgameplugin"));
}

}  // namespace
}  // namespace kx::browser
