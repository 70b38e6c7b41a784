#include "launcher/package/zip_file_test_writer.h"

#include <zlib.h>

namespace cocos2d::testing {
namespace {

void put16(std::string& s, uint32_t v) {
  s.push_back(static_cast<char>(v & 0xff));
  s.push_back(static_cast<char>((v >> 8) & 0xff));
}
void put32(std::string& s, uint32_t v) {
  put16(s, v & 0xffff);
  put16(s, v >> 16);
}

std::string rawDeflate(const std::string& in) {
  z_stream z = {};
  deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, static_cast<uLong>(in.size())) + 16, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

}  // namespace

std::string makeTestZip(const std::vector<TestZipEntry>& entries) {
  std::string zip, central;
  for (const TestZipEntry& e : entries) {
    const bool deflate = e.deflate && !e.data.empty();
    std::string stored = deflate ? rawDeflate(e.data) : e.data;
    uint32_t crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), static_cast<uInt>(e.data.size())));
    if (e.badCrc) crc ^= 0x5a5a5a5a;
    const uint32_t flags = e.utf8Name ? (1u << 11) : 0;
    const uint32_t method = deflate ? 8 : 0;
    const uint32_t offset = static_cast<uint32_t>(zip.size());

    put32(zip, 0x04034b50);
    put16(zip, 20);
    put16(zip, flags);
    put16(zip, method);
    put16(zip, 0);
    put16(zip, 0x21);
    put32(zip, crc);
    put32(zip, static_cast<uint32_t>(stored.size()));
    put32(zip, static_cast<uint32_t>(e.data.size()) + e.declaredExtra);
    put16(zip, static_cast<uint32_t>(e.name.size()));
    put16(zip, 0);
    zip += e.name;
    zip += stored;

    put32(central, 0x02014b50);
    put16(central, 20);
    put16(central, 20);
    put16(central, flags);
    put16(central, method);
    put16(central, 0);
    put16(central, 0x21);
    put32(central, crc);
    put32(central, static_cast<uint32_t>(stored.size()));
    put32(central, static_cast<uint32_t>(e.data.size()) + e.declaredExtra);
    put16(central, static_cast<uint32_t>(e.name.size()));
    put16(central, 0);
    put16(central, 0);
    put16(central, 0);
    put16(central, 0);
    put32(central, 0);
    put32(central, offset);
    central += e.name;
  }
  const uint32_t centralOffset = static_cast<uint32_t>(zip.size());
  zip += central;
  put32(zip, 0x06054b50);
  put16(zip, 0);
  put16(zip, 0);
  put16(zip, static_cast<uint32_t>(entries.size()));
  put16(zip, static_cast<uint32_t>(entries.size()));
  put32(zip, static_cast<uint32_t>(central.size()));
  put32(zip, centralOffset);
  put16(zip, 0);
  return zip;
}

}  // namespace cocos2d::testing
