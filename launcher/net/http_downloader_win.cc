#include "launcher/net/http_downloader.h"

#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <utility>
#include <vector>

#include "common/base/clock_win.h"
#include "common/base/scoped_handle.h"
#include "launcher/net/http_url.h"
#include "launcher/util/file_util_win.h"
#include "common/base/text_convert_win.h"

namespace kx::launcher {
namespace {

struct InternetHandleTraits {
  using Handle = HINTERNET;
  static Handle invalid() { return nullptr; }
  static bool isValid(Handle h) { return h != nullptr; }
  static void close(Handle h) { ::InternetCloseHandle(h); }
};
using ScopedInternetHandle = ScopedGenericHandle<InternetHandleTraits>;

// Clears the busy flag on every return.
class BusyScope {
 public:
  explicit BusyScope(int32_t& flag) : flag_(flag) { flag_ = 1; }
  ~BusyScope() { flag_ = 0; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  int32_t& flag_;
};

std::wstring lastErrorText(DWORD error) {
  wchar_t buffer[256] = {};
  DWORD n = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             error, 0, buffer, 255, nullptr);
  if (n == 0) {
    n = ::FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS,
                         ::GetModuleHandleW(L"wininet.dll"), error, 0, buffer, 255, nullptr);
  }
  if (n == 0) {
    std::swprintf(buffer, 255, L"UnkownError[%lu]", static_cast<unsigned long>(error));
  }
  std::wstring text(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
  return text;
}

// One request from session to status check.
struct OpenRequest {
  ScopedInternetHandle session;
  ScopedInternetHandle connection;
  ScopedInternetHandle request;
  DWORD status = 0;
  int64_t contentLength = -1;  // -1: absent, malformed or 2 GiB and more
  std::wstring failure;
};

std::wstring queryHeader(HINTERNET request, DWORD query) {
  wchar_t buffer[256] = {};
  DWORD size = sizeof(buffer) - sizeof(wchar_t);
  DWORD index = 0;
  if (!::HttpQueryInfoW(request, query, buffer, &size, &index)) return std::wstring();
  return std::wstring(buffer, size / sizeof(wchar_t));
}

bool openRequest(const std::wstring& url, int32_t resumeOffset, uint32_t receiveTimeoutMs,
                 OpenRequest& r) {
  r.session.reset(::InternetOpenW(L"KXLaunchSession", INTERNET_OPEN_TYPE_PRECONFIG, nullptr,
                                  nullptr, INTERNET_FLAG_DONT_CACHE));
  if (!r.session) {
    r.failure = lastErrorText(::GetLastError());
    return false;
  }
  DWORD connectTimeout = 5000;
  ::InternetSetOptionExW(r.session.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &connectTimeout,
                         sizeof(connectTimeout), 0);
  const HttpUrlParts parts = parseHttpUrl(normalizeUrlSlashes(url));
  r.connection.reset(::InternetConnectW(r.session.get(), parts.host.c_str(), parts.port, nullptr,
                                        nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  if (!r.connection) {
    r.failure = L"GetHttpConnection Failed";
    return false;
  }
  r.request.reset(::HttpOpenRequestW(r.connection.get(), L"GET", parts.path.c_str(), nullptr,
                                     nullptr, nullptr, INTERNET_FLAG_RELOAD, 0));
  if (!r.request) {
    r.failure = L"OpenRequest Failed";
    return false;
  }
  // Set on the request handle itself: Wine does not inherit it from the session.
  DWORD receiveTimeout = receiveTimeoutMs;
  ::InternetSetOptionW(r.request.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &receiveTimeout,
                       sizeof(receiveTimeout));
  const std::wstring headers = buildRequestHeaders(parts.host, resumeOffset);
  if (!::HttpSendRequestW(r.request.get(), headers.c_str(), static_cast<DWORD>(headers.size()),
                          nullptr, 0)) {
    r.failure = lastErrorText(::GetLastError());
    return false;
  }
  DWORD status = 0;
  DWORD size = sizeof(status);
  DWORD index = 0;
  if (!::HttpQueryInfoW(r.request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                        &size, &index)) {
    status = 0;
  }
  r.status = status;
  const std::wstring length = queryHeader(r.request.get(), HTTP_QUERY_CONTENT_LENGTH);
  if (status < 200 || status > 299 || length.empty()) {
    r.failure = L"Request Send Failed";
    return false;
  }
  r.contentLength = parseContentLength(length);
  return true;
}

// A patch list is a few hundred bytes; anything near this is not one.
constexpr int64_t kMaxTextBytes = 1024 * 1024;

WinClock g_realClock;

bool writeAll(HANDLE file, const char* data, DWORD size) {
  DWORD written = 0;
  return ::WriteFile(file, data, size, &written, nullptr) && written == size;
}

}  // namespace

HttpDownloader::HttpDownloader() : clock_(&g_realClock) {}

bool HttpDownloader::fetchText(const std::wstring& url, std::wstring& out) {
  if (m_Downloading) {
    out = L"m_Downloading is busy";
    return false;
  }
  if (url.empty()) {
    out = L"url is empty!";
    return false;
  }
  BusyScope busy(m_Downloading);
  OpenRequest r;
  if (!openRequest(url, 0, receiveTimeoutMs_, r)) {
    out = r.failure;
    return false;
  }
  // The declared length is what tells a whole patch list from one cut short.
  if (r.contentLength < 0) {
    out = L"Request Send Failed";
    return false;
  }
  if (r.contentLength > kMaxTextBytes) {
    out = L"Response Too Large";
    return false;
  }
  std::wstring text;
  int64_t received = 0;
  char buffer[2048 + 1];
  for (;;) {
    DWORD read = 0;
    if (!::InternetReadFile(r.request.get(), buffer, 2048, &read)) {
      out = lastErrorText(::GetLastError());
      return false;
    }
    if (read == 0) break;
    received += read;
    if (received > r.contentLength) {
      out = L"Response Too Large";
      return false;
    }
    buffer[read] = '\0';
    std::wstring piece;
    ansiToWide(std::string(buffer), piece);  // a piece ends at its first zero byte
    text += piece;
  }
  if (received != r.contentLength) {
    out = L"Response Truncated";
    return false;
  }
  out = std::move(text);
  return true;
}

bool HttpDownloader::downloadFile(const DownloadRequest& q) {
  if (m_Downloading) return false;
  BusyScope busy(m_Downloading);
  if (q.url.empty() || q.localPath.empty() || q.resumeOffset < 0) return false;

  std::wstring localPath = q.localPath;
  if (q.pathIsFile) {
    if (!makeDirectories(localPath, true)) return false;
  } else {
    const std::wstring url = normalizeUrlSlashes(q.url);
    const size_t slash = url.rfind(L'/');
    if (slash == std::wstring::npos) return false;
    if (!makeDirectories(localPath, false)) return false;
    localPath = localPath + L"\\" + url.substr(slash + 1);
  }

  ScopedFileHandle file;
  if (q.resumeOffset != 0) {
    file.reset(::CreateFileW(localPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < q.resumeOffset) return false;
  } else {
    file.reset(::CreateFileW(localPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
  }

  uint32_t lastReport = clock_->tickCount() / 1000;
  OpenRequest r;
  lastStatus_ = 0;
  lastContentRange_.clear();
  const bool opened = openRequest(q.url, q.resumeOffset, receiveTimeoutMs_, r);
  if (r.request) {
    lastStatus_ = r.status;
    lastContentRange_ = queryHeader(r.request.get(), HTTP_QUERY_CONTENT_RANGE);
  }
  if (!opened) return false;
  if (r.contentLength < 0) return false;

  int64_t start = q.resumeOffset;
  if (q.resumeOffset != 0) {
    if (r.status == 200) {
      // The server ignored the range: the body is the whole file.
      start = 0;
    } else {
      const std::wstring range = queryHeader(r.request.get(), HTTP_QUERY_CONTENT_RANGE);
      if (contentRangeStart(range) != q.resumeOffset) return false;
    }
  }
  LARGE_INTEGER position{};
  position.QuadPart = start;
  if (!::SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN)) return false;
  if (start == 0 && q.resumeOffset != 0 && !::SetEndOfFile(file.get())) return false;

  const int32_t contentLength = static_cast<int32_t>(r.contentLength);
  const uint32_t reportStep = static_cast<uint32_t>(contentLength) >> 4;
  uint32_t received = 0;
  uint32_t sinceReport = 0;
  std::vector<char> buffer(16384);
  for (;;) {
    DWORD read = 0;
    if (!::InternetReadFile(r.request.get(), buffer.data(), 16384, &read)) return false;
    if (read == 0) break;
    if (!writeAll(file.get(), buffer.data(), read)) return false;
    received += read;
    sinceReport += read;
    const uint32_t now = clock_->tickCount() / 1000;
    if (now - lastReport < 2 && sinceReport < reportStep) continue;
    if (q.progressCallback) {
      q.progressCallback(0, q.callbackContext, localPath.c_str(), received, contentLength);
    }
    lastReport = now;
    sinceReport = 0;
  }
  // A connection that closes early without an error is still a short body.
  if (received != static_cast<uint32_t>(contentLength)) return false;
  ::FlushFileBuffers(file.get());
  return true;
}

}  // namespace kx::launcher
