#include <gtest/gtest.h>

#include "launcher/util/version.h"

namespace kx::launcher {
namespace {

struct CompareCase {
  const wchar_t* a;
  const wchar_t* b;
  bool three;
  int want;
};

TEST(CompareVersion, Table) {
  const CompareCase cases[] = {
      {L"1.10.0", L"1.9.9", true, 1},
      {L"1.9.9", L"1.10.0", true, -1},
      {L"1.2.3", L"1.2.4", false, 0},  // only two components count
      {L"1.2.3", L"1.2.4", true, -1},
      {L"1.3.0", L"1.2.9", false, 1},
      {L"1.2", L"1.0.0", true, 0},  // 1.2 does not read
      {L"1.2.3.4", L"1.2.3", true, 0},
      {L"2.0.0", L"", true, 0},
      {L"", L"", true, 0},
      {L" 1. 2. 3", L"1.2.3", true, 0},  // white space before each number
      {L"+1.2.3", L"-1.2.3", true, 1},
      {L"1 .2.3", L"0.0.0", true, 0},  // a space before the dot does not read
      {L"2.5.3abc", L"2.5.2", true, 1},  // trailing text ignored
      {L"\xFEFF" L"2.5.0", L"2.5.0", true, 0},  // a BOM makes it unreadable, so equal
      {L"99999999999.0.0", L"1.0.0", true, 1},  // saturates, no overflow
  };
  for (const auto& c : cases) {
    EXPECT_EQ(compareVersion(c.a, c.b, c.three), c.want) << "a=" << c.a << " b=" << c.b;
  }
}

TEST(VersionFromPackageName, Table) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"KX-2.1.0.zip", L"2.1.0"}, {L"KX-1.0.5.temp", L"1.0.5"}, {L"package.zip", L""},
      {L"KX-1.0.5", L"1.0"},       {L"a.b-c", L"c"},              {L"KX-", L""},
      {L"", L""},                  {L"KX-1.0.5.zip.txt", L"1.0.5.zip"},
  };
  for (const auto& [name, want] : cases) EXPECT_EQ(versionFromPackageName(name), want) << name;
}

}  // namespace
}  // namespace kx::launcher
