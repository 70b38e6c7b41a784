#include "launcher/patch/engine_cache_checks_win.h"

#include <gtest/gtest.h>

#include "tests/support/test_tree_win.h"

namespace kx::launcher {
namespace {

// checkNeedToClearRes on a real game folder.
TEST(EngineCacheChecksTest, InstalledVersionAgainstMiniver) {
  struct Case {
    const char* versionIni;  // null: no file
    const wchar_t* minivercheck;
    const wchar_t* miniver;
    bool clear;
  };
  const Case cases[] = {
      {"2.5.0\r\n", L"1", L"2.5.1", true},
      {"2.5.1\r\n", L"1", L"2.5.1", false},
      {"2.5.0\r\n2.5.0 kxmain.dll 100\r\n", L"1", L"2.5.1", true},  // entry lines ignored
      // The BOM stays part of the text, so the version does not read: no clearing.
      {"\xEF\xBB\xBF" "2.5.0\r\n", L"1", L"2.5.1", false},
      {"2.5.0\r\n", L"0", L"2.5.1", false},
      {"2.5.0\r\n", L"", L"2.5.1", false},
      {nullptr, L"1", L"2.5.1", false},
      {"garbage\r\n", L"1", L"2.5.1", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.versionIni ? c.versionIni : "(none)");
    test::TempTree tree(L"kx_clearres");
    if (c.versionIni) ASSERT_TRUE(tree.write(L"version.ini", c.versionIni));
    PatchListTable table;
    if (*c.minivercheck) table[L"minivercheck"] = c.minivercheck;
    table[L"miniver"] = c.miniver;
    EngineCacheChecks checks;
    EXPECT_EQ(c.clear, checkNeedToClearRes(table, tree.root(), checks));
  }
}

}  // namespace
}  // namespace kx::launcher
