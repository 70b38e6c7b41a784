#include "launcher/package/package_download_plan.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kx::launcher {
namespace {

struct PlanCase {
  const char* name;
  std::vector<std::wstring> names;
  const wchar_t* miniver;
  const wchar_t* apkver;
  const wchar_t* package;
  const wchar_t* partial;
  std::vector<std::wstring> toDelete;
};

TEST(PlanPackageChoice, Table) {
  const PlanCase cases[] = {
      {"newest package at or above miniver", {L"KX-1.0.3.zip", L"KX-1.0.5.zip"}, L"1.0.4", L"1.0.5",
       L"KX-1.0.5.zip", L"", {L"KX-1.0.3.zip"}},
      {"only an old package", {L"KX-1.0.3.zip"}, L"1.0.4", L"1.0.5", L"", L"", {L"KX-1.0.3.zip"}},
      {"partial of apkver resumed", {L"KX-1.0.5.temp"}, L"1.0.4", L"1.0.5", L"", L"KX-1.0.5.temp", {}},
      {"partial of another version deleted", {L"KX-1.0.4.temp"}, L"1.0.0", L"1.0.5", L"", L"",
       {L"KX-1.0.4.temp"}},
      {"newer partial than apkver deleted", {L"KX-1.0.6.temp"}, L"1.0.0", L"1.0.5", L"", L"",
       {L"KX-1.0.6.temp"}},
      {"package beside partial: partial left", {L"KX-1.0.5.zip", L"KX-1.0.5.temp"}, L"1.0.4",
       L"1.0.5", L"KX-1.0.5.zip", L"", {}},
      // Its version does not read, so it passes the miniver test; the unpack then fails.
      {"notes.zip.txt counts as package", {L"notes.zip.txt"}, L"1.0.4", L"1.0.5", L"notes.zip.txt",
       L"", {}},
      {"missing apkver: no partial kept", {L"KX-1.0.5.temp"}, L"1.0.4", L"", L"", L"",
       {L"KX-1.0.5.temp"}},
      {"dots and other files ignored", {L".", L"..", L"readme.txt"}, L"1.0.4", L"1.0.5", L"", L"", {}},
      {"unreadable version sorts last", {L"KX-x.zip", L"KX-1.0.5.zip"}, L"1.0.4", L"1.0.5",
       L"KX-1.0.5.zip", L"", {L"KX-x.zip"}},
  };
  for (const auto& c : cases) {
    PackagePlan plan = planPackageChoice(c.names, c.miniver, c.apkver);
    EXPECT_EQ(plan.package, c.package) << c.name;
    EXPECT_EQ(plan.partial, c.partial) << c.name;
    std::vector<std::wstring> want = c.toDelete;
    std::sort(want.begin(), want.end());
    std::sort(plan.toDelete.begin(), plan.toDelete.end());
    EXPECT_EQ(plan.toDelete, want) << c.name;
  }
}

TEST(SortNewestFirst, VersionsNotText) {
  std::vector<std::wstring> names = {L"KX-1.0.9.zip", L"bad.zip", L"KX-1.0.10.zip", L"KX-0.9.0.zip"};
  sortNewestFirst(names);
  const std::vector<std::wstring> want = {L"KX-1.0.10.zip", L"KX-1.0.9.zip", L"KX-0.9.0.zip",
                                          L"bad.zip"};
  EXPECT_EQ(names, want);
}

}  // namespace
}  // namespace kx::launcher
