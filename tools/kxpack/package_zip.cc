#include "tools/kxpack/package_zip.h"

#include <minizip/unzip.h>
#include <minizip/zip.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace kx::pack {
namespace {

namespace fs = std::filesystem;

constexpr size_t kChunk = 1 << 16;
constexpr uint16_t kUtf8NameFlag = 1 << 11;
// Bounds for the two entries the lint reads whole.
constexpr uint64_t kMaxGameExeBytes = 256ull << 20;
constexpr uint64_t kMaxVersionIniBytes = 64 << 10;

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using ScopedFile = std::unique_ptr<FILE, FileCloser>;

struct ZipCloser {
  void operator()(void* z) const { zipClose(static_cast<zipFile>(z), nullptr); }
};
struct UnzCloser {
  void operator()(void* z) const { unzClose(static_cast<unzFile>(z)); }
};

bool isAscii(const std::string& s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool addEntry(zipFile zip, const std::string& gameFolder, const PackageEntry& entry, int level,
              std::string* error) {
  zip_fileinfo info{};
  // 1980-01-01: a fixed time, so the same folder packs to the same bytes.
  info.tmz_date.tm_year = 1980;
  info.tmz_date.tm_mday = 1;
  const uLong flags = isAscii(entry.name) ? 0 : kUtf8NameFlag;
  uint64_t size = 0;
  ScopedFile in;
  if (!entry.folder) {
    const std::string path = gameFolder + "/" + entry.source;
    in.reset(std::fopen(path.c_str(), "rb"));
    std::error_code ec;
    size = fs::file_size(path, ec);
    if (!in || ec) {
      *error = "cannot read \"" + path + "\"";
      return false;
    }
  }
  const int zip64 = size >= 0xFFFFFFFFull ? 1 : 0;
  if (zipOpenNewFileInZip4_64(zip, entry.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                              entry.folder ? 0 : Z_DEFLATED, entry.folder ? 0 : level, 0,
                              -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, 0, flags,
                              zip64) != ZIP_OK) {
    *error = "cannot add \"" + entry.name + "\" to the archive";
    return false;
  }
  bool ok = true;
  if (in) {
    std::vector<char> buffer(kChunk);
    size_t got = 0;
    while (ok && (got = std::fread(buffer.data(), 1, buffer.size(), in.get())) > 0)
      ok = zipWriteInFileInZip(zip, buffer.data(), static_cast<unsigned>(got)) == ZIP_OK;
    ok = ok && !std::ferror(in.get());
  }
  ok = zipCloseFileInZip(zip) == ZIP_OK && ok;
  if (!ok) *error = "cannot write \"" + entry.name + "\" into the archive";
  return ok;
}

bool readWhole(unzFile zip, uint64_t size, uint64_t limit, std::string* out) {
  if (size > limit || unzOpenCurrentFile(zip) != UNZ_OK) return false;
  out->assign(static_cast<size_t>(size), '\0');
  const int got = size ? unzReadCurrentFile(zip, out->data(), static_cast<unsigned>(size)) : 0;
  // Close checks the CRC once everything was read.
  const int closed = unzCloseCurrentFile(zip);
  return got == static_cast<int>(size) && closed == UNZ_OK;
}

}  // namespace

bool listGameFolder(const std::string& gameFolder, std::vector<GameItem>* items,
                    std::string* error) {
  items->clear();
  std::error_code ec;
  if (!fs::is_directory(gameFolder, ec)) {
    *error = "\"" + gameFolder + "\" is not a folder";
    return false;
  }
  const fs::path root(gameFolder);
  for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path relative = it->path().lexically_relative(root);
    if (it->is_symlink(ec)) {
      *error = "\"" + relative.generic_string() + "\" is a link; put the real file there";
      return false;
    }
    const bool folder = it->is_directory(ec);
    if (!folder && !it->is_regular_file(ec)) {
      *error = "\"" + relative.generic_string() + "\" is neither a file nor a folder";
      return false;
    }
    items->push_back({relative.generic_string(), folder});
  }
  if (ec) {
    *error = "cannot list \"" + gameFolder + "\": " + ec.message();
    return false;
  }
  std::sort(items->begin(), items->end(),
            [](const GameItem& a, const GameItem& b) { return a.path < b.path; });
  return true;
}

