#ifndef KX_LAUNCHER_NET_HTTP_URL_H_
#define KX_LAUNCHER_NET_HTTP_URL_H_

#include <cstdint>
#include <string>

namespace kx::launcher {

struct HttpUrlParts {
  std::wstring host;
  uint16_t port = 80;
  std::wstring path;  // without the leading '/'
};

// Every backslash becomes '/'.
std::wstring normalizeUrlSlashes(const std::wstring& url);

// Never fails. Only "http://" is understood; anything else ends up in the host.
HttpUrlParts parseHttpUrl(const std::wstring& url);

// The request header block, Host without port; Range only when resuming.
std::wstring buildRequestHeaders(const std::wstring& host, int32_t resumeOffset);

// Start offset of a "bytes a-b/c" Content-Range value; -1 when it does not read.
int64_t contentRangeStart(const std::wstring& value);

// Content-Length text as a length below 2 GiB; -1 when missing, malformed or too big.
int64_t parseContentLength(const std::wstring& value);

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_NET_HTTP_URL_H_
