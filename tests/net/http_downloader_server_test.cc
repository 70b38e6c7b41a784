// HttpDownloader under Wine against the misbehaving server in tests/servers.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "launcher/net/http_downloader.h"
#include "tests/servers/server_files.h"
#include "tests/support/fake_clock.h"

namespace kx::launcher {
namespace {

std::string hostPath(const char* relative) { return test::serverPath("KX_MISBEHAVE_DIR", relative); }
std::string readAll(const std::string& path) { return test::readFileBytes(path); }
std::wstring baseUrl() { return test::serverUrl("KX_MISBEHAVE_DIR"); }

std::string pattern(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + i / 256) % 251);
  return s;
}

std::wstring toWide(const std::string& s) { return std::wstring(s.begin(), s.end()); }
std::string toNarrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

class DownloaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t tmp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, tmp);
    folder_ = std::wstring(tmp) + L"kx_dl_" + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(folder_.c_str(), nullptr);
    file_ = folder_ + L"\\pkg.temp";
  }
  void TearDown() override {
    ::DeleteFileW(file_.c_str());
    ::RemoveDirectoryW(folder_.c_str());
  }
  std::string fileBytes() {
    std::ifstream f(file_.c_str(), std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
  }
  void writeFile(const std::string& bytes) {
    std::ofstream f(file_.c_str(), std::ios::binary | std::ios::trunc);
    f << bytes;
  }
  DownloadRequest request(const std::wstring& path, int32_t offset) {
    DownloadRequest q;
    q.url = baseUrl() + path;
    q.localPath = file_;
    q.resumeOffset = offset;
    return q;
  }
  std::wstring folder_;
  std::wstring file_;
};

const char kTail[] =
    "Accept: */*\r\nAccept-Language: zh-cn, zh\r\nAccept-Charset: gb2312\r\n"
    "Cache-Control: no-cache\r\nContent-Type: application/x-www-form-urlencoded\r\n"
    "Connection: Close\r\n\r\n";

// The head as sent, minus WinINet's own User-Agent/Cache lines, which sit after ours.
std::string ourHeaders(const std::string& raw) {
  const size_t lineEnd = raw.find("\r\n");
  return raw.substr(lineEnd + 2);
}

TEST_F(DownloaderTest, RequestLineAndHeaderBlock) {
  HttpDownloader d;
  ASSERT_TRUE(d.downloadFile(request(L"/ok/100", 0)));
  std::string raw = readAll(hostPath("last_request.txt"));
  EXPECT_EQ(raw.substr(0, raw.find("\r\n")), "GET /ok/100 HTTP/1.1");
  std::string headers = ourHeaders(raw);
  // WinINet puts its User-Agent line first; our block follows it unchanged.
  EXPECT_EQ(headers.find("User-Agent: KXLaunchSession\r\nHost: 127.0.0.1\r\n"), 0u) << headers;
  EXPECT_NE(headers.find(std::string("Host: 127.0.0.1\r\n") + kTail), std::string::npos) << headers;
  EXPECT_NE(headers.find("User-Agent: KXLaunchSession"), std::string::npos) << headers;
  EXPECT_EQ(headers.find("Range:"), std::string::npos);

  writeFile(std::string(300, 'x'));
  ASSERT_TRUE(d.downloadFile(request(L"/ok/1000", 300)));
  raw = readAll(hostPath("last_request.txt"));
  headers = ourHeaders(raw);
  EXPECT_NE(headers.find(std::string("Host: 127.0.0.1\r\nRange: bytes=300-\r\n") + kTail),
            std::string::npos)
      << headers;
  EXPECT_TRUE(fileBytes() == std::string(300, 'x') + pattern(1000).substr(300));
}

TEST_F(DownloaderTest, FetchTextFailures) {
  struct Case {
    const wchar_t* path;
    const wchar_t* want;
  };
  const Case cases[] = {
      {L"/chunked", L"Request Send Failed"},
      {L"/404", L"Request Send Failed"},
      {L"/500", L"Request Send Failed"},
  };
  HttpDownloader d;
  for (const auto& c : cases) {
    std::wstring out;
    EXPECT_FALSE(d.fetchText(baseUrl() + c.path, out)) << c.path;
    EXPECT_EQ(out, c.want) << c.path;
  }
  std::wstring out;
  EXPECT_FALSE(d.fetchText(L"", out));
  EXPECT_EQ(out, L"url is empty!");
  EXPECT_TRUE(d.fetchText(baseUrl() + L"/ok/5000", out));
}

