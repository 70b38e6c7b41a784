#include "launcher/package/zip_file_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace cocos2d {
namespace {

class PosixSource : public ZipFileSource {
 public:
  PosixSource(int fd, uint64_t size) : fd_(fd), size_(size) {}
  ~PosixSource() override { ::close(fd_); }
  uint64_t size() const override { return size_; }
  bool readAt(uint64_t offset, void* buffer, size_t length, size_t* got) override {
    *got = 0;
    while (*got < length) {
      ssize_t n = ::pread(fd_, static_cast<char*>(buffer) + *got, length - *got,
                          static_cast<off_t>(offset + *got));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return false;
      if (n == 0) break;
      *got += static_cast<size_t>(n);
    }
    return true;
  }

 private:
  int fd_;
  uint64_t size_;
};

class PosixOutput : public ZipFileOutput {
 public:
  PosixOutput(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~PosixOutput() override {
    if (fd_ >= 0) {
      ::close(fd_);
      ::unlink(path_.c_str());
    }
  }
  bool write(const void* data, size_t length) override {
    const char* p = static_cast<const char*>(data);
    while (length > 0) {
      ssize_t n = ::write(fd_, p, length);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      p += n;
      length -= static_cast<size_t>(n);
    }
    return true;
  }
  bool commit() override {
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) == 0) return true;
    ::unlink(path_.c_str());
    return false;
  }

 private:
  int fd_;
  std::string path_;
};

}  // namespace

std::unique_ptr<ZipFileSource> openPosixZipFileSource(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<PosixSource>(fd, static_cast<uint64_t>(st.st_size));
}

PosixZipFileTarget::PosixZipFileTarget(const std::string& folder)
    : folder_(withoutTrailingSeparator(folder)) {}

void PosixZipFileTarget::makeFolder(const ZipEntryName& name) {
  ::mkdir((folder_ + "/" + name.bytes).c_str(), 0777);
}

std::unique_ptr<ZipFileOutput> PosixZipFileTarget::createFile(const ZipEntryName& name) {
  std::string path = folder_ + "/" + name.bytes;
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixOutput>(fd, std::move(path));
}

}  // namespace cocos2d
