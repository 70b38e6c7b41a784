#include "launcher/engine/engine_version.h"

#include <gtest/gtest.h>

#include "launcher/engine/check_info_format.h"

namespace kx::launcher {
namespace {

TEST(ParseVersionTextTest, Table) {
  struct Case {
    const char* name;
    std::wstring text;
    std::wstring version;
    std::vector<EngineEntry> entries;
  } cases[] = {
      {"empty", L"", L"", {}},
      {"only blanks", L" \r\n \r\n", L"", {}},
      {"version with CR LF", L"2.5.0\r\n", L"2.5.0", {}},
      {"entries, CR LF lines, runs of spaces",
       L"  2.5.2\r\nkxmain.dll   2.5.1  abc\r\nres\\a.pak 2.5.2 x y\r\n\r\n",
       L"2.5.2",
       {{L"kxmain.dll", L"2.5.1", L"abc"}, {L"res\\a.pak", L"2.5.2", L"x"}}},
      {"two-field entry ignored", L"2.5.2\nkxmain.dll 2.5.1\nb.dll 2.5.2 1\n", L"2.5.2",
       {{L"b.dll", L"2.5.2", L"1"}}},
      {"names leaving the folder are dropped",
       L"2.5.2\n..\\evil.dll 2.5.2 1\nC:\\x.dll 2.5.2 1\n\\y.dll 2.5.2 1\na/../b 2.5.2 1\nok/c.dll 2.5.2 1",
       L"2.5.2", {{L"ok/c.dll", L"2.5.2", L"1"}}},
      {"byte-order mark stays in the version", L"\uFEFF2.5.0\n", L"\uFEFF2.5.0", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::wstring version = L"stale";
    std::vector<EngineEntry> entries = {{L"stale", L"1", L"1"}};
    parseVersionText(c.text, version, &entries);
    EXPECT_EQ(version, c.version);
    EXPECT_EQ(entries, c.entries);
    parseVersionText(c.text, version, nullptr);
    EXPECT_EQ(version, c.version);
  }
}

TEST(EngineSelectionTest, CandidatesAndCopyList) {
  const std::vector<EngineEntry> entries = {
      {L"a.dll", L"2.4.3", L"1"}, {L"b.dll", L"2.5.0", L"1"}, {L"c.dll", L"2.4.0", L"1"},
      {L"d.dll", L"2.5", L"1"},  {L"e.dll", L"3.0.1", L"1"}};
  const std::vector<EngineEntry> candidates = selectCandidates(entries, L"2.4.0");
  EXPECT_EQ(namesOf(candidates), (std::vector<std::wstring>{L"a.dll", L"b.dll", L"e.dll"}));
  EXPECT_EQ(fullVersionCopyList(candidates, L"2.4.0"),
            (std::vector<std::wstring>{L"b.dll", L"e.dll"}));
  EXPECT_EQ(namesOf(selectCandidates(entries, L"2.5.2")), std::vector<std::wstring>{L"e.dll"});
}

TEST(EngineSelectionTest, SubVersion) {
  EXPECT_FALSE(isSubVersion(L"2.5.0"));
  EXPECT_TRUE(isSubVersion(L"2.5.2"));
  EXPECT_FALSE(isSubVersion(L"2.5"));
  EXPECT_FALSE(isSubVersion(L""));
  EXPECT_EQ(fullVersionOf(L"2.5.2"), L"2.5.0");
  EXPECT_EQ(fullVersionOf(L"2.5"), L"");
}

TEST(VersionTextTest, WritesVersionAndCrLf) {
  EXPECT_EQ(formatVersionText("2.5.2"), "2.5.2\r\n");
}

TEST(CheckInfoFormatTest, LinesAndParse) {
  EXPECT_EQ(formatCheckInfoLine("kxmain.dll", 1048576), "kxmain.dll 1048576\r\n");
  struct Case {
    const char* name;
    std::wstring text;
    std::vector<CheckInfoEntry> entries;
  } cases[] = {
      {"CR LF line", L"kxmain.dll 1048576\r\n", {{L"kxmain.dll", 1048576}}},
      {"empty lines and extra spaces", L"\n a.dll  12 \r\n\nb/c.dll 0\n", {{L"a.dll", 12}, {L"b/c.dll", 0}}},
      {"one field ignored", L"a.dll\nb.dll 3\n", {{L"b.dll", 3}}},
      {"sizes that do not read", L"a 12x\nb -1\nc 2147483648\nd 99999999999\ne 2147483647\n",
       {{L"a", -1}, {L"b", -1}, {L"c", -1}, {L"d", -1}, {L"e", 2147483647}}},
      {"names leaving the folder", L"..\\x 3\nC:\\y 3\n", {{L"..\\x", -1}, {L"C:\\y", -1}}},
      {"empty", L"", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(parseCheckInfo(c.text), c.entries);
  }
}

TEST(BackupRecordTest, FormatAndParse) {
  EXPECT_EQ(formatBackupRecord("2.4.0", {"res\\new.pak", "a.dll"}),
            "2.4.0\r\nres\\new.pak\r\na.dll\r\n");
  EXPECT_EQ(formatBackupRecord("2.5.0", {}), "2.5.0\r\n");
  struct Case {
    const char* name;
    std::wstring text;
    BackupRecord record;
  };
  const Case cases[] = {
      {"as written", L"2.4.0\r\nres\\new.pak\r\na.dll\r\n", {L"2.4.0", {L"res\\new.pak", L"a.dll"}}},
      {"no added names, no final line end", L"2.5.0", {L"2.5.0", {}}},
      {"blank lines and spaces around", L"\n 2.5.0 \r\n\r\n b.dll \r\n", {L"2.5.0", {L"b.dll"}}},
      {"names that could leave the folder are dropped",
       L"2.5.0\r\n..\\x.dll\r\nC:\\y.dll\r\n\\z.dll\r\nok.dll\r\n", {L"2.5.0", {L"ok.dll"}}},
      {"first line not three numbers: nothing known", L"2.5\r\na.dll\r\n", {L"", {}}},
      {"first line a sub-version: nothing known", L"2.5.1\r\na.dll\r\n", {L"", {}}},
      {"empty", L"", {L"", {}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(parseBackupRecord(c.text), c.record);
  }
}

}  // namespace
}  // namespace kx::launcher