// The whole declared body or nothing: a list cut inside "#apkver 1.0.15" must
// not pass for "#apkver 1.0.1". Sizes at the 1 MiB bound's exact edge.
TEST_F(DownloaderTest, FetchTextTakesOnlyTheWholeDeclaredBody) {
  struct Case {
    const wchar_t* path;
    bool ok;
    const wchar_t* reason;  // on failure
    size_t size;            // of the text on success
  };
  const Case cases[] = {
      {L"/text/15", true, L"", 15},
      {L"/textcut/15/13", false, L"Response Truncated", 0},
      {L"/textcut/15/0", false, L"Response Truncated", 0},
      {L"/textcut/1048576/1048575", false, L"Response Truncated", 0},
      {L"/text/1048576", true, L"", 1048576},
      {L"/text/1048577", false, L"Response Too Large", 0},
  };
  HttpDownloader d;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << toNarrow(c.path));
    std::wstring out = L"stale";
    EXPECT_EQ(d.fetchText(baseUrl() + c.path, out), c.ok);
    if (c.ok) {
      EXPECT_EQ(out.size(), c.size);
      EXPECT_EQ(out.substr(0, 15), L"#apkver 1.0.15\n");
    } else {
      EXPECT_EQ(out, c.reason);
    }
    EXPECT_FALSE(d.busy());
  }
}

TEST_F(DownloaderTest, ResumeEdges) {
  HttpDownloader d;
  // Shorter local file than the offset: nothing goes on the wire.
  writeFile(std::string(400, 'x'));
  ::DeleteFileA(hostPath("last_request.txt").c_str());
  EXPECT_FALSE(d.downloadFile(request(L"/ok/2000", 1000)));
  EXPECT_TRUE(readAll(hostPath("last_request.txt")).empty());
  EXPECT_EQ(fileBytes(), std::string(400, 'x'));

  // Longer local file: overwritten from the offset, the rest stays.
  writeFile(std::string(1500, 'x'));
  EXPECT_TRUE(d.downloadFile(request(L"/ok/1200", 1000)));
  EXPECT_EQ(fileBytes(), std::string(1000, 'x') + pattern(1200).substr(1000) + std::string(300, 'x'));

  // Offset 0 truncates.
  writeFile(std::string(5000, 'x'));
  EXPECT_TRUE(d.downloadFile(request(L"/ok/100", 0)));
  EXPECT_EQ(fileBytes(), pattern(100));

  // A ranged request answered 200: the file starts over with the whole body,
  // and what lay beyond its end is cut off.
  writeFile(std::string(1500, 'x'));
  EXPECT_TRUE(d.downloadFile(request(L"/range200/1000", 300)));
  EXPECT_EQ(fileBytes(), pattern(1000));

  // A 206 that starts elsewhere is refused and nothing is written.
  writeFile(std::string(300, 'x'));
  EXPECT_FALSE(d.downloadFile(request(L"/badrange/1000", 300)));
  EXPECT_EQ(fileBytes(), std::string(300, 'x'));

  // Statuses and missing length fail without writing.
  for (const wchar_t* path : {L"/404", L"/500", L"/chunked"}) {
    writeFile("");
    EXPECT_FALSE(d.downloadFile(request(path, 0))) << path;
    EXPECT_EQ(fileBytes(), "") << path;
  }
  EXPECT_FALSE(d.busy());
}

TEST_F(DownloaderTest, CutThreeTimesAndResumedIsIdentical) {
  const int total = 300000;
  std::mt19937 rng(::GetTickCount());
  std::vector<int> cuts;
  for (int i = 0; i < 3; ++i) cuts.push_back(static_cast<int>(rng() % (total / 4)) + 1);
  HttpDownloader d;
  int32_t offset = 0;
  for (int cut : cuts) {
    const std::wstring path = L"/cut/" + std::to_wstring(total) + L"/" + std::to_wstring(cut);
    EXPECT_FALSE(d.downloadFile(request(path, offset))) << cut;
    const std::string now = fileBytes();
    ASSERT_EQ(now.size(), static_cast<size_t>(offset + cut)) << "bytes written so far are kept";
    offset = static_cast<int32_t>(now.size());
  }
  ASSERT_TRUE(d.downloadFile(request(L"/ok/" + std::to_wstring(total), offset)));
  EXPECT_TRUE(fileBytes() == pattern(total));
}

