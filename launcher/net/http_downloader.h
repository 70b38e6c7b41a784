#ifndef KX_LAUNCHER_NET_HTTP_DOWNLOADER_H_
#define KX_LAUNCHER_NET_HTTP_DOWNLOADER_H_

#include <cstdint>
#include <string>

#include "common/base/clock.h"

namespace kx::launcher {

using DownloadProgressFn = int (*)(int reserved, int32_t context, const wchar_t* localPath,
                                   uint32_t received, int32_t contentLength);

struct DownloadRequest {
  std::wstring url;
  std::wstring localPath;
  int32_t pathIsFile = 1;
  int32_t resumeOffset = 0;
  DownloadProgressFn progressCallback = nullptr;
  int32_t callbackContext = 0;
};

// The one HTTP client of the launcher. Plain HTTP, system proxy, no cache.
class HttpDownloader {
 public:
  // The real clock; or |clock| (outlives the downloader) for the report rule.
  HttpDownloader();
  explicit HttpDownloader(Clock& clock) : clock_(&clock) {}
  HttpDownloader(const HttpDownloader&) = delete;
  HttpDownloader& operator=(const HttpDownloader&) = delete;

  // GET |url| as text; on failure |out| holds the reason. The body must be
  // exactly its Content-Length, at most 1 MiB.
  bool fetchText(const std::wstring& url, std::wstring& out);
  // GET the request's URL into its local file, resuming at resumeOffset.
  bool downloadFile(const DownloadRequest& request);

  // Receive time-out on the request handle; a stalled server must not hang us.
  void setReceiveTimeoutMs(uint32_t ms) { receiveTimeoutMs_ = ms; }
  bool busy() const { return m_Downloading != 0; }
  // Of the last downloadFile that got an answer: its status code (0: none)
  // and its Content-Range header (empty when absent).
  uint32_t lastStatus() const { return lastStatus_; }
  const std::wstring& lastContentRange() const { return lastContentRange_; }

 private:
  int32_t m_Downloading = 0;
  Clock* clock_;
  uint32_t lastStatus_ = 0;
  std::wstring lastContentRange_;
  uint32_t receiveTimeoutMs_ = 30000;
};

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_NET_HTTP_DOWNLOADER_H_
