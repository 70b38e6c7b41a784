// cocos2d::ZipFile over minizip with native files.

#include "launcher/package/zip_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>
#include <vector>

#include "launcher/package/zip_file_posix.h"
#include "launcher/package/zip_file_test_writer.h"

namespace cocos2d {
namespace {

using testing::makeTestZip;
using testing::TestZipEntry;
namespace fs = std::filesystem;

std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void writeFile(const fs::path& p, const std::string& data) {
  std::ofstream(p, std::ios::binary) << data;
}

std::string pattern(size_t n) {
  std::string s(n, '\0');
  uint32_t x = 12345;
  for (size_t i = 0; i < n; ++i) {
    x = x * 1103515245u + 12345u;
    s[i] = static_cast<char>((i % 7 == 0) ? (x >> 24) : 'a' + (i % 13));
  }
  return s;
}

class ZipFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/kx_zip_file_XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(tmpl));
    root_ = tmpl;
    target_ = root_ / "T";
    fs::create_directory(target_);
  }
  void TearDown() override { fs::remove_all(root_); }

  // Writes the archive, loads it and extracts into |target|.
  bool extract(const std::string& zipBytes, const std::string& target) {
    writeFile(root_ / "p.zip", zipBytes);
    ZipFile zip(openPosixZipFileSource((root_ / "p.zip").string()));
    zip.loadEntryList("");
    PosixZipFileTarget out(target);
    return zip.extractAllTo(out, [this](int r, int w, int t) { calls_.emplace_back(r, w, t); });
  }

  fs::path root_, target_;
  std::vector<std::tuple<int, int, int>> calls_;
};

TEST_F(ZipFileTest, FolderEntryThenFilesCallsBackOnceAtTheEnd) {
  const std::string zip = makeTestZip({{"top.txt", "top"}, {"data/", ""}, {"data/a.bin", "abc"}});
  for (const std::string& t : {target_.string(), target_.string() + "/"}) {
    calls_.clear();
    EXPECT_TRUE(extract(zip, t)) << t;
    EXPECT_TRUE(fs::is_directory(target_ / "data"));
    EXPECT_EQ("abc", readFile(target_ / "data" / "a.bin"));
    EXPECT_EQ("top", readFile(target_ / "top.txt"));
    ASSERT_EQ(1u, calls_.size());
    EXPECT_EQ(std::make_tuple(0, 2, 2), calls_[0]);
  }
}

TEST_F(ZipFileTest, FileWithoutFolderEntryFailsButOthersAreWritten) {
  EXPECT_FALSE(extract(makeTestZip({{"data/a.bin", "abc"}, {"top.txt", "top"}}), target_.string()));
  EXPECT_FALSE(fs::exists(target_ / "data"));
  EXPECT_EQ("top", readFile(target_ / "top.txt"));
  EXPECT_TRUE(calls_.empty());
}

TEST_F(ZipFileTest, ExistingFileIsReplacedOthersLeftAlone) {
  writeFile(target_ / "top.txt", "an older and much longer version");
  writeFile(target_ / "mine.txt", "keep");
  EXPECT_TRUE(extract(makeTestZip({{"top.txt", "new"}}), target_.string()));
  EXPECT_EQ("new", readFile(target_ / "top.txt"));
  EXPECT_EQ("keep", readFile(target_ / "mine.txt"));
}

TEST_F(ZipFileTest, EmptyArchiveSucceedsWithoutCallback) {
  EXPECT_TRUE(extract(makeTestZip({}), target_.string()));
  EXPECT_TRUE(calls_.empty());
}

TEST_F(ZipFileTest, NonArchiveAndMissingFileFail) {
  writeFile(root_ / "junk.zip", "this is not a zip archive at all");
  for (const fs::path& p : {root_ / "junk.zip", root_ / "missing.zip"}) {
    ZipFile zip(openPosixZipFileSource(p.string()));
    EXPECT_FALSE(zip.isOpen());
    EXPECT_FALSE(zip.loadEntryList(""));
    PosixZipFileTarget out(target_.string());
    EXPECT_FALSE(zip.extractAllTo(out, nullptr));
  }
}

