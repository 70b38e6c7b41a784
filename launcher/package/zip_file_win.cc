#include "launcher/package/zip_file_win.h"

#include <windows.h>

#include <algorithm>

#include "common/base/scoped_handle.h"

namespace cocos2d {
namespace {

constexpr DWORD kMaxIo = 1u << 30;

class WinSource : public ZipFileSource {
 public:
  WinSource(kx::ScopedFileHandle file, uint64_t size) : file_(std::move(file)), size_(size) {}
  uint64_t size() const override { return size_; }
  bool readAt(uint64_t offset, void* buffer, size_t length, size_t* got) override {
    *got = 0;
    while (*got < length) {
      const uint64_t at = offset + *got;
      OVERLAPPED ov = {};
      ov.Offset = static_cast<DWORD>(at & 0xffffffffu);
      ov.OffsetHigh = static_cast<DWORD>(at >> 32);
      DWORD want = static_cast<DWORD>(std::min<size_t>(length - *got, kMaxIo));
      DWORD n = 0;
      if (!::ReadFile(file_.get(), static_cast<char*>(buffer) + *got, want, &n, &ov)) {
        return ::GetLastError() == ERROR_HANDLE_EOF;
      }
      if (n == 0) break;
      *got += n;
    }
    return true;
  }

 private:
  kx::ScopedFileHandle file_;
  uint64_t size_;
};

class WinOutput : public ZipFileOutput {
 public:
  WinOutput(kx::ScopedFileHandle file, std::wstring path)
      : file_(std::move(file)), path_(std::move(path)) {}
  ~WinOutput() override {
    if (file_.valid()) {
      file_.reset();
      ::DeleteFileW(path_.c_str());
    }
  }
  bool write(const void* data, size_t length) override {
    const char* p = static_cast<const char*>(data);
    while (length > 0) {
      DWORD want = static_cast<DWORD>(std::min<size_t>(length, kMaxIo));
      DWORD n = 0;
      if (!::WriteFile(file_.get(), p, want, &n, nullptr) || n == 0) return false;
      p += n;
      length -= n;
    }
    return true;
  }
  bool commit() override {
    if (::CloseHandle(file_.release())) return true;
    ::DeleteFileW(path_.c_str());
    return false;
  }

 private:
  kx::ScopedFileHandle file_;
  std::wstring path_;
};

}  // namespace

std::unique_ptr<ZipFileSource> openWinZipFileSource(const std::wstring& path) {
  kx::ScopedFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return nullptr;
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return nullptr;
  return std::make_unique<WinSource>(std::move(file), static_cast<uint64_t>(size.QuadPart));
}

WinZipFileTarget::WinZipFileTarget(const std::wstring& folder) : folder_(folder) {
  if (!folder_.empty() && (folder_.back() == L'\\' || folder_.back() == L'/')) folder_.pop_back();
}

bool WinZipFileTarget::pathOf(const ZipEntryName& name, std::wstring* path) const {
  const UINT codePage = name.utf8 ? CP_UTF8 : CP_ACP;
  const DWORD flags = name.utf8 ? MB_ERR_INVALID_CHARS : 0;
  const int inLength = static_cast<int>(name.bytes.size());
  int n = ::MultiByteToWideChar(codePage, flags, name.bytes.data(), inLength, nullptr, 0);
  if (n <= 0) return false;
  std::wstring wide(static_cast<size_t>(n), L'\0');
  if (::MultiByteToWideChar(codePage, flags, name.bytes.data(), inLength, wide.data(), n) != n) {
    return false;
  }
  *path = folder_;
  path->push_back(L'\\');
  for (wchar_t c : wide) path->push_back(c == L'/' ? L'\\' : c);
  return true;
}

void WinZipFileTarget::makeFolder(const ZipEntryName& name) {
  std::wstring path;
  if (pathOf(name, &path)) ::CreateDirectoryW(path.c_str(), nullptr);
}

std::unique_ptr<ZipFileOutput> WinZipFileTarget::createFile(const ZipEntryName& name) {
  std::wstring path;
  if (!pathOf(name, &path)) return nullptr;
  kx::ScopedFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN,
                                          nullptr));
  if (!file.valid()) return nullptr;
  return std::make_unique<WinOutput>(std::move(file), std::move(path));
}

}  // namespace cocos2d
