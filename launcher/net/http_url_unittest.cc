#include "launcher/net/http_url.h"

#include <gtest/gtest.h>

namespace kx::launcher {
namespace {

struct UrlCase {
  const wchar_t* url;
  const wchar_t* host;
  uint16_t port;
  const wchar_t* path;
};

TEST(ParseHttpUrl, Table) {
  const UrlCase cases[] = {
      {L"http://srv:8080/dir/file.zip", L"srv", 8080, L"dir/file.zip"},
      {L"srv/dir", L"srv", 80, L"dir"},
      {L"http://srv", L"srv", 80, L""},
      {L"http://srv/a:b", L"srv", 80, L"a:b"},
      {L"http://srv:81", L"srv", 81, L""},
      {L"http://srv:x/p", L"srv", 0, L"p"},
      {L"http://srv:12ab/p", L"srv", 12, L"p"},
      {L"https://srv/x", L"https", 0, L"/srv/x"},
      {L"xx http://srv/y", L"srv", 80, L"y"},
      {L"http://srv:99999999999/p", L"srv", 0, L"p"},  // no wrap into a random port
      {L"", L"", 80, L""},
  };
  for (const auto& c : cases) {
    const HttpUrlParts p = parseHttpUrl(c.url);
    EXPECT_EQ(p.host, c.host) << c.url;
    EXPECT_EQ(p.port, c.port) << c.url;
    EXPECT_EQ(p.path, c.path) << c.url;
  }
}

TEST(ParseHttpUrl, BackslashesBecomeSlashes) {
  const HttpUrlParts p = parseHttpUrl(normalizeUrlSlashes(L"http:\\\\srv\\x"));
  EXPECT_EQ(p.host, L"srv");
  EXPECT_EQ(p.port, 80);
  EXPECT_EQ(p.path, L"x");
}

TEST(BuildRequestHeaders, ExactBlock) {
  const std::wstring tail =
      L"Accept: */*\r\nAccept-Language: zh-cn, zh\r\nAccept-Charset: gb2312\r\n"
      L"Cache-Control: no-cache\r\nContent-Type: application/x-www-form-urlencoded\r\n"
      L"Connection: Close\r\n\r\n";
  EXPECT_EQ(buildRequestHeaders(L"srv", 0), L"Host: srv\r\n" + tail);
  EXPECT_EQ(buildRequestHeaders(L"srv", 300), L"Host: srv\r\nRange: bytes=300-\r\n" + tail);
}

TEST(ContentHeaders, Table) {
  EXPECT_EQ(contentRangeStart(L"bytes 300-999/1000"), 300);
  EXPECT_EQ(contentRangeStart(L"bytes 0-1/2"), 0);
  EXPECT_EQ(contentRangeStart(L"bytes */1000"), -1);
  EXPECT_EQ(contentRangeStart(L"items 3-4/5"), -1);
  EXPECT_EQ(contentRangeStart(L""), -1);
  EXPECT_EQ(parseContentLength(L"1048576"), 1048576);
  EXPECT_EQ(parseContentLength(L"0"), 0);
  EXPECT_EQ(parseContentLength(L"2147483647"), 2147483647);
  EXPECT_EQ(parseContentLength(L"2147483648"), -1);  // 2 GiB does not fit
  EXPECT_EQ(parseContentLength(L"99999999999999999999999"), -1);
  EXPECT_EQ(parseContentLength(L"-5"), -1);
  EXPECT_EQ(parseContentLength(L"12x"), -1);
  EXPECT_EQ(parseContentLength(L""), -1);
}

}  // namespace
}  // namespace kx::launcher
