#include "tests/support/copy_data_log.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kx::test {
namespace {

struct Case {
  uint32_t id;
  std::vector<uint8_t> bytes;
  const char* line;
};

std::vector<uint8_t> withPadding(std::vector<uint8_t> head, size_t size, uint8_t fill = 0) {
  head.resize(size, fill);
  return head;
}

TEST(CopyDataLogTest, DescribesEveryLayoutFieldByField) {
  const Case cases[] = {
      {0x1102, {4, 8}, "0x1102 CD_LAUNCH_PROGRESS progress=4 status=8 cbData=2"},
      {0x3101, {6, 0}, "0x3101 CD_GAME_PROGRESS progress=6 status=0 cbData=2"},
      {0x1103, {'o', 0, 'k', 0, 0, 0}, "0x1103 CD_LAUNCH_MSG_INFO text=\"ok\" cbData=6"},
      {0x1104,
       {1, 0, 0, 0, 2, 1, 0, 0, 3, 0, 0, 0x80},
       "0x1104 CD_DOWNLOAD_SPEED downloadSpeed=1 curBytesRead=258 totalBytes=2147483651 cbData=12"},
      {0x1105,
       {7, 0, 0, 0, 9, 0, 0, 0},
       "0x1105 CD_UNZIP_PROGRESS curFiles=7 totalFiles=9 cbData=8"},
      {0x0003, {2}, "0x0003 CD_GAME_RELAUNCH switchMode=2 cbData=1"},
      {0x0101,
       {0x34, 0x12, 0, 0, 0x10, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF},
       "0x0101 CD_GAME_CLIENT_INFO hGameWnd=4660 processId=16 startStatus=-1 cbData=12"},
      {0x0102,
       {5, 0, 9, 9, 'p', 0, 0x2D, 0x4E, 0, 0},
       "0x0102 CD_GAME_SDK_CALL funcID=5 param=\"p\xE4\xB8\xAD\" cbData=10"},
      {0x0104,
       {0x20, 3, 0, 0, 0x58, 2, 0, 0, 1, 0, 0, 0},
       "0x0104 CD_GAME_MAIN_SIZE mainWidth=800 mainHeight=600 customSize=1 cbData=12"},
      {0x2101, {4, 0, 0, 0, 0, 0}, "0x2101 CD_SDK_NOTIFY kind=4 text=\"\" cbData=6"},
      {0x2101,
       {1, 0, 3, 0, 'a', 0, ' ', 0, '"', 0, 0, 0},
       "0x2101 CD_SDK_NOTIFY kind=1 text=\"a \\\"\" cbData=12"},
      {0x2102, {1}, "0x2102 CD_QUIT_GAME value=1 cbData=1"},
      {0x2103, {0}, "0x2103 CD_SHOW_GAME show=0 cbData=1"},
      {0x2104,
       {0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0},
       "0x2104 CD_RESIZE_GAME width=-1 height=2 cbData=8"},
      {0x2105, {1, 0, 0, 0}, "0x2105 CD_CHAT_BUTTON value=1 cbData=4"},
      // Boundaries: one byte short of each fixed layout is malformed.
      {0x1102, {4}, "0x1102 CD_LAUNCH_PROGRESS malformed cbData=1"},
      {0x0101, withPadding({}, 11), "0x0101 CD_GAME_CLIENT_INFO malformed cbData=11"},
      {0x2104, withPadding({}, 7), "0x2104 CD_RESIZE_GAME malformed cbData=7"},
      {0x1104, withPadding({}, 11), "0x1104 CD_DOWNLOAD_SPEED malformed cbData=11"},
      {0x2106, withPadding({}, 283), "0x2106 CD_BROWSER_INFO malformed cbData=283"},
      {0x4242, {1, 2, 3}, "0x4242 unknown cbData=3"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(describeCopyData(c.id, c.bytes.data(), c.bytes.size()), c.line);
  }
}

TEST(CopyDataLogTest, NullPayloadIsMalformed) {
  EXPECT_EQ(describeCopyData(0x2103, nullptr, 0), "0x2103 CD_SHOW_GAME malformed cbData=0");
}

TEST(CopyDataLogTest, BrowserInfoShowsVersionsConstantWordsAndText) {
  std::vector<uint8_t> b(284, 0xEE);
  const uint32_t words[7] = {3, 2, 1, 1, 19, 0, 1};
  for (int i = 0; i < 7; ++i) {
    for (int k = 0; k < 4; ++k) b[i * 4 + k] = static_cast<uint8_t>(words[i] >> (8 * k));
  }
  b[28] = 'F', b[29] = 0, b[30] = 'x', b[31] = 0, b[32] = 0, b[33] = 0;
  EXPECT_EQ(describeCopyData(0x2106, b.data(), b.size()),
            "0x2106 CD_BROWSER_INFO hversion=3 midversion=2 lowversion=1 words=1,19,0,1 "
            "exploreInfo=\"Fx\" cbData=284");
}

TEST(CopyDataLogTest, QuotesControlsAndBackslashes) {
  EXPECT_EQ(quoteText(u"a\\b\n\x01"), "\"a\\\\b\\u000a\\u0001\"");
}

}  // namespace
}  // namespace kx::test
