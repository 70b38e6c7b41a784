#ifndef KX_LAUNCHER_NET_HTTP_DOWNLOADER_H_
#define KX_LAUNCHER_NET_HTTP_DOWNLOADER_H_

#include <cstdint>
#include <functional>
#include <string>

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
  // Whole seconds, injectable so the report rule can be tested.
  using SecondsClock = std::function<uint32_t()>;

  HttpDownloader();
  HttpDownloader(const HttpDownloader&) = delete;
  HttpDownloader& operator=(const HttpDownloader&) = delete;

  // GET |url| as text; on failure |out| holds the reason. The body must be
  // exactly its Content-Length, at most 1 MiB.
  bool fetchText(const std::wstring& url, std::wstring& out);
  // GET the request's URL into its local file, resuming at resumeOffset.
  bool downloadFile(const DownloadRequest& request);

  void setClockForTesting(SecondsClock clock) { clock_ = std::move(clock); }
  // Receive time-out on the request handle; a stalled server must not hang us.
  void setReceiveTimeoutMs(uint32_t ms) { receiveTimeoutMs_ = ms; }
  bool busy() const { return m_Downloading != 0; }

 private:
  int32_t m_Downloading = 0;
  SecondsClock clock_;
  uint32_t receiveTimeoutMs_ = 30000;
};

}  // namespace kx::launcher

#endif  // KX_LAUNCHER_NET_HTTP_DOWNLOADER_H_