TEST_F(ZipFileTest, EntriesLeavingTheTargetAreRefused) {
  const std::string zip = makeTestZip({{"../evil.txt", "x"},
                                       {"sub/", ""},
                                       {"sub/../../evil2.txt", "x"},
                                       {"../evilfolder/", ""},
                                       {"ok.txt", "ok"}});
  EXPECT_FALSE(extract(zip, target_.string()));
  EXPECT_FALSE(fs::exists(root_ / "evil.txt"));
  EXPECT_FALSE(fs::exists(root_ / "evil2.txt"));
  EXPECT_FALSE(fs::exists(root_ / "evilfolder"));
  EXPECT_EQ("ok", readFile(target_ / "ok.txt"));
  EXPECT_TRUE(calls_.empty());
}

TEST_F(ZipFileTest, DamagedEntryFailsAndLeavesNoFile) {
  const struct {
    const char* what;
    TestZipEntry bad;
  } cases[] = {
      {"crc deflated", {"bad.bin", pattern(300000), true, false, true}},
      {"crc stored", {"bad.bin", pattern(1000), false, false, true}},
      {"short deflated", {"bad.bin", pattern(5000), true, false, false, 100}},
      {"short stored", {"bad.bin", pattern(5000), false, false, false, 100}},
  };
  for (const auto& c : cases) {
    calls_.clear();
    writeFile(target_ / "bad.bin", "old");
    EXPECT_FALSE(extract(makeTestZip({c.bad, {"good.txt", "good"}}), target_.string())) << c.what;
    EXPECT_FALSE(fs::exists(target_ / "bad.bin")) << c.what;
    EXPECT_EQ("good", readFile(target_ / "good.txt")) << c.what;
    EXPECT_TRUE(calls_.empty()) << c.what;
  }
}

TEST_F(ZipFileTest, LargeEntriesStreamInPiecesUnchanged) {
  const std::string big = pattern(3 * 256 * 1024 + 17);
  const std::string zip = makeTestZip({{"d.bin", big, true}, {"s.bin", big, false}});
  EXPECT_TRUE(extract(zip, target_.string()));
  EXPECT_EQ(big, readFile(target_ / "d.bin"));
  EXPECT_EQ(big, readFile(target_ / "s.bin"));
}

TEST_F(ZipFileTest, ReadEntryDataAndPrefix) {
  writeFile(root_ / "p.zip",
            makeTestZip({{"a/x.txt", "xx"}, {"b/y.txt", "yy"}, {"a/bad", "zz", true, false, true}}));
  ZipFile zip(openPosixZipFileSource((root_ / "p.zip").string()));
  ASSERT_TRUE(zip.loadEntryList("a/"));
  EXPECT_EQ(2u, zip.entryCount());
  uint64_t size = 0;
  auto data = zip.readEntryData("a/x.txt", &size);
  ASSERT_NE(nullptr, data);
  EXPECT_EQ("xx", std::string(reinterpret_cast<char*>(data.get()), size));
  EXPECT_EQ(nullptr, zip.readEntryData("b/y.txt", &size));
  EXPECT_EQ(nullptr, zip.readEntryData("a/bad", &size));
  EXPECT_EQ(nullptr, zip.readEntryData("", &size));
}

TEST_F(ZipFileTest, LongEntryNameIsKeptWhole) {
  const std::string longName = std::string(250, 'n') + "/" + std::string(20, 'f');
  writeFile(root_ / "p.zip", makeTestZip({{longName, "v"}}));
  ZipFile zip(openPosixZipFileSource((root_ / "p.zip").string()));
  ASSERT_TRUE(zip.loadEntryList(""));
  uint64_t size = 0;
  EXPECT_NE(nullptr, zip.readEntryData(longName, &size));
}

}  // namespace
}  // namespace cocos2d
