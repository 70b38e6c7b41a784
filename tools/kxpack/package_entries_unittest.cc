#include "tools/kxpack/package_entries.h"

#include <gtest/gtest.h>

#include "launcher/patch/patch_list.h"
#include "tools/kxpack/patch_list_text.h"

namespace kx::pack {
namespace {

std::vector<std::string> names(const std::vector<PackageEntry>& entries) {
  std::vector<std::string> out;
  for (const PackageEntry& e : entries) out.push_back(e.name);
  return out;
}

TEST(PlanPackageEntriesTest, EveryFolderGetsAnEntryAndNamesAreSorted) {
  // The walk lists "res" but not "HashRes" or "res/a": both still get entries.
  std::vector<PackageEntry> entries;
  std::string error;
  ASSERT_TRUE(planPackageEntries({{"res", true},
                                  {"res/a/b.png", false},
                                  {"kxmain.exe", false},
                                  {"HashRes/A4/B5E22B", false},
                                  {"empty", true}},
                                 &entries, &error))
      << error;
  EXPECT_EQ(names(entries),
            (std::vector<std::string>{"Kx/", "Kx/HashRes/", "Kx/HashRes/A4/",
                                      "Kx/HashRes/A4/B5E22B", "Kx/empty/", "Kx/kxmain.exe",
                                      "Kx/res/", "Kx/res/a/", "Kx/res/a/b.png"}));
  EXPECT_EQ(entries[3].source, "HashRes/A4/B5E22B");
  EXPECT_FALSE(entries[3].folder);
  EXPECT_EQ(entries[2].source, "HashRes/A4");
  EXPECT_TRUE(entries[2].folder);
}

TEST(PlanPackageEntriesTest, RefusesWhatTheLauncherCouldNotUnpack) {
  const std::string at255(252, 'n');  // "Kx/" + 252 bytes = 255 stored
  const std::string at256(253, 'n');
  struct Case {
    std::vector<GameItem> items;
    bool ok;
  } cases[] = {
      {{{at255, false}}, true},
      {{{at256, false}}, false},
      {{{"../x", false}}, false},
      {{{"a/./b", false}}, false},
      {{{"a//b", false}}, false},
      {{{"a\\b", false}}, false},
      {{{"c:b", false}}, false},
      {{{"trailing.", false}}, false},
      {{{"trailing ", false}}, false},
      {{{"Readme.txt", false}, {"readme.txt", false}}, false},
      {{{"Data", true}, {"Data/x", false}, {"data/y", false}}, true},
      {{{"x", false}, {"x", false}}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.items[0].path.substr(0, 20) + " (" + std::to_string(c.items.size()) + ")");
    std::vector<PackageEntry> entries;
    std::string error;
    EXPECT_EQ(planPackageEntries(c.items, &entries, &error), c.ok) << error;
    EXPECT_EQ(error.empty(), c.ok);
  }
}

TEST(VersionTest, ThreePartVersions) {
  for (const char* good : {"0.0.0", "1.0.15", "123456789.1.1"}) EXPECT_TRUE(isThreePartVersion(good)) << good;
  for (const char* bad : {"", "1.0", "1.0.", ".1.0", "1..0", "1.0.0.0", "1.0.a", " 1.0.0",
                          "1234567890.0.0"})
    EXPECT_FALSE(isThreePartVersion(bad)) << bad;
}

TEST(PatchListTextTest, KeyLinesAndOneEntryLineThatTheLauncherReadsBack) {
  PatchListFields f;
  f.miniver = "1.0.4";
  f.apkver = "1.0.5";
  f.httpurl = "http://127.0.0.1:8080/pkg";
  f.minivercheck = "1";
  f.packageSize = 123456;
  f.packageCrc32 = 0x0BADF00D;
  std::string text, error;
  ASSERT_TRUE(formatPatchList(f, &text, &error)) << error;
  EXPECT_EQ(text,
            "#miniver 1.0.4\n#apkver 1.0.5\n#httpurl http://127.0.0.1:8080/pkg\n#minivercheck 1\n"
            "KX-1.0.5.zip 1.0.5 123456 0badf00d\n");
  launcher::PatchListTable table;
  launcher::parsePatchList(widen(text), table);
  EXPECT_EQ(table, (launcher::PatchListTable{{L"miniver", L"1.0.4"},
                                             {L"apkver", L"1.0.5"},
                                             {L"httpurl", L"http://127.0.0.1:8080/pkg"},
                                             {L"minivercheck", L"1"}}));
}

TEST(PatchListTextTest, RefusesValuesTheLauncherWouldMisread) {
  struct Case {
    const char* label;
    std::string miniver, apkver, url, check;
    bool ok;
  } cases[] = {
      {"equal versions", "1.0.5", "1.0.5", "http://h/p", "0", true},
      {"https", "1.0.5", "1.0.5", "https://h/p", "0", true},
      {"miniver newer", "1.0.6", "1.0.5", "http://h/p", "0", false},
      {"two-part apkver", "1.0.0", "1.0", "http://h/p", "0", false},
      {"bad miniver", "x", "1.0.5", "http://h/p", "0", false},
      {"trailing slash", "1.0.5", "1.0.5", "http://h/p/", "0", false},
      {"space in url", "1.0.5", "1.0.5", "http://h/a b", "0", false},
      {"not ascii", "1.0.5", "1.0.5", "http://h/\xE5\x8C\x85", "0", false},
      {"no scheme", "1.0.5", "1.0.5", "h/p", "0", false},
      {"check 2", "1.0.5", "1.0.5", "http://h/p", "2", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    PatchListFields f;
    f.miniver = c.miniver;
    f.apkver = c.apkver;
    f.httpurl = c.url;
    f.minivercheck = c.check;
    std::string text, error;
    EXPECT_EQ(formatPatchList(f, &text, &error), c.ok) << error;
  }
}

}  // namespace
}  // namespace kx::pack
