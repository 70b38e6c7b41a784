#include "launcher/package/zip_file.h"

#include <minizip/unzip.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <unordered_map>
#include <vector>

namespace cocos2d {
namespace {

constexpr size_t kReadAheadSize = 256 * 1024;
constexpr size_t kChunkSize = 256 * 1024;
constexpr uLong kUtf8NameFlag = 1u << 11;

// minizip seeks before every small read and goes back to the central
// directory for every entry. Two read-ahead windows (one tends to hold the
// directory, the other the entry data) keep that from turning into a system
// call, or a refill, per 16 KiB.
class BufferedStream {
 public:
  explicit BufferedStream(ZipFileSource* source) : source_(source) {
    // No window larger than the archive itself.
    const size_t size = static_cast<size_t>(
        std::max<uint64_t>(1, std::min<uint64_t>(kReadAheadSize, source->size())));
    for (Window& w : windows_) w.bytes.resize(size);
  }

  uLong read(void* out, uLong length) {
    auto* dst = static_cast<unsigned char*>(out);
    uLong done = 0;
    while (done < length) {
      Window* hit = nullptr;
      for (Window& w : windows_) {
        if (pos_ >= w.start && pos_ < w.start + w.length) hit = &w;
      }
      if (hit) {
        size_t off = static_cast<size_t>(pos_ - hit->start);
        size_t n = std::min<size_t>(hit->length - off, length - done);
        std::memcpy(dst + done, hit->bytes.data() + off, n);
        hit->lastUse = ++clock_;
        done += static_cast<uLong>(n);
        pos_ += n;
        continue;
      }
      size_t got = 0;
      if (length - done >= kReadAheadSize) {
        if (!source_->readAt(pos_, dst + done, length - done, &got)) error_ = true;
        if (got == 0) break;
        done += static_cast<uLong>(got);
        pos_ += got;
        continue;
      }
      Window& w = windows_[0].lastUse <= windows_[1].lastUse ? windows_[0] : windows_[1];
      w.start = pos_;
      if (!source_->readAt(pos_, w.bytes.data(), w.bytes.size(), &got)) error_ = true;
      w.length = got;
      w.lastUse = ++clock_;
      if (got == 0) break;
    }
    return done;
  }

  long seek(ZPOS64_T offset, int origin) {
    uint64_t base = 0;
    switch (origin) {
      case ZLIB_FILEFUNC_SEEK_SET: base = 0; break;
      case ZLIB_FILEFUNC_SEEK_CUR: base = pos_; break;
      case ZLIB_FILEFUNC_SEEK_END: base = source_->size(); break;
      default: return -1;
    }
    pos_ = base + offset;
    return 0;
  }

  ZPOS64_T tell() const { return pos_; }
  int error() const { return error_ ? 1 : 0; }

 private:
  struct Window {
    std::vector<unsigned char> bytes;
    uint64_t start = 0;
    size_t length = 0;
    uint64_t lastUse = 0;
  };

  ZipFileSource* source_;
  Window windows_[2];
  uint64_t clock_ = 0;
  uint64_t pos_ = 0;
  bool error_ = false;
};

voidpf ZCALLBACK streamOpen(voidpf opaque, const void*, int mode) {
  if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
  return opaque;
}
uLong ZCALLBACK streamRead(voidpf, voidpf stream, void* buf, uLong size) {
  return static_cast<BufferedStream*>(stream)->read(buf, size);
}
uLong ZCALLBACK streamWrite(voidpf, voidpf, const void*, uLong) { return 0; }
ZPOS64_T ZCALLBACK streamTell(voidpf, voidpf stream) {
  return static_cast<BufferedStream*>(stream)->tell();
}
long ZCALLBACK streamSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  return static_cast<BufferedStream*>(stream)->seek(offset, origin);
}
// The stream belongs to ZipFile::Data.
int ZCALLBACK streamClose(voidpf, voidpf) { return 0; }
int ZCALLBACK streamError(voidpf, voidpf stream) {
  return static_cast<BufferedStream*>(stream)->error();
}

// True for a file holding nothing but an end-of-central-directory record
// with no entries (minizip misses an end record at offset 0).
bool isBareEndRecord(ZipFileSource& source) {
  unsigned char r[22];
  size_t got = 0;
  const uint64_t size = source.size();
  if (size < sizeof(r) || !source.readAt(0, r, sizeof(r), &got) || got != sizeof(r)) return false;
  auto u16 = [&](int i) { return static_cast<uint32_t>(r[i] | (r[i + 1] << 8)); };
  auto u32 = [&](int i) { return u16(i) | (u16(i + 2) << 16); };
  return u32(0) == 0x06054b50 && u16(8) == 0 && u16(10) == 0 && u32(12) == 0 && u32(16) == 0 &&
         u16(20) == size - sizeof(r);
}

class MemoryOutput : public ZipFileOutput {
 public:
  explicit MemoryOutput(unsigned char* buffer) : buffer_(buffer) {}
  bool write(const void* data, size_t length) override {
    std::memcpy(buffer_ + used_, data, length);
    used_ += length;
    return true;
  }
  bool commit() override { return true; }

