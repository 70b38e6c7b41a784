#include "tools/game_standin/standin_script.h"

#include <gtest/gtest.h>

#include <vector>

namespace kx::standin {
namespace {

Script parseOk(const std::string& text) {
  ParseResult r = parseScript(text);
  EXPECT_TRUE(r.script.has_value()) << "line " << r.errorLine << ": " << r.error;
  return r.script.value_or(Script{});
}

TEST(StandinScriptTest, EmptyScriptKeepsDefaults) {
  const Script s = parseOk("");
  EXPECT_EQ(s.startStatus, 0);
  EXPECT_TRUE(s.ignored.empty());
  EXPECT_EQ(s.lifetimeMs, 60000u);
  EXPECT_TRUE(s.steps.empty());
}

TEST(StandinScriptTest, DirectivesAndCommentsAndSeparators) {
  const Script s =
      parseOk("# a comment; send 0x0003 1\r\nstatus -7;ignore 0x2102\n  lifetime 1500\n\n");
  EXPECT_EQ(s.startStatus, -7);
  EXPECT_EQ(s.ignored, (std::set<uint32_t>{0x2102}));
  EXPECT_EQ(s.lifetimeMs, 1500u);
  EXPECT_TRUE(s.steps.empty());
}

struct SendCase {
  const char* text;
  uint32_t id;
  std::vector<uint8_t> bytes;
};

TEST(StandinScriptTest, SendEncodesEachMessageExactly) {
  const SendCase cases[] = {
      {"send 0x1102 4 8", 0x1102, {4, 8}},
      {"send 0x3101 255 0", 0x3101, {255, 0}},
      {"send 0x1104 0x01020304 5 4294967295",
       0x1104,
       {4, 3, 2, 1, 5, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}},
      {"send 0x1105 3 10", 0x1105, {3, 0, 0, 0, 10, 0, 0, 0}},
      {"send 0x0003 2", 0x0003, {2}},
      {"send 0x0101 17 18 -1", 0x0101, {17, 0, 0, 0, 18, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}},
      {"send 0x0104 800 -600 1", 0x0104, {0x20, 3, 0, 0, 0xA8, 0xFD, 0xFF, 0xFF, 1, 0, 0, 0}},
      // The text is everything after one blank, blanks inside kept.
      {"send 0x0102 6 {\"a\": 1}", 0x0102, {6, 0,   0, 0,   '{', 0,   '"', 0,   'a', 0, '"',
                                            0, ':', 0, ' ', 0,   '1', 0,   '}', 0,   0, 0}},
      {"send 0x0102 9", 0x0102, {9, 0, 0, 0, 0, 0}},
      {"send 0x0102 1 \xE4\xB8\xAD", 0x0102, {1, 0, 0, 0, 0x2D, 0x4E, 0, 0}},
      {"send 0x1103 hi", 0x1103, {'h', 0, 'i', 0, 0, 0}},
      {"send 0x1102 hex 04", 0x1102, {4}},
      {"send 0x9999 hex 01 02ff", 0x9999, {1, 2, 0xFF}},
      {"send 0x0104 hex", 0x0104, {}},
  };
  for (const SendCase& c : cases) {
    const Script s = parseOk(c.text);
    ASSERT_EQ(s.steps.size(), 1u) << c.text;
    EXPECT_EQ(s.steps[0].trigger, Trigger::kStart) << c.text;
    EXPECT_EQ(s.steps[0].kind, ActionKind::kSend) << c.text;
    EXPECT_EQ(s.steps[0].id, c.id) << c.text;
    EXPECT_EQ(s.steps[0].payload, c.bytes) << c.text;
  }
}

TEST(StandinScriptTest, TriggersAndOtherActions) {
  const Script s = parseOk(
      "after 250 send 0x0003 1\n"
      "on 0x2103 send 0x0104 1 2 0\n"
      "send 0x3101 7 1\n"
      "on 0x2102 exit -3\n"
      "after 0 start-game C:\\Cache Dir\\Kx\n");
  ASSERT_EQ(s.steps.size(), 5u);
  EXPECT_EQ(s.steps[0].trigger, Trigger::kAfter);
  EXPECT_EQ(s.steps[0].delayMs, 250u);
  EXPECT_EQ(s.steps[1].trigger, Trigger::kOn);
  EXPECT_EQ(s.steps[1].onId, 0x2103u);
  EXPECT_EQ(s.steps[1].id, 0x0104u);
  EXPECT_EQ(s.steps[2].trigger, Trigger::kStart);
  EXPECT_EQ(s.steps[3].kind, ActionKind::kExit);
  EXPECT_EQ(s.steps[3].exitCode, -3);
  EXPECT_EQ(s.steps[4].kind, ActionKind::kStartGame);
  EXPECT_EQ(s.steps[4].folder, u"C:\\Cache Dir\\Kx");
  EXPECT_EQ(s.steps[3].trigger, Trigger::kOn);
  EXPECT_EQ(s.steps[3].onId, 0x2102u);
}

struct ErrorCase {
  const char* text;
  size_t line;
};

TEST(StandinScriptTest, RejectsBadScriptsNamingTheLine) {
  const ErrorCase cases[] = {
      {"jump 3", 1},
      {"\n\nsend 0x1102 4", 3},           // a field missing
      {"send 0x1102 4 8 9", 1},           // one too many
      {"send 0x1102 256 0", 1},           // uint8 edge: 255 is fine, 256 is not
      {"send 0x1104 0 0 4294967296", 1},  // uint32 edge
      {"send 0x0104 2147483648 0 0", 1},  // int32 edge
      {"send 0x0104 -2147483649 0 0", 1},
      {"send 0x2103 1", 1},      // no field form: only hex
      {"send 0x1102 hex 0", 1},  // odd digits
      {"send 0x1102 hex zz", 1},
      {"send", 1},
      {"after send 0x0003 1", 1},
      {"on 0x2103", 1},
      {"status", 1},
      {"lifetime 0", 1},
      {"start-game", 1},
      {"exit", 1},
      {"status 1; bogus", 1},
      {"send 0x0003 0x", 1},
  };
  for (const ErrorCase& c : cases) {
    const ParseResult r = parseScript(c.text);
    EXPECT_FALSE(r.script.has_value()) << c.text;
    EXPECT_EQ(r.errorLine, c.line) << c.text;
    EXPECT_FALSE(r.error.empty()) << c.text;
  }
}

TEST(StandinScriptTest, AcceptsTheExactEdges) {
  const Script s = parseOk(
      "send 0x0104 2147483647 -2147483648 0\nsend 0x1104 4294967295 0 0\nsend 0x0102 65535");
  ASSERT_EQ(s.steps.size(), 3u);
  EXPECT_EQ(s.steps[0].payload,
            (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0x80, 0, 0, 0, 0}));
  EXPECT_EQ(s.steps[2].payload, (std::vector<uint8_t>{0xFF, 0xFF, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace kx::standin
