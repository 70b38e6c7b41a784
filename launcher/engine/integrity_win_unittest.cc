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

// The names of |folder| in the order the file system lists them.
std::vector<std::wstring> listingOrder(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*.*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return names;
}

// The first copy that fails ends the snapshot: the name listed after it is
// not copied either. A folder in the way makes the copy fail.
TEST(EngineSnapshotTest, StopsAtTheFirstFailedCopy) {
  TempTree tree(L"snapshot_stop");
  tree.writeAll({{L"kxmain.dll", "dll"}, {L"version.ini", "1.0.0\r\n"}});
  std::vector<std::wstring> order;
  for (const std::wstring& name : listingOrder(tree.root())) {
    if (name == L"kxmain.dll" || name == L"version.ini") order.push_back(name);
  }
  ASSERT_EQ(order.size(), 2u);
  ASSERT_TRUE(makeDirectories(tree.path(L"HashRes\\" + order[0]), false));
  EXPECT_TRUE(saveEngineToHashRes(tree.root()));
  EXPECT_FALSE(fileExists(tree.path(L"HashRes\\" + order[1])));
  // With the first name out of the way both are copied.
  ASSERT_TRUE(RemoveDirectoryW(tree.path(L"HashRes\\" + order[0]).c_str()));
  EXPECT_TRUE(saveEngineToHashRes(tree.root()));
  EXPECT_TRUE(fileExists(tree.path(L"HashRes\\" + order[1])));
}

TEST(CheckInfoListTest, WriteReadVerify) {
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
    EXPECT_TRUE(manifest.write());
  }
  EXPECT_EQ(tree.read().at(L"checkinfo.lst"), "a.dll 3\r\nsub\\b.dll 5\r\n");
  // Only write() writes: a manifest that goes away unwritten leaves no file.
  { CheckInfoList(tree.path(L"unwritten.lst"), tree.root(), CheckInfoList::Mode::kWrite); }
  EXPECT_FALSE(fileExists(tree.path(L"unwritten.lst")));
  // A file that cannot be created is a failed write.
  EXPECT_FALSE(CheckInfoList(tree.path(L"no\\such\\checkinfo.lst"), tree.root(),
                             CheckInfoList::Mode::kWrite).write());
  {
    CheckInfoList manifest(list, tree.root(), CheckInfoList::Mode::kRead);
    EXPECT_EQ(manifest.names(), (std::vector<std::wstring>{L"a.dll", L"sub\\b.dll"}));
    EXPECT_TRUE(manifest.verify());
    EXPECT_FALSE(manifest.emptyFile());
    EXPECT_FALSE(manifest.add(L"a.dll"));
    EXPECT_FALSE(manifest.write());
  }
  tree.write(L"a.dll", "abcd");
  EXPECT_FALSE(CheckInfoList(list, tree.root(), CheckInfoList::Mode::kRead).verify());
  EXPECT_FALSE(
      CheckInfoList(tree.path(L"none.lst"), tree.root(), CheckInfoList::Mode::kRead).verify());
  tree.write(L"empty.lst", "");
  EXPECT_FALSE(
      CheckInfoList(tree.path(L"empty.lst"), tree.root(), CheckInfoList::Mode::kRead).verify());
  // Empty means zero bytes: a line ending or a zero byte is not an empty file.
  struct EmptyCase {
    const char* bytes;
    size_t size;
    bool empty;
  };
  const EmptyCase emptyCases[] = {{"", 0, true}, {"\r\n", 2, false}, {"\0", 1, false}};
  for (const EmptyCase& c : emptyCases) {
    SCOPED_TRACE(c.size);
    tree.write(L"e.lst", std::string(c.bytes, c.size));
    EXPECT_EQ(CheckInfoList(tree.path(L"e.lst"), tree.root(), CheckInfoList::Mode::kRead)
                  .emptyFile(), c.empty);
  }
  EXPECT_FALSE(
      CheckInfoList(tree.path(L"none.lst"), tree.root(), CheckInfoList::Mode::kRead).emptyFile());
  // A line for a file that is not there never verifies, not even with size 0.
  tree.write(L"gone.lst", "gone.dll 0\r\n");
  EXPECT_FALSE(
      CheckInfoList(tree.path(L"gone.lst"), tree.root(), CheckInfoList::Mode::kRead).verify());
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
    // None of the names exists: an empty manifest, the mark of a backup of nothing.
    TempTree tree(L"backup_none");
    tree.writeAll({{L"Kx\\a.dll", "abc"}});
    ASSERT_TRUE(makeDirectories(tree.path(L"Backup"), false));
    EXPECT_TRUE(backupFiles({L"new.dll"}, tree.path(L"Kx"), tree.path(L"Backup")));
    EXPECT_EQ(tree.read(), (FileTree{{L"Kx\\a.dll", "abc"}, {L"Backup\\checkinfo.lst", ""}}));
  }
  {
    // The manifest cannot be created (a folder of its name is in the way):
    // the backup fails and is removed.
    TempTree tree(L"backup_nolist");
    tree.writeAll({{L"Kx\\checkinfo.lst\\a.dll", "abc"}});
    EXPECT_FALSE(backupFiles({L"checkinfo.lst\\a.dll"}, tree.path(L"Kx"), tree.path(L"Backup")));
    EXPECT_FALSE(fileExists(tree.path(L"Backup")));
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