 private:
  unsigned char* buffer_;
  size_t used_ = 0;
};

}  // namespace

struct ZipFile::Data {
  std::unique_ptr<ZipFileSource> source;
  std::unique_ptr<BufferedStream> stream;
  unzFile zip = nullptr;
  // An archive that is only an end record; minizip cannot open those.
  bool emptyArchive = false;
  // The entry table, in the archive's directory order (which keeps reads
  // sequential), with an index by name.
  std::vector<std::pair<std::string, ZipEntryPosition>> entries;
  std::unordered_map<std::string, size_t> index;

  const ZipEntryPosition* find(const std::string& name) const {
    auto it = index.find(name);
    return it == index.end() ? nullptr : &entries[it->second].second;
  }
  std::vector<char> chunk;
};

ZipFile::ZipFile(std::unique_ptr<ZipFileSource> source) : data_(std::make_unique<Data>()) {
  if (!source) return;
  data_->source = std::move(source);
  data_->stream = std::make_unique<BufferedStream>(data_->source.get());
  zlib_filefunc64_def funcs = {};
  funcs.zopen64_file = streamOpen;
  funcs.zread_file = streamRead;
  funcs.zwrite_file = streamWrite;
  funcs.ztell64_file = streamTell;
  funcs.zseek64_file = streamSeek;
  funcs.zclose_file = streamClose;
  funcs.zerror_file = streamError;
  funcs.opaque = data_->stream.get();
  // The path is not used by our open function, but minizip wants one.
  data_->zip = unzOpen2_64("", &funcs);
  if (!data_->zip) data_->emptyArchive = isBareEndRecord(*data_->source);
}

ZipFile::~ZipFile() {
  if (data_->zip) unzClose(data_->zip);
}

bool ZipFile::isOpen() const { return data_->zip != nullptr || data_->emptyArchive; }

size_t ZipFile::entryCount() const { return data_->entries.size(); }

bool ZipFile::loadEntryList(const std::string& prefix) {
  unzFile zip = data_->zip;
  data_->entries.clear();
  data_->index.clear();
  if (!zip) return data_->emptyArchive;
  std::string name;
  for (int rc = unzGoToFirstFile(zip); rc == UNZ_OK; rc = unzGoToNextFile(zip)) {
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) break;
    // The whole name, however long; a cut name would name another file.
    name.assign(info.size_filename, '\0');
    if (info.size_filename > 0 &&
        unzGetCurrentFileInfo64(zip, &info, name.data(), static_cast<uLong>(name.size()), nullptr,
                                0, nullptr, 0) != UNZ_OK) {
      break;
    }
    unz64_file_pos pos;
    if (unzGetFilePos64(zip, &pos) != UNZ_OK) continue;
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    auto [slot, added] = data_->index.emplace(name, data_->entries.size());
    if (added) data_->entries.emplace_back(name, ZipEntryPosition());
    ZipEntryPosition& e = data_->entries[slot->second].second;
    e.posInCentralDir = pos.pos_in_zip_directory;
    e.numOfFile = pos.num_of_file;
    e.uncompressedSize = info.uncompressed_size;
    e.utf8Name = (info.flag & kUtf8NameFlag) != 0;
  }
  return true;
}

