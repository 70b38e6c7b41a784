#ifndef KX_LAUNCHER_PACKAGE_ZIP_FILE_TEST_WRITER_H_
#define KX_LAUNCHER_PACKAGE_ZIP_FILE_TEST_WRITER_H_

// Builds small zip archives in memory for tests, including broken ones.

#include <cstdint>
#include <string>
#include <vector>

namespace cocos2d::testing {

struct TestZipEntry {
  std::string name;
  std::string data;
  bool deflate = true;
  bool utf8Name = false;
  bool badCrc = false;  // stores a wrong checksum
  uint32_t declaredExtra = 0;  // declares more uncompressed bytes than there are
};

// An archive with |entries| in this order (folder entries: names ending in '/').
std::string makeTestZip(const std::vector<TestZipEntry>& entries);

}  // namespace cocos2d::testing

#endif  // KX_LAUNCHER_PACKAGE_ZIP_FILE_TEST_WRITER_H_
