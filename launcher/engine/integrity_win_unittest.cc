#include "launcher/engine/integrity_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "launcher/util/file_util_win.h"
#include "tests/support/test_tree_win.h"

namespace kx::launcher {
namespace {

using test::FileTree;
using test::TempTree;

const wchar_t* const kSamples[] = {
    L"HashRes\\A4\\B5E22B", L"HashRes\\29\\98F231", L"HashRes\\48\\02AFA8", L"HashRes\\2A\\0B96FE",
    L"HashRes\\49\\47FC7F", L"HashRes\\7F\\569D84", L"HashRes\\1D\\17CF03", L"HashRes\\89\\A334F0"};

TEST(CheckEnginePathTest, Table) {
  struct Case {
    const char* name;
    bool finDownload;
    bool samples;
    const wchar_t* missing;
    bool ok;
  } cases[] = {
      {"findownload.dat, no samples", true, false, nullptr, true},
      {"findownload.dat, no kxmain.exe", true, false, L"kxmain.exe", false},
      {"all ten", false, true, nullptr, true},
      {"one sample missing", false, true, L"HashRes\\7F\\569D84", false},
      {"no samples", false, false, nullptr, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempTree tree(L"enginepath");
    tree.write(L"kxmain.dll", "d");
    tree.write(L"kxmain.exe", "e");
    if (c.finDownload) tree.write(L"findownload.dat", "1.0.0\r\n");
    if (c.samples) {
      for (const wchar_t* s : kSamples) tree.write(s, "s");
    }
    if (c.missing) ASSERT_TRUE(DeleteFileW(tree.path(c.missing).c_str()));
    EXPECT_EQ(checkEnginePath(tree.root()), c.ok);
  }
}

TEST(EngineSnapshotTest, ExactNamesAndFilesOnly) {
  {
    TempTree tree(L"snapshot");
    tree.writeAll({{L"kxmain.dll", "dll"}, {L"version.ini", "1.0.0\r\n"}, {L"other.dll", "o"},
                   {L"HashRes\\x", "x"}});
    EXPECT_TRUE(saveEngineToHashRes(tree.root()));
    const FileTree t = tree.read();
    EXPECT_EQ(t.at(L"HashRes\\kxmain.dll"), "dll");
    EXPECT_EQ(t.at(L"HashRes\\version.ini"), "1.0.0\r\n");
    EXPECT_EQ(t.count(L"HashRes\\other.dll"), 0u);
  }
  {
    // A folder named kxmain.dll and an upper-case KXMAIN.DLL are not taken.
    TempTree tree(L"snapshot_names");
    ASSERT_TRUE(makeDirectories(tree.path(L"kxmain.dll"), false));
    tree.writeAll({{L"version.ini", "1.0.0\r\n"}, {L"HashRes\\x", "x"}});
    EXPECT_TRUE(saveEngineToHashRes(tree.root()));
    EXPECT_FALSE(fileExists(tree.path(L"HashRes\\kxmain.dll")));
    EXPECT_TRUE(fileExists(tree.path(L"HashRes\\version.ini")));
  }
  {
    TempTree tree(L"snapshot_case");
    tree.writeAll({{L"KXMAIN.DLL", "dll"}, {L"HashRes\\x", "x"}});
    EXPECT_TRUE(saveEngineToHashRes(tree.root()));
    EXPECT_EQ(tree.read(), (FileTree{{L"KXMAIN.DLL", "dll"}, {L"HashRes\\x", "x"}}));
  }
  {
    // No HashRes folder: nothing is created, still true.
    TempTree tree(L"snapshot_nohash");
    tree.write(L"kxmain.dll", "dll");
    EXPECT_TRUE(saveEngineToHashRes(tree.root()));
    EXPECT_FALSE(fileExists(tree.path(L"HashRes")));
  }
  {
    TempTree tree(L"restore");
    tree.writeAll({{L"kxmain.dll", "patched"}, {L"version.ini", "1.0.3\r\n"},
                   {L"HashRes\\kxmain.dll", "pristine"}, {L"HashRes\\version.ini", "1.0.0\r\n"},
                   {L"HashRes\\A4\\B5E22B", "s"}});
    EXPECT_TRUE(restoreEngineFromHashRes(tree.root()));
    const FileTree t = tree.read();
    EXPECT_EQ(t.at(L"kxmain.dll"), "pristine");
    EXPECT_EQ(t.at(L"version.ini"), "1.0.0\r\n");
    EXPECT_EQ(t.count(L"B5E22B"), 0u);
  }
}

TEST(CheckInfoListTest, WriteOnCloseReadVerify) {
  TempTree tree(L"checkinfo");
  tree.writeAll({{L"a.dll", "abc"}, {L"sub\\b.dll", "12345"}});
  const std::wstring list = tree.path(L"checkinfo.lst");
  {
    CheckInfoList manifest(list, tree.root(), CheckInfoList::Mode::kWrite);
    EXPECT_TRUE(manifest.add(L"a.dll"));
    EXPECT_TRUE(manifest.add(L"sub\\b.dll"));
    EXPECT_FALSE(manifest.add(L"missing.dll"));
    EXPECT_FALSE(manifest.verify());
    EXPECT_FALSE(fileExists(list));
  }
  EXPECT_EQ(tree.read().at(L"checkinfo.lst"), "a.dll 3\r\nsub\\b.dll 5\r\n");
  {
    CheckInfoList manifest(list, tree.root(), CheckInfoList::Mode::kRead);
    EXPECT_EQ(manifest.names(), (std::vector<std::wstring>{L"a.dll", L"sub\\b.dll"}));
    EXPECT_TRUE(manifest.verify());
    EXPECT_FALSE(manifest.add(L"a.dll"));
  }
  tree.write(L"a.dll", "abcd");
  EXPECT_FALSE(CheckInfoList(list, tree.root(), CheckInfoList::Mode::kRead).verify());
  EXPECT_FALSE(
      CheckInfoList(tree.path(L"none.lst"), tree.root(), CheckInfoList::Mode::kRead).verify());
  tree.write(L"empty.lst", "");
  EXPECT_FALSE(
      CheckInfoList(tree.path(L"empty.lst"), tree.root(), CheckInfoList::Mode::kRead).verify());
  // A name that points outside the folder never verifies, even if that file exists.
  tree.write(L"inner\\checkinfo.lst", "..\\a.dll 4\r\n");
  EXPECT_FALSE(CheckInfoList(tree.path(L"inner\\checkinfo.lst"), tree.path(L"inner"),
                             CheckInfoList::Mode::kRead)
                   .verify());
}

TEST(BackupFilesTest, CopiesExistingFilesAndWritesTheManifest) {
  {
    TempTree tree(L"backup");
    tree.writeAll({{L"Kx\\a.dll", "abc"}, {L"Kx\\res\\b.pak", "12"}});
    EXPECT_TRUE(backupFiles({L"a.dll", L"gone.dll", L"res\\b.pak"}, tree.path(L"Kx"),
                            tree.path(L"Backup")));
    const FileTree t = tree.read();
    EXPECT_EQ(t.at(L"Backup\\a.dll"), "abc");
    EXPECT_EQ(t.at(L"Backup\\res\\b.pak"), "12");
    EXPECT_EQ(t.at(L"Backup\\checkinfo.lst"), "a.dll 3\r\nres\\b.pak 2\r\n");
  }
  {
    // A copy that fails removes the backup folder; no manifest is left.
    TempTree tree(L"backup_fail");
    tree.writeAll({{L"Kx\\a.dll", "abc"}, {L"Kx\\b.dll", "b"}});
    ASSERT_TRUE(makeDirectories(tree.path(L"Backup\\b.dll"), false));
    EXPECT_FALSE(backupFiles({L"a.dll", L"b.dll"}, tree.path(L"Kx"), tree.path(L"Backup")));
    EXPECT_FALSE(fileExists(tree.path(L"Backup")));
  }
}

}  // namespace
}  // namespace kx::launcher
