#include "common/base/trace.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace kx {
namespace {

template <typename... Args>
std::wstring line(const wchar_t* format, const Args&... args) {
  if constexpr (sizeof...(Args) == 0) {
    return formatTrace(format, nullptr, 0);
  } else {
    const TraceArg list[] = {trace_internal::makeArg(args)...};
    return formatTrace(format, list, sizeof...(Args));
  }
}

enum class Phase : uint8_t { kSeven = 7 };

// What a pointer looks like in this build: 0x and every hex digit of its width.
std::wstring ptr(const wchar_t* digits) {
  std::wstring d = digits;
  return L"0x" + std::wstring(sizeof(void*) * 2 - d.size(), L'0') + d;
}

TEST(TraceFormatTest, IntegersAsPrintfWouldShowThem) {
  EXPECT_EQ(line(L"a=%d b=%i c=%u", -5, 7, 4000000000u), L"a=-5 b=7 c=4000000000");
  EXPECT_EQ(line(L"%u", -1), L"4294967295");  // at the argument's width
  EXPECT_EQ(line(L"%u", static_cast<int8_t>(-1)), L"255");
  EXPECT_EQ(line(L"%d", 4294967295u), L"4294967295");  // unsigned keeps its value
  EXPECT_EQ(line(L"%d", INT64_MIN), L"-9223372036854775808");
  EXPECT_EQ(line(L"%lld %I64u", INT64_MAX, UINT64_MAX),
            L"9223372036854775807 18446744073709551615");
  EXPECT_EQ(line(L"%x %X %o", 0xBEEFu, 0xBEEFu, 8), L"beef BEEF 10");
  EXPECT_EQ(line(L"%x", -1), L"ffffffff");
  EXPECT_EQ(line(L"[%08x] [%04x] [%04x]", 0x1234u, 0x102u, 0x12345u), L"[00001234] [0102] [12345]");
  EXPECT_EQ(line(L"[%5d] [%-5d] [%05d] [%+d] [% d]", 42, 42, -42, 3, 3),
            L"[   42] [42   ] [-0042] [+3] [ 3]");
  EXPECT_EQ(line(L"[%.3d] [%8.3d] [%#x] [%#o] [%#x]", 5, 5, 255, 8, 0),
            L"[005] [     005] [0xff] [010] [0]");
  EXPECT_EQ(line(L"%d %d", true, Phase::kSeven), L"1 7");
  EXPECT_EQ(line(L"%ld %hd %zu", 1L, static_cast<short>(-2), size_t{3}), L"1 -2 3");
}

TEST(TraceFormatTest, TextsOfEveryKind) {
  const std::wstring wide = L"w\u4E2D";
  const std::string utf8 = "n\xE4\xB8\xAD";
  const wchar_t* wideC = L"wc";
  const char* narrowC = "nc";
  const wchar_t* none = nullptr;
  char buffer[8] = {'b', 'u', 'f', 0, 'x', 'x', 'x', 'x'};
  char unterminated[3] = {'a', 'b', 'c'};
  EXPECT_EQ(line(L"%s|%s|%s|%s|%ls|%S", wide, utf8, wideC, narrowC, L"lit", "lit"),
            L"w\u4E2D|n\u4E2D|wc|nc|lit|lit");
  EXPECT_EQ(line(L"%s", std::u16string(u"u\U0001F600")), L"u\U0001F600");
  EXPECT_EQ(line(L"%s", none), L"(null)");
  EXPECT_EQ(line(L"%s|%s", buffer, unterminated), L"buf|abc");  // never past the array
  EXPECT_EQ(line(L"[%5s] [%-5s] [%.2s]", L"ab", L"ab", L"abcdef"), L"[   ab] [ab   ] [ab]");
  EXPECT_EQ(line(L"%c%c%c", 'A', L'\u4E2D', 0x42), L"A\u4E2DB");
  EXPECT_EQ(line(L"100%% done%%"), L"100% done%");
  EXPECT_EQ(line(L"no args"), L"no args");
}

TEST(TraceFormatTest, PointersWithTheirWidth) {
  int x = 0;
  const void* p = reinterpret_cast<const void*>(static_cast<uintptr_t>(0x1F2E));
  EXPECT_EQ(line(L"%p", p), ptr(L"1f2e"));
  EXPECT_EQ(line(L"%p", nullptr), ptr(L"0"));
  EXPECT_EQ(line(L"%p", &x).size(), 2 + sizeof(void*) * 2);
}

struct Mismatch {
  std::wstring got;
  std::wstring expected;
};

TEST(TraceFormatTest, MismatchesAreShownNotGuessed) {
  const std::wstring w = L"abc";
  const void* p = reinterpret_cast<const void*>(static_cast<uintptr_t>(0xAB));
  const Mismatch cases[] = {
      {line(L"x=%d.", w), L"x=<%d? text \"abc\">."},
      {line(L"%s", 5), L"<%s? int 5>"},
      {line(L"%ls", 5u), L"<%ls? unsigned 5>"},
      {line(L"%s", true), L"<%s? bool true>"},
      {line(L"%d", p), L"<%d? pointer " + ptr(L"ab") + L">"},
      {line(L"%08x", p), L"<%08x? pointer " + ptr(L"ab") + L">"},
      {line(L"%p", 0xABu), L"<%p? unsigned 171>"},
      {line(L"%c", w), L"<%c? text \"abc\">"},
      {line(L"%c", -1), L"<%c? int -1>"},
      {line(L"%c", 0x110000), L"<%c? int 1114112>"},
      {line(L"%d and %s", 1), L"1 and <%s? missing>"},
      {line(L"%d", 1, L"more", 'c'), L"1 <extra: text \"more\"> <extra: char 99>"},
      {line(L"%q %d", 3), L"<%q?> 3"},            // unknown conversions take no argument
      {line(L"%n", 3), L"<%n?> <extra: int 3>"},  // never writes through an argument
      {line(L"end %", 3), L"end <%?> <extra: int 3>"},
      {line(L"%*d", 3, 4), L"<%*?>d <extra: int 3> <extra: int 4>"},
  };
  for (const Mismatch& c : cases) EXPECT_EQ(c.got, c.expected);
}

TEST(TraceFormatTest, NullFormatIsShown) {
  EXPECT_EQ(formatTrace(nullptr, nullptr, 0), L"(null format)");
}

}  // namespace
}  // namespace kx
