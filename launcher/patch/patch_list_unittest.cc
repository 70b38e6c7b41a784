#include "launcher/patch/patch_list.h"
#include "tests/support/fake_clock.h"
#include "tests/support/scripted_message_boxes.h"

#include <gtest/gtest.h>

namespace kx::launcher {
namespace {

struct ParseCase {
  const wchar_t* name;
  const wchar_t* text;
  PatchListTable want;
};

TEST(ParsePatchList, Table) {
  const ParseCase cases[] = {
      {L"crlf lines", L"#miniver 1.0.0\r\n#apkver 1.0.5\r\n#httpurl http://srv/pkg\r\n",
       {{L"miniver", L"1.0.0"}, {L"apkver", L"1.0.5"}, {L"httpurl", L"http://srv/pkg"}}},
      {L"spaces around", L"   #apkver 1.0.5   \n", {{L"apkver", L"1.0.5"}}},
      {L"two spaces", L"#apkver  1.0.5\n", {{L"apkver", L" 1.0.5"}}},
      {L"value keeps inner spaces", L"#k a  b\n", {{L"k", L"a  b"}}},
      {L"no space", L"#minivercheck\n", {}},
      {L"empty key", L"# word\n", {{L"", L"word"}}},
      {L"later wins", L"#apkver 1.0.1\n#apkver 1.0.2\n", {{L"apkver", L"1.0.2"}}},
      {L"blank line", L" \r \r\n\n#a b\n", {{L"a", L"b"}}},
      {L"cr only", L"#a 1\r#b 2\r#c 3", {{L"a", L"1\r#b 2\r#c 3"}}},
      {L"entry lines", L"name.zip 1 2048 abc\ntwo words\n", {}},
      {L"empty text", L"", {}},
      {L"tab is not a separator", L"#a\tb\n", {}},
  };
  for (const auto& c : cases) {
    PatchListTable table;
    EXPECT_TRUE(parsePatchList(c.text, table));
    EXPECT_EQ(table, c.want) << c.name;
  }
}

TEST(ParsePatchList, KeepsEarlierKeysAndLookupOfMissingIsEmpty) {
  PatchListTable table;
  parsePatchList(L"#a 1\n", table);
  parsePatchList(L"#b 2\n", table);
  EXPECT_EQ(lookupPatchKey(table, L"a"), L"1");
  EXPECT_EQ(lookupPatchKey(table, L"b"), L"2");
  EXPECT_EQ(lookupPatchKey(table, L"c"), L"");
}

class FakeChecks : public CacheChecks {
 public:
  bool readable = true;
  std::wstring version;
  std::wstring askedDir;
  bool readInstalledVersion(const std::wstring& gameDir, std::wstring& v) override {
    askedDir = gameDir;
    v = version;
    return readable;
  }
};

TEST(CheckNeedToClearRes, Table) {
  struct Case {
    const wchar_t* check;  // nullptr: key absent
    const wchar_t* miniver;
    bool readable;
    const wchar_t* installed;
    bool want;
  };
  const Case cases[] = {
      {L"1", L"2.0.0", true, L"1.9.9", true},
      {L"1", L"2.0.0", true, L"2.0.0", false},
      {L"1", L"2.0.0", true, L"2.0.1", false},
      {L"1", L"2.0", true, L"1.9.9", false},
      {L"1", L"2.0.0", false, L"1.9.9", false},
      {L"0", L"2.0.0", true, L"1.9.9", false},
      {nullptr, L"2.0.0", true, L"1.9.9", false},
      {L"", L"2.0.0", true, L"1.9.9", false},
      {L"yes", L"1.0.10", true, L"1.0.9", true},
  };
  for (const auto& c : cases) {
    PatchListTable table{{L"miniver", c.miniver}};
    if (c.check) table[L"minivercheck"] = c.check;
    FakeChecks checks;
    checks.readable = c.readable;
    checks.version = c.installed;
    EXPECT_EQ(checkNeedToClearRes(table, L"C:\\cache\\Kx", checks), c.want)
        << (c.check ? c.check : L"-") << " " << c.miniver << " " << c.installed;
  }
}

struct FetchScript {
  std::vector<bool> results;
  int calls = 0;
  bool operator()(std::wstring& out) {
    const bool ok = calls < static_cast<int>(results.size()) && results[calls];
    ++calls;
    out = ok ? L"#apkver 1.0.5\n" : L"Request Send Failed";
    return ok;
  }
};

TEST(FetchPatchList, RetriesWithBoxes) {
  struct Case {
    const char* name;
    std::vector<bool> fetches;
    std::vector<int> answers;
    bool want;
    int wantCalls;
    size_t wantBoxes;
    size_t wantSleeps;
  };
  const Case cases[] = {
      {"first succeeds", {true}, {}, true, 1, 0, 0},
      {"second succeeds", {false, true}, {kIdOk}, true, 2, 1, 1},
      {"three failures, OK each time", {false, false, false, true}, {kIdOk, kIdOk, kIdOk}, false,
       3, 3, 3},
      {"cancel at first box", {false, true}, {kIdCancel}, false, 1, 1, 0},
      {"cancel at second box", {false, false, true}, {kIdOk, kIdCancel}, false, 2, 2, 1},
  };
  for (const auto& c : cases) {
    FetchScript script{c.fetches};
    ScriptedMessageBoxes boxes(c.answers);
    FakeClock clock;
    PatchListTable table;
    const bool ok =
        fetchPatchList([&](std::wstring& out) { return script(out); }, boxes, clock, table);
    EXPECT_EQ(ok, c.want) << c.name;
    EXPECT_EQ(script.calls, c.wantCalls) << c.name;
    EXPECT_EQ(clock.sleeps(), std::vector<uint32_t>(c.wantSleeps, 500u)) << c.name;
    ASSERT_EQ(boxes.requests().size(), c.wantBoxes) << c.name;
    for (const auto& r : boxes.requests()) {
      EXPECT_EQ(r.owner, 0u);
      EXPECT_EQ(r.text, kPatchListRetryText);
      EXPECT_EQ(r.caption, kDownloadErrorCaption);
      EXPECT_EQ(r.style, static_cast<uint32_t>(kMbOkCancel));
    }
    EXPECT_EQ(table.empty(), !c.want) << c.name;
  }
}

}  // namespace
}  // namespace kx::launcher