TEST_F(DownloaderTest, StalledServerTimesOut) {
  HttpDownloader d;
  d.setReceiveTimeoutMs(1500);
  EXPECT_FALSE(d.downloadFile(request(L"/stall/100000/20000", 0)));
  const std::string got = fileBytes();
  // Whole reads reach the file; the piece in flight at the time-out is lost.
  EXPECT_LE(got.size(), 20000u);
  EXPECT_GE(got.size(), 16384u);
  EXPECT_TRUE(got == pattern(got.size()));
}

struct Report {
  uint32_t received;
  int32_t length;
};
std::vector<Report>* g_reports = nullptr;
int recordReport(int reserved, int32_t context, const wchar_t*, uint32_t received, int32_t length) {
  EXPECT_EQ(reserved, 0);
  EXPECT_EQ(context, 77);
  g_reports->push_back({received, length});
  return 0;
}

// Both operations refuse while one runs, and the running one goes on.
struct NestedCalls {
  HttpDownloader* downloader = nullptr;
  std::wstring url;
  std::wstring localPath;
  int calls = 0;
  bool fetchResult = true;
  std::wstring fetchReason;
  bool downloadResult = true;
};
NestedCalls* g_nested = nullptr;

int callDuringReport(int, int32_t, const wchar_t*, uint32_t, int32_t) {
  NestedCalls& n = *g_nested;
  if (n.calls++ > 0) return 0;
  std::wstring out;
  n.fetchResult = n.downloader->fetchText(n.url + L"/text/15", out);
  n.fetchReason = out;
  DownloadRequest q;
  q.url = n.url + L"/ok/100";
  q.localPath = n.localPath;
  n.downloadResult = n.downloader->downloadFile(q);
  return 0;
}

TEST_F(DownloaderTest, BusyRefusesBothOperationsDuringATransfer) {
  HttpDownloader d;
  NestedCalls nested;
  nested.downloader = &d;
  nested.url = baseUrl();
  nested.localPath = folder_ + L"\\nested.temp";
  g_nested = &nested;
  ::DeleteFileA(hostPath("requests.log").c_str());
  DownloadRequest q = request(L"/ok/100000", 0);
  q.progressCallback = callDuringReport;
  ASSERT_TRUE(d.downloadFile(q));
  g_nested = nullptr;
  EXPECT_GT(nested.calls, 0);
  EXPECT_FALSE(nested.fetchResult);
  EXPECT_EQ(nested.fetchReason, L"m_Downloading is busy");
  EXPECT_FALSE(nested.downloadResult);
  EXPECT_EQ(::GetFileAttributesW(nested.localPath.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(fileBytes(), pattern(100000));
  // Neither refused call reached the server.
  EXPECT_EQ(readAll(hostPath("requests.log")), "GET /ok/100000 HTTP/1.1\n");
  EXPECT_FALSE(d.busy());
}

// Two seconds pass between any two looks at the clock.
class SteppingClock : public FakeClock {
 public:
  uint32_t tickCount() override {
    advance(2000);
    return FakeClock::tickCount();
  }
};

TEST_F(DownloaderTest, ReportsFollowTimeAndSixteenthRule) {
  std::vector<Report> reports;
  g_reports = &reports;
  // Clock frozen: reports only at each sixteenth (65536 of 1 MiB).
  FakeClock frozen(100000);
  HttpDownloader d(frozen);
  DownloadRequest q = request(L"/ok/1048576", 0);
  q.progressCallback = recordReport;
  q.callbackContext = 77;
  ASSERT_TRUE(d.downloadFile(q));
  ASSERT_FALSE(reports.empty());
  uint32_t last = 0;
  for (const auto& r : reports) {
    EXPECT_EQ(r.length, 1048576);
    EXPECT_GE(r.received - last, 65536u);
    EXPECT_LT(r.received - last, 65536u + 16384u);
    last = r.received;
  }
  // Clock moving 2 s per read: every read reports.
  reports.clear();
  SteppingClock stepping;
  HttpDownloader moving(stepping);
  ASSERT_TRUE(moving.downloadFile(q));
  uint32_t prev = 0;
  for (const auto& r : reports) {
    EXPECT_GT(r.received, prev);
    EXPECT_LE(r.received - prev, 16384u);
    prev = r.received;
  }
  EXPECT_EQ(prev, 1048576u);
  g_reports = nullptr;
}

}  // namespace
}  // namespace kx::launcher
