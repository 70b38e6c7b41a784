#include "common/base/unicode.h"

#include <gtest/gtest.h>

namespace kx {
namespace {

TEST(UnicodeTest, RoundTripsAcrossThePlanes) {
  EXPECT_EQ(utf16ToUtf8(u"\u4E2D\U0001F600x\u00E9"), "\xE4\xB8\xAD\xF0\x9F\x98\x80x\xC3\xA9");
  EXPECT_EQ(utf8ToUtf16("\xE4\xB8\xAD\xF0\x9F\x98\x80x\xC3\xA9"), u"\u4E2D\U0001F600x\u00E9");
  EXPECT_EQ(wideFromUtf8("\xE4\xB8\xAD\xF0\x9F\x98\x80"), L"\u4E2D\U0001F600");
  EXPECT_EQ(utf8FromWide(L"\u4E2D\U0001F600"), "\xE4\xB8\xAD\xF0\x9F\x98\x80");
  // The edges of each UTF-8 length.
  EXPECT_EQ(utf8ToUtf16("\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80"),
            u"\u007F\u0080\u07FF\u0800\uFFFF\U00010000");
  EXPECT_EQ(utf16ToUtf8(u"\U0010FFFF"), "\xF4\x8F\xBF\xBF");
}

TEST(UnicodeTest, ReplacesInvalidInput) {
  EXPECT_EQ(utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
  EXPECT_EQ(utf16ToUtf8(std::u16string{u'\xDC00', u'a'}),
            "\xEF\xBF\xBD"
            "a");
  EXPECT_EQ(utf8ToUtf16("\xE4\xB8"), u"\uFFFD");  // cut short
  EXPECT_EQ(utf8ToUtf16("\xC0\xAF"), u"\uFFFD");  // overlong '/'
  EXPECT_EQ(utf8ToUtf16("\x80"
                        "a"),
            u"\uFFFDa");                                  // stray continuation
  EXPECT_EQ(utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD");      // encoded surrogate
  EXPECT_EQ(utf8ToUtf16("\xF4\x90\x80\x80"), u"\uFFFD");  // above U+10FFFF
  EXPECT_EQ(utf8ToUtf16("\xE4"
                        "a"),
            u"\uFFFDa");  // the next byte is kept
  EXPECT_EQ(utf8ToUtf16("\xFF"), u"\uFFFD");
}

}  // namespace
}  // namespace kx