namespace {

// Goes to the entry and opens it.
bool openEntry(unzFile zip, const ZipEntryPosition* entry) {
  if (!zip || !entry) return false;
  unz64_file_pos pos;
  pos.pos_in_zip_directory = entry->posInCentralDir;
  pos.num_of_file = entry->numOfFile;
  return unzGoToFilePos64(zip, &pos) == UNZ_OK && unzOpenCurrentFile(zip) == UNZ_OK;
}

// Copies the open entry into |out| and closes it.
bool streamOpenEntry(unzFile zip, uint64_t expected, std::vector<char>& chunk,
                     ZipFileOutput* out) {
  if (chunk.empty()) chunk.resize(kChunkSize);
  uint64_t total = 0;
  bool ok = out != nullptr;
  while (ok) {
    int n = unzReadCurrentFile(zip, chunk.data(), static_cast<unsigned>(chunk.size()));
    if (n < 0) ok = false;
    if (n <= 0) break;
    total += static_cast<uint64_t>(n);
    if (total > expected || !out->write(chunk.data(), static_cast<size_t>(n))) ok = false;
  }
  // The close reports a checksum mismatch once the declared size was read.
  int closeRc = unzCloseCurrentFile(zip);
  return ok && total == expected && closeRc == UNZ_OK;
}

}  // namespace

bool ZipFile::readEntryTo(const std::string& name, ZipFileOutput& out) {
  const ZipEntryPosition* e = name.empty() ? nullptr : data_->find(name);
  return openEntry(data_->zip, e) && streamOpenEntry(data_->zip, e->uncompressedSize, data_->chunk, &out);
}

std::unique_ptr<unsigned char[]> ZipFile::readEntryData(const std::string& name, uint64_t* size) {
  const ZipEntryPosition* e = data_->find(name);
  if (!data_->zip || !e) return nullptr;
  const uint64_t want = e->uncompressedSize;
  if (want > SIZE_MAX - 1) return nullptr;
  std::unique_ptr<unsigned char[]> buffer(new (std::nothrow)
                                              unsigned char[static_cast<size_t>(want) + 1]);
  if (!buffer) return nullptr;
  MemoryOutput out(buffer.get());
  if (!readEntryTo(name, out)) return nullptr;
  if (size) *size = want;
  return buffer;
}

bool ZipFile::extractAllTo(ZipFileTarget& target, const ZipProgressCallback& progress) {
  if (!isOpen()) return false;
  if (data_->entries.empty()) return true;
  bool result = true;

  std::vector<const std::string*> names;
  names.reserve(data_->entries.size());
  for (const auto& e : data_->entries) names.push_back(&e.first);
  std::sort(names.begin(), names.end(),
            [](const std::string* a, const std::string* b) { return *a < *b; });
  int fileEntries = 0;
  for (const std::string* name : names) {
    if (!isFolderEntryName(*name)) {
      ++fileEntries;
      continue;
    }
    if (!isSafeEntryName(*name)) {
      result = false;
      continue;
    }
    target.makeFolder({*name, data_->find(*name)->utf8Name});
  }

  int written = 0;
  for (const auto& [name, pos] : data_->entries) {
    if (isFolderEntryName(name)) continue;
    if (!isSafeEntryName(name)) {
      result = false;
      continue;
    }
    // Opened before the file is touched, so an unreadable entry leaves it alone.
    if (!openEntry(data_->zip, &pos)) {
      result = false;
      continue;
    }
    std::unique_ptr<ZipFileOutput> out = target.createFile({name, pos.utf8Name});
    if (!streamOpenEntry(data_->zip, pos.uncompressedSize, data_->chunk, out.get()) ||
        !out->commit()) {
      result = false;
      continue;
    }
    if (++written == fileEntries && progress) progress(0, written, fileEntries);
  }
  return result;
}

}  // namespace cocos2d
