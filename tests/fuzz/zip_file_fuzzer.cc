// A whole package from the network: the entry list and the extraction, into
// a target that keeps nothing.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "launcher/package/zip_file.h"

namespace {

class MemorySource : public cocos2d::ZipFileSource {
 public:
  MemorySource(const uint8_t* data, size_t size) : bytes_(data, data + size) {}
  uint64_t size() const override { return bytes_.size(); }
  bool readAt(uint64_t offset, void* buffer, size_t length, size_t* got) override {
    *got = 0;
    if (offset >= bytes_.size()) return true;
    *got = std::min<uint64_t>(length, bytes_.size() - offset);
    std::memcpy(buffer, bytes_.data() + offset, *got);
    return true;
  }

 private:
  std::vector<uint8_t> bytes_;
};

// Stops an entry after 8 MiB so that a small bomb does not time the run out.
class DiscardOutput : public cocos2d::ZipFileOutput {
 public:
  bool write(const void*, size_t length) override {
    written_ += length;
    return written_ <= (8u << 20);
  }
  bool commit() override { return true; }

 private:
  size_t written_ = 0;
};

class DiscardTarget : public cocos2d::ZipFileTarget {
 public:
  void makeFolder(const cocos2d::ZipEntryName&) override {}
  std::unique_ptr<cocos2d::ZipFileOutput> createFile(const cocos2d::ZipEntryName&) override {
    return std::make_unique<DiscardOutput>();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  cocos2d::ZipFile zip(std::make_unique<MemorySource>(data, size));
  zip.loadEntryList("");
  DiscardTarget target;
  zip.extractAllTo(target, [](int, int, int) {});
  return 0;
}