bool writePackage(const std::string& gameFolder, const std::vector<PackageEntry>& entries,
                  const std::string& zipPath, int level, std::string* error) {
  const std::string partial = zipPath + ".part";
  bool ok = false;
  {
    std::unique_ptr<void, ZipCloser> zip(zipOpen64(partial.c_str(), APPEND_STATUS_CREATE));
    if (!zip) {
      *error = "cannot create \"" + partial + "\"";
      return false;
    }
    ok = std::all_of(entries.begin(), entries.end(), [&](const PackageEntry& e) {
      return addEntry(static_cast<zipFile>(zip.get()), gameFolder, e, level, error);
    });
    if (ok && zipClose(static_cast<zipFile>(zip.release()), nullptr) != ZIP_OK) {
      *error = "cannot finish \"" + partial + "\"";
      ok = false;
    }
  }
  std::error_code ec;
  if (ok) fs::rename(partial, zipPath, ec);
  if (ok && ec) *error = "cannot rename \"" + partial + "\": " + ec.message();
  if (!ok || ec) fs::remove(partial, ec);
  return ok && !ec;
}

bool measureFile(const std::string& path, uint64_t* size, uint32_t* crc, std::string* error) {
  ScopedFile in(std::fopen(path.c_str(), "rb"));
  if (!in) {
    *error = "cannot read \"" + path + "\"";
    return false;
  }
  std::vector<unsigned char> buffer(kChunk);
  uLong c = crc32(0, Z_NULL, 0);
  uint64_t total = 0;
  size_t got = 0;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), in.get())) > 0) {
    c = crc32(c, buffer.data(), static_cast<uInt>(got));
    total += got;
  }
  if (std::ferror(in.get())) {
    *error = "cannot read \"" + path + "\"";
    return false;
  }
  *size = total;
  *crc = static_cast<uint32_t>(c);
  return true;
}

bool readPackage(const std::string& path, LintInput* input, std::string* error) {
  input->fileName = fs::path(path).filename().string();
  input->entries.clear();
  std::unique_ptr<void, UnzCloser> zip(unzOpen64(path.c_str()));
  if (!zip) {
    *error = "\"" + path + "\" is not a zip archive the launcher can open";
    return false;
  }
  unzFile z = static_cast<unzFile>(zip.get());
  int step = unzGoToFirstFile(z);
  while (step == UNZ_OK) {
    unz_file_info64 info{};
    // The launcher's name buffer: 256 bytes; a longer name is flagged from
    // the size minizip reports.
    char name[256];
    if (unzGetCurrentFileInfo64(z, &info, name, sizeof(name), nullptr, 0, nullptr, 0) != UNZ_OK) {
      input->directoryDamaged = true;
      break;
    }
    ArchiveEntry entry;
    entry.name.assign(name, std::min<size_t>(info.size_filename, sizeof(name) - 1));
    if (info.size_filename >= sizeof(name)) entry.name.append(info.size_filename - entry.name.size(), '?');
    entry.utf8 = (info.flag & kUtf8NameFlag) != 0;
    entry.uncompressedSize = info.uncompressed_size;
    if (entry.name == "Kx/kxmain.exe") {
      std::string bytes;
      if (readWhole(z, info.uncompressed_size, kMaxGameExeBytes, &bytes))
        input->gameExeSignature = readEmbeddedSignature(
            reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
      else
        input->gameExeSignature = EmbeddedSignature{EmbeddedSignatureStatus::kNotExecutable, {}};
    } else if (entry.name == "Kx/version.ini") {
      std::string bytes;
      if (readWhole(z, info.uncompressed_size, kMaxVersionIniBytes, &bytes))
        input->versionIni = bytes;
    }
    input->entries.push_back(std::move(entry));
    step = unzGoToNextFile(z);
  }
  if (step != UNZ_OK && step != UNZ_END_OF_LIST_OF_FILE) input->directoryDamaged = true;
  return true;
}

}  // namespace kx::pack
