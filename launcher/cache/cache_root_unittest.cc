#include "launcher/cache/cache_root.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "launcher/cache/cache_layout.h"

namespace kx::launcher {
namespace {

constexpr uint64_t kMiB = 1024ULL * 1024;
constexpr uint64_t kGiB = 1024 * kMiB;
constexpr std::optional<uint64_t> kQueryFails = std::nullopt;

struct Drive {
  std::wstring root;
  bool fixed;
  std::optional<uint64_t> free;
};

class FakeDrives : public DriveSystem {
 public:
  std::vector<Drive> drives;
  std::set<std::wstring> existing;
  WindowsFolder windowsResult = WindowsFolder::kFound;
  std::wstring windows = L"C:\\Windows";
  std::set<std::wstring> uncreatable;
  std::vector<std::wstring> created;
  std::vector<std::wstring> queried;

  std::vector<std::wstring> logicalDrives() override {
    std::vector<std::wstring> roots;
    for (const Drive& d : drives) roots.push_back(d.root);
    return roots;
  }
  bool isFixedDrive(const std::wstring& root) override {
    for (const Drive& d : drives) {
      if (d.root == root) return d.fixed;
    }
    return false;
  }
  bool exists(const std::wstring& path) override { return existing.count(path) != 0; }
  WindowsFolder windowsFolder(std::wstring& path) override {
    if (windowsResult == WindowsFolder::kFound) path = windows;
    return windowsResult;
  }
  std::optional<uint64_t> freeBytes(const std::wstring& root) override {
    queried.push_back(root);
    for (const Drive& d : drives) {
      if (d.root == root) return d.free;
    }
    return std::nullopt;
  }
  bool makeDirectories(const std::wstring& path) override {
    if (uncreatable.count(path)) return false;
    created.push_back(path);
    return true;
  }
};

struct Case {
  const char* name;
  std::vector<Drive> drives;
  std::set<std::wstring> existing;
  std::wstring givenRoot;
  std::set<std::wstring> uncreatable;
  bool ok;
  std::wstring root;
  std::wstring error;
  std::vector<std::wstring> created;
};

TEST(ChooseCacheRootTest, Table) {
  const std::wstring cRoot = L"C:\\Corvane\\KxWeb";
  const std::wstring dRoot = L"D:\\Corvane\\KxWeb";
  const std::wstring eRoot = L"E:\\Corvane\\KxWeb";
  const Case cases[] = {
      {"existing cache on D: wins over a roomier C:",
       {{L"C:\\", true, 500 * kGiB}, {L"D:\\", true, 1 * kGiB}}, {dRoot}, L"", {},
       true, dRoot, L"", {}},
      {"existing cache on a removable drive is not looked at",
       {{L"C:\\", true, 10 * kGiB}, {L"F:\\", false, 100 * kGiB}}, {L"F:\\Corvane\\KxWeb"}, L"", {},
       true, cRoot, L"", {cRoot}},
      {"given root that does not exist stays and is not created",
       {{L"C:\\", true, 100 * kGiB}}, {}, L"X:\\games\\kx", {},
       true, L"X:\\games\\kx", L"", {}},
      {"only the system drive with 10 GiB: held back, then the fallback",
       {{L"C:\\", true, 10 * kGiB}}, {}, L"", {},
       true, cRoot, L"", {cRoot}},
      {"system drive between the thresholds is an ordinary candidate",
       {{L"C:\\", true, 1536 * kMiB}, {L"D:\\", true, 1 * kGiB}}, {}, L"", {},
       true, cRoot, L"", {cRoot}},
      {"the scan stops at the first drive above 50 GiB",
       {{L"C:\\", true, 100 * kGiB}, {L"D:\\", true, 900 * kMiB}, {L"E:\\", true, 60 * kGiB},
        {L"F:\\", true, 200 * kGiB}}, {}, L"", {},
       true, eRoot, L"", {eRoot}},
      {"a tie keeps the earlier drive",
       {{L"D:\\", true, 5 * kGiB}, {L"E:\\", true, 5 * kGiB}}, {}, L"", {},
       true, dRoot, L"", {dRoot}},
      {"exactly 800 MiB is not a candidate",
       {{L"D:\\", true, 838860800}}, {}, L"", {},
       false, L"", kNotEnoughSpaceText, {}},
      {"one byte above 800 MiB is",
       {{L"D:\\", true, 838860801}}, {}, L"", {},
       true, dRoot, L"", {dRoot}},
      {"a failed query stands for the previous drive's value",
       {{L"C:\\", true, 100 * kGiB}, {L"D:\\", true, kQueryFails}}, {}, L"", {},
       true, dRoot, L"", {dRoot}},
      {"a failed query on the first drive reads as 0",
       {{L"D:\\", true, kQueryFails}}, {}, L"", {},
       false, L"", kNotEnoughSpaceText, {}},
      {"chosen drive cannot be created: the held-back system drive",
       {{L"C:\\", true, 10 * kGiB}, {L"D:\\", true, 5 * kGiB}}, {}, L"", {dRoot},
       true, cRoot, L"", {cRoot}},
      {"chosen drive cannot be created and nothing held back",
       {{L"C:\\", true, 1 * kGiB}, {L"D:\\", true, 5 * kGiB}}, {}, L"", {dRoot},
       false, L"", kNotEnoughSpaceText, {}},
      {"held-back system drive cannot be created",
       {{L"C:\\", true, 10 * kGiB}}, {}, L"", {cRoot},
       false, L"", kCreateCacheFailedText, {}},
      {"an existing cache wins over a given root that does not exist",
       {{L"C:\\", true, 100 * kGiB}, {L"D:\\", true, 1 * kGiB}}, {dRoot}, L"X:\\games\\kx", {},
       true, dRoot, L"", {}},
      {"system drive with exactly 2 GiB is an ordinary candidate",
       {{L"C:\\", true, 2147483648}, {L"D:\\", true, 2147483647}}, {}, L"", {},
       true, cRoot, L"", {cRoot}},
      {"system drive one byte above 2 GiB is held back",
       {{L"C:\\", true, 2147483649}, {L"D:\\", true, 2147483647}}, {}, L"", {},
       true, dRoot, L"", {dRoot}},
      {"exactly 50 GiB does not stop the scan",
       {{L"D:\\", true, 53687091200}, {L"E:\\", true, 53687091201}}, {}, L"", {},
       true, eRoot, L"", {eRoot}},
      {"one byte above 50 GiB stops it",
       {{L"D:\\", true, 53687091201}, {L"E:\\", true, 60 * kGiB}}, {}, L"", {},
       true, dRoot, L"", {dRoot}},
      {"no fixed drive at all",
       {{L"A:\\", false, 10 * kGiB}}, {}, L"", {},
       false, L"", kNotEnoughSpaceText, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeDrives drives;
    drives.drives = c.drives;
    drives.existing = c.existing;
    drives.uncreatable = c.uncreatable;
    LauncherState state;
    state.WEB_KX_DIR_PATH = c.givenRoot;
    EXPECT_EQ(chooseCacheRoot(drives, state), c.ok);
    EXPECT_EQ(state.WEB_KX_DIR_PATH, c.root);
    EXPECT_EQ(state.errorText, c.error);
    EXPECT_EQ(drives.created, c.created);
  }
}

TEST(ChooseCacheRootTest, ExistingCacheNeedsNoSpaceQuery) {
  FakeDrives drives;
  drives.drives = {{L"C:\\", true, 500 * kGiB}, {L"D:\\", true, 1 * kGiB}};
  drives.existing = {L"D:\\Corvane\\KxWeb"};
  drives.windowsResult = DriveSystem::WindowsFolder::kNotLocated;
  LauncherState state;
  EXPECT_TRUE(chooseCacheRoot(drives, state));
  EXPECT_TRUE(drives.queried.empty());
}

TEST(ChooseCacheRootTest, ScanStopsAfterFiftyGiB) {
  FakeDrives drives;
  drives.drives = {{L"D:\\", true, 60 * kGiB}, {L"E:\\", true, 100 * kGiB}};
  LauncherState state;
  EXPECT_TRUE(chooseCacheRoot(drives, state));
  EXPECT_EQ(drives.queried, std::vector<std::wstring>{L"D:\\"});
  EXPECT_EQ(state.WEB_KX_DIR_PATH, L"D:\\Corvane\\KxWeb");
}

TEST(ChooseCacheRootTest, WindowsFolderOutcomes) {
  {
    FakeDrives drives;
    drives.drives = {{L"C:\\", true, 10 * kGiB}};
    drives.windowsResult = DriveSystem::WindowsFolder::kNotLocated;
    LauncherState state;
    EXPECT_FALSE(chooseCacheRoot(drives, state));
    EXPECT_EQ(state.errorText, kNoSystemDriveText);
    EXPECT_TRUE(state.WEB_KX_DIR_PATH.empty());
  }
  {
    // Without the shell allocator no drive counts as the system drive.
    FakeDrives drives;
    drives.drives = {{L"C:\\", true, 10 * kGiB}, {L"D:\\", true, 5 * kGiB}};
    drives.windowsResult = DriveSystem::WindowsFolder::kNoAllocator;
    LauncherState state;
    EXPECT_TRUE(chooseCacheRoot(drives, state));
    EXPECT_EQ(state.WEB_KX_DIR_PATH, L"C:\\Corvane\\KxWeb");
  }
  {
    // The system root compares case-sensitively.
    FakeDrives drives;
    drives.drives = {{L"C:\\", true, 10 * kGiB}, {L"D:\\", true, 5 * kGiB}};
    drives.windows = L"c:\\windows";
    LauncherState state;
    EXPECT_TRUE(chooseCacheRoot(drives, state));
    EXPECT_EQ(state.WEB_KX_DIR_PATH, L"C:\\Corvane\\KxWeb");
  }
}

TEST(SystemRootTest, UpToFirstColonBackslash) {
  EXPECT_EQ(systemRootOf(L"C:\\Windows"), L"C:\\");
  EXPECT_EQ(systemRootOf(L"D:\\"), L"D:\\");
  EXPECT_EQ(systemRootOf(L"Windows"), L"");
  EXPECT_EQ(systemRootOf(L"C:/Windows"), L"");
}

TEST(CacheLayoutTest, PathsFromFixedNames) {
  EXPECT_EQ(cacheRootOnDrive(L"D:\\"), L"D:\\Corvane\\KxWeb");
  EXPECT_EQ(cacheRootOnDrive(L"D:"), L"D:\\Corvane\\KxWeb");
  EXPECT_EQ(gameDirOf(L"D:\\Corvane\\KxWeb"), L"D:\\Corvane\\KxWeb\\Kx");
  EXPECT_EQ(downloadDirOf(L"D:/games/"), L"D:\\games\\KxDownload");
  const GameDirLayout l(L"D:\\c\\Kx");
  EXPECT_EQ(l.hashRes(), L"D:\\c\\Kx\\HashRes");
  EXPECT_EQ(l.pkres(), L"D:\\c\\Kx\\Documents\\pkres");
  EXPECT_EQ(l.subver(), L"D:\\c\\Kx\\Documents\\subver");
  EXPECT_EQ(l.patchCache(), L"D:\\c\\Kx\\Documents\\patch_cache");
  EXPECT_EQ(l.backup(), L"D:\\c\\Kx\\Backup");
  EXPECT_EQ(l.backupTemp(), L"D:\\c\\Kx\\backuptemp");
  EXPECT_EQ(l.versionIni(), L"D:\\c\\Kx\\version.ini");
  EXPECT_EQ(l.finDownload(), L"D:\\c\\Kx\\findownload.dat");
  EXPECT_EQ(l.backupManifest(), L"D:\\c\\Kx\\Backup\\checkinfo.lst");
  EXPECT_EQ(l.gameExe(), L"D:\\c\\Kx\\kxmain.exe");
  EXPECT_EQ(l.engineDll(), L"D:\\c\\Kx\\kxmain.dll");
}

}  // namespace
}  // namespace kx::launcher
