#ifndef KX_LAUNCHER_PACKAGE_ZIP_FILE_H_
#define KX_LAUNCHER_PACKAGE_ZIP_FILE_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "launcher/package/zip_file_names.h"

namespace cocos2d {

// Random-access reading of the archive file; the platform provides one
// (POSIX pread, or CreateFileW/ReadFile so that wide paths work).
class ZipFileSource {
 public:
  virtual ~ZipFileSource() = default;
  virtual uint64_t size() const = 0;
  // Reads up to |length| bytes at |offset|; false on an I/O error.
  virtual bool readAt(uint64_t offset, void* buffer, size_t length, size_t* got) = 0;
};

// One file being written by an extraction. Destroyed without commit(), it
// removes what it wrote, so a failed entry never looks complete.
class ZipFileOutput {
 public:
  virtual ~ZipFileOutput() = default;
  virtual bool write(const void* data, size_t length) = 0;
  virtual bool commit() = 0;
};

// Where an extraction lands. Names reaching it have passed isSafeEntryName.
class ZipFileTarget {
 public:
  virtual ~ZipFileTarget() = default;
  // Creates one folder level; an existing folder or a failure is ignored.
  virtual void makeFolder(const ZipEntryName& name) = 0;
  // Creates or truncates the file; null when it cannot be created.
  virtual std::unique_ptr<ZipFileOutput> createFile(const ZipEntryName& name) = 0;
};

// (reserved = 0, files written, file entries); called once, after the last file.
using ZipProgressCallback = std::function<void(int, int, int)>;

struct ZipEntryPosition {
  uint64_t posInCentralDir = 0;
  uint64_t numOfFile = 0;
  uint64_t uncompressedSize = 0;
  bool utf8Name = false;
};

class ZipFile {
 public:
  // Opens the archive read through |source|; a null source or a file that is
  // not an archive leaves the object without an open archive.
  explicit ZipFile(std::unique_ptr<ZipFileSource> source);
  virtual ~ZipFile();
  ZipFile(const ZipFile&) = delete;
  ZipFile& operator=(const ZipFile&) = delete;

  bool isOpen() const;

  // Fills the entry table with the entries whose name begins with |prefix|.
  // False only when no archive is open.
  bool loadEntryList(const std::string& prefix);

  // The uncompressed bytes of one entry, or null (unknown name, unreadable
  // data, short read, checksum mismatch, or too large to hold in memory).
  std::unique_ptr<unsigned char[]> readEntryData(const std::string& name, uint64_t* size);

  // Streams one entry into |out| in bounded pieces; true only when every
  // byte was read and written and the checksum matched.
  bool readEntryTo(const std::string& name, ZipFileOutput& out);

  // Creates the archive's folder entries (sorted, one level each), then
  // writes every file entry in table order. True only when every file was
  // written; a failing entry does not stop the others.
  bool extractAllTo(ZipFileTarget& target, const ZipProgressCallback& progress);

  size_t entryCount() const;

 private:
  struct Data;
  std::unique_ptr<Data> data_;
};

}  // namespace cocos2d

#endif  // KX_LAUNCHER_PACKAGE_ZIP_FILE_H_
