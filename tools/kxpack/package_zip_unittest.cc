#include "tools/kxpack/package_zip.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "launcher/package/zip_file.h"
#include "launcher/package/zip_file_posix.h"
#include "launcher/package/zip_file_test_writer.h"
#include "tests/support/signed_image.h"

namespace kx::pack {
namespace {

namespace fs = std::filesystem;

class PackageZipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("kxpack-" + std::to_string(getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "game");
    fs::create_directories(root_ / "out");
  }
  void TearDown() override { fs::remove_all(root_); }

  void write(const fs::path& rel, const std::string& bytes) {
    fs::create_directories((root_ / "game" / rel).parent_path());
    std::ofstream(root_ / "game" / rel, std::ios::binary) << bytes;
  }

  // Every file below |dir| with its bytes, folders as "<dir>".
  static std::map<std::string, std::string> tree(const fs::path& dir) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
      const std::string rel = e.path().lexically_relative(dir).generic_string();
      if (e.is_directory()) {
        out[rel] = "<dir>";
      } else {
        std::ifstream in(e.path(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        out[rel] = s.str();
      }
    }
    return out;
  }

  void writeSampleGame(const std::string& gameExe) {
    write("kxmain.exe", gameExe);
    write("kxmain.dll", "engine");
    write("version.ini", "1.0.5\r\n");
    for (const char* s : {"A4/B5E22B", "29/98F231", "48/02AFA8", "2A/0B96FE", "49/47FC7F",
                          "7F/569D84", "1D/17CF03", "89/A334F0"})
      write(fs::path("HashRes") / s, s);
    std::string big(300000, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 7919) >> 3);
    write("res/deep/er/big.bin", big);
    write("\xE5\x9B\xBE/\xE7\x89\x87.txt", "utf-8 names");
    fs::create_directories(root_ / "game" / "empty");
  }

  std::string pack(int level) {
    std::vector<GameItem> items;
    std::vector<PackageEntry> entries;
    std::string error;
    EXPECT_TRUE(listGameFolder((root_ / "game").string(), &items, &error)) << error;
    EXPECT_TRUE(planPackageEntries(items, &entries, &error)) << error;
    const std::string zip = (root_ / "out" / "KX-1.0.5.zip").string();
    EXPECT_TRUE(writePackage((root_ / "game").string(), entries, zip, level, &error)) << error;
    return zip;
  }

  fs::path root_;
};

TEST_F(PackageZipTest, TheLaunchersReaderUnpacksWhatPackWrote) {
  writeSampleGame(kx::testing::imageSignedBy("Corvane Network Co. Ltd."));
  for (const int level : {0, 6}) {
    SCOPED_TRACE(level);
    const std::string zip = pack(level);
    EXPECT_FALSE(fs::exists(zip + ".part"));
    const fs::path target = root_ / ("unpacked" + std::to_string(level));
    fs::create_directories(target);
    cocos2d::ZipFile file(cocos2d::openPosixZipFileSource(zip));
    ASSERT_TRUE(file.isOpen());
    ASSERT_TRUE(file.loadEntryList(""));
    cocos2d::PosixZipFileTarget out(target.string());
    int calls = 0;
    EXPECT_TRUE(file.extractAllTo(out, [&](int, int, int) { ++calls; }));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(tree(target / "Kx"), tree(root_ / "game"));
  }
}

TEST_F(PackageZipTest, ReadBackForTheLintWithTheSignerOfTheGameClient) {
  struct Case {
    const char* label;
    std::string gameExe;
    EmbeddedSignatureStatus status;
    std::string signer;
  } cases[] = {
      {"Corvane", kx::testing::imageSignedBy("Corvane Network Co. Ltd."),
       EmbeddedSignatureStatus::kSigned, "Corvane Network Co. Ltd."},
      {"other", kx::testing::imageSignedBy("Mallory Games"), EmbeddedSignatureStatus::kSigned,
       "Mallory Games"},
      {"unsigned", kx::testing::peImage(false, ""), EmbeddedSignatureStatus::kUnsigned, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    writeSampleGame(c.gameExe);
    LintInput in;
    std::string error;
    ASSERT_TRUE(readPackage(pack(6), &in, &error)) << error;
    EXPECT_EQ(in.fileName, "KX-1.0.5.zip");
    ASSERT_TRUE(in.gameExeSignature);
    EXPECT_EQ(in.gameExeSignature->status, c.status);
    EXPECT_EQ(in.gameExeSignature->signerName, c.signer);
    EXPECT_EQ(in.versionIni, std::optional<std::string>("1.0.5\r\n"));
    in.apkver = "1.0.5";
    EXPECT_EQ(lintPackage(in).size(), c.signer == "Corvane Network Co. Ltd." ? 0u : 1u);
    bool utf8Flagged = false;
    for (const ArchiveEntry& e : in.entries)
      utf8Flagged |= e.name == "Kx/\xE5\x9B\xBE/\xE7\x89\x87.txt" && e.utf8;
    EXPECT_TRUE(utf8Flagged);
  }
}

TEST_F(PackageZipTest, ReadsLongNamesAsTheLauncherWouldAndRefusesNonArchives) {
  const std::string longName = "Kx/" + std::string(300, 'L');
  std::ofstream(root_ / "out" / "KX-1.0.0.zip", std::ios::binary)
      << cocos2d::testing::makeTestZip({{"Kx/", ""}, {longName, "x"}});
  LintInput in;
  std::string error;
  ASSERT_TRUE(readPackage((root_ / "out" / "KX-1.0.0.zip").string(), &in, &error)) << error;
  ASSERT_EQ(in.entries.size(), 2u);
  EXPECT_EQ(in.entries[1].name.size(), 303u);
  EXPECT_EQ(in.entries[1].name.substr(0, 255), longName.substr(0, 255));

  std::ofstream(root_ / "out" / "notzip.zip", std::ios::binary) << "PK but not really";
  EXPECT_FALSE(readPackage((root_ / "out" / "notzip.zip").string(), &in, &error));
  EXPECT_NE(error.find("not a zip archive"), std::string::npos);
}

TEST_F(PackageZipTest, RefusesLinksInTheGameFolder) {
  write("real.txt", "x");
  fs::create_symlink(root_ / "game" / "real.txt", root_ / "game" / "link.txt");
  std::vector<GameItem> items;
  std::string error;
  EXPECT_FALSE(listGameFolder((root_ / "game").string(), &items, &error));
  EXPECT_NE(error.find("link.txt"), std::string::npos);
}

}  // namespace
}  // namespace kx::pack
