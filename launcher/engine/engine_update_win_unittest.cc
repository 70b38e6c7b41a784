#include "launcher/engine/engine_update_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "launcher/util/file_util_win.h"
#include "tests/support/hooked_clock.h"
#include "tests/support/test_process_win.h"
#include "tests/support/test_tree_win.h"

namespace kx::launcher {
namespace {

using test::FileTree;
using test::TempTree;

std::string dump(const FileTree& tree) {
  std::string out;
  for (const auto& [rel, bytes] : tree) {
    for (wchar_t c : rel) out += static_cast<char>(c < 128 ? c : '?');
    out += " = [" + bytes + "]\n";
  }
  return out;
}

struct UpdateCase {
  const char* name;
  FileTree before;
  bool ok;
  std::wstring error;
  FileTree after;  // the whole game directory afterwards
};

const std::string kPkres250 = "2.5.0\r\na.dll 2.4.3 x\r\nb.dll 2.5.0 x\r\n";
const std::string kSubver252 =
    "2.5.2\r\nkxmain.dll 2.5.1 x\r\nres\\new.pak 2.5.2 x\r\nskip.dll 2.5.2\r\n";
const std::string kSubver253 = "2.5.3\nkxmain.dll 2.5.1 x\nother.dll 2.5.3 x\n";
const std::string kFive = "2.5.0\nf1 2.5.0 x\nf2 2.5.0 x\nf3 2.5.0 x\nf4 2.5.0 x\nf5 2.5.0 x\n";

FileTree with(FileTree tree, const FileTree& changes) {
  for (const auto& [rel, bytes] : changes) tree[rel] = bytes;
  return tree;
}

FileTree without(FileTree tree, const std::vector<std::wstring>& names) {
  for (const std::wstring& rel : names) tree.erase(rel);
  return tree;
}

TEST(EngineUpdateTest, Table) {
  const FileTree pkresBefore = {{L"version.ini", "2.4.0\n"},
                                {L"a.dll", "oldA"},
                                {L"b.dll", "oldB"},
                                {L"Documents\\pkres\\version.ini", kPkres250},
                                {L"Documents\\pkres\\a.dll", "newA"},
                                {L"Documents\\pkres\\b.dll", "newB"}};
  const FileTree subBefore = {{L"version.ini", "2.5.0\r\n"},
                              {L"kxmain.dll", "dll250"},
                              {L"Documents\\subver\\version.ini", kSubver252},
                              {L"Documents\\subver\\kxmain.dll", "dll252"},
                              {L"Documents\\subver\\res\\new.pak", "pak"},
                              {L"Documents\\subver\\skip.dll", "s"}};
  const FileTree sub253Before = {{L"version.ini", "2.5.2\r\n"},
                                 {L"kxmain.dll", "dll252"},
                                 {L"other.dll", "o250"},
                                 {L"res\\new.pak", "pak"},
                                 {L"Backup\\kxmain.dll", "dll250"},
                                 {L"Backup\\checkinfo.lst", "kxmain.dll 6\r\n"},
                                 {L"Documents\\subver\\version.ini", kSubver253},
                                 {L"Documents\\subver\\kxmain.dll", "dll252"},
                                 {L"Documents\\subver\\other.dll", "o253"}};
  const FileTree fiveBefore = {{L"version.ini", "2.4.0\n"},
                               {L"f1", "old1"},
                               {L"f3", "old3"},
                               {L"f4", "old4"},
                               {L"f5", "old5"},
                               {L"Documents\\pkres\\version.ini", kFive},
                               {L"Documents\\pkres\\f1", "new1"},
                               {L"Documents\\pkres\\f2", "new2"},
                               {L"Documents\\pkres\\f4", "new4"},
                               {L"Documents\\pkres\\f5", "new5"}};
  const FileTree grownBackup = with(sub253Before, {{L"Backup\\kxmain.dll", "dll2500"}});
  // What this launcher leaves after a sub-version that only added res\new.pak.
  const FileTree addOnly251 = {{L"version.ini", "2.5.1\r\n"},
                               {L"other.dll", "o250"},
                               {L"res\\new.pak", "pak"},
                               {L"Backup\\checkinfo.lst", ""},
                               {L"Backup\\backupinfo.lst", "2.5.0\r\nres\\new.pak\r\n"},
                               {L"Documents\\subver\\version.ini", "2.5.2\nother.dll 2.5.2 x\n"},
                               {L"Documents\\subver\\other.dll", "o252"}};
  const FileTree addOnly251Installed = with(
      without(addOnly251, {L"res\\new.pak"}),
      {{L"other.dll", "o252"},
       {L"Backup\\other.dll", "o250"},
       {L"Backup\\checkinfo.lst", "other.dll 4\r\n"},
       {L"Backup\\backupinfo.lst", "2.5.0\r\n"},
       {L"version.ini", "2.5.2\r\n"}});
  // The same from an older launcher: no record, so nothing is known to remove.
  const FileTree addOnlyUnrecorded = without(addOnly251, {L"Backup\\backupinfo.lst"});
  // A sub-version installed straight over 2.4.0: the record says so.
  const FileTree over240 = {{L"version.ini", "2.5.2\r\n"},
                            {L"kxmain.dll", "dll252"},
                            {L"base.dll", "b240"},
                            {L"other.dll", "o240"},
                            {L"Backup\\kxmain.dll", "dll240"},
                            {L"Backup\\checkinfo.lst", "kxmain.dll 6\r\n"},
                            {L"Backup\\backupinfo.lst", "2.4.0\r\n"},
                            {L"Documents\\subver\\version.ini",
                             "2.5.3\nkxmain.dll 2.5.1 x\nbase.dll 2.5.0 x\nother.dll 2.5.3 x\n"},
                            {L"Documents\\subver\\kxmain.dll", "dll252"},
                            {L"Documents\\subver\\base.dll", "b250"},
                            {L"Documents\\subver\\other.dll", "o253"}};
  // A manifest that cannot be created: a folder of that name is in the way.
  const FileTree manifestBlocked = {
      {L"version.ini", "2.5.0\r\n"},
      {L"checkinfo.lst\\part.dll", "p250"},
      {L"Documents\\subver\\version.ini", "2.5.1\ncheckinfo.lst\\part.dll 2.5.1 x\n"},
      {L"Documents\\subver\\checkinfo.lst\\part.dll", "p251"}};

  const UpdateCase cases[] = {
      {"no staged version.ini: nothing touched",
       {{L"version.ini", "2.4.0\r\n"}, {L"kxmain.dll", "dll"}}, true, L"",
       {{L"version.ini", "2.4.0\r\n"}, {L"kxmain.dll", "dll"}}},
      {"full version: only entries newer over two components",
       pkresBefore, true, L"",
       with(pkresBefore, {{L"b.dll", "newB"}, {L"version.ini", "2.5.0\r\n"}})},
      {"sub-version: backup, copy, two-field entry ignored",
       subBefore, true, L"",
       with(subBefore, {{L"kxmain.dll", "dll252"},
                        {L"res\\new.pak", "pak"},
                        {L"Backup\\kxmain.dll", "dll250"},
                        {L"Backup\\checkinfo.lst", "kxmain.dll 6\r\n"},
                        {L"Backup\\backupinfo.lst", "2.5.0\r\nres\\new.pak\r\n"},
                        {L"version.ini", "2.5.2\r\n"}})},
      // kxmain.dll last changed in 2.5.1: after the rollback to 2.5.0 it must
      // come over again, or the engine is half 2.5.0 and half 2.5.3.
      {"sub-version over sub-version: rollback, then entries above the restored 2.5.0",
       sub253Before, true, L"",
       with(sub253Before, {{L"kxmain.dll", "dll252"},
                           {L"other.dll", "o253"},
                           {L"Backup\\kxmain.dll", "dll250"},
                           {L"Backup\\other.dll", "o250"},
                           {L"Backup\\checkinfo.lst", "kxmain.dll 6\r\nother.dll 4\r\n"},
                           {L"Backup\\backupinfo.lst", "2.5.0\r\n"},
                           {L"version.ini", "2.5.3\r\n"}})},
      {"restored version taken from the backup record, not assumed X.Y.0",
       over240, true, L"",
       with(over240, {{L"base.dll", "b250"},
                      {L"other.dll", "o253"},
                      {L"Backup\\base.dll", "b240"},
                      {L"Backup\\other.dll", "o240"},
                      {L"Backup\\checkinfo.lst", "kxmain.dll 6\r\nbase.dll 4\r\nother.dll 4\r\n"},
                      {L"version.ini", "2.5.3\r\n"}})},
      {"empty manifest: nothing to restore, the added file goes", addOnly251, true, L"",
       addOnly251Installed},
      {"empty manifest without a record: nothing to restore or remove", addOnlyUnrecorded, true,
       L"", with(addOnly251Installed, {{L"res\\new.pak", "pak"}})},
      {"manifest that cannot be written: backup fails, files as they were", manifestBlocked,
       false, kEngineBackupText, manifestBlocked},
      {"byte-order mark version compares equal",
       with(pkresBefore, {{L"version.ini", "\xEF\xBB\xBF" "2.4.0\n"}}), true, L"",
       with(pkresBefore, {{L"version.ini", "\xEF\xBB\xBF" "2.4.0\n"}})},
      {"two-number version compares equal",
       with(pkresBefore, {{L"version.ini", "2.4\n"}}), true, L"",
       with(pkresBefore, {{L"version.ini", "2.4\n"}})},
      {"missing game version.ini", {{L"Documents\\pkres\\version.ini", kPkres250}}, false,
       kEngineVersionParseText, {{L"Documents\\pkres\\version.ini", kPkres250}}},
      {"third of five fails: everything as before", fiveBefore, false, kEngineCopyText,
       fiveBefore},
      {"backup one byte longer than its manifest: rollback fails, Backup untouched",
       grownBackup, false, kEngineRollbackText, grownBackup},
      {"manifest of no lines that is not empty: rollback fails",
       with(sub253Before, {{L"Backup\\checkinfo.lst", "\r\n"}}), false, kEngineRollbackText,
       with(sub253Before, {{L"Backup\\checkinfo.lst", "\r\n"}})},
  };
  for (const UpdateCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempTree tree(L"engine");
    tree.writeAll(c.before);
    const FileTree& expected = c.after;
    FakeClock clock;
    EngineUpdater updater(tree.root(), clock);
    std::wstring error;
    EXPECT_EQ(updater.checkEngineVersion(error), c.ok);
    EXPECT_EQ(error, c.error);
    const FileTree after = tree.read();
    EXPECT_EQ(after, expected) << "got:\n" << dump(after) << "want:\n" << dump(expected);
    EXPECT_FALSE(fileExists(tree.path(L"backuptemp")));
    EXPECT_TRUE(clock.sleeps().empty());
  }
}

// Sub-versions one after another, each staged where the game client puts it:
// one that only adds a file no longer blocks the next one, and the next one's
// rollback takes the added file away again.
TEST(EngineUpdateTest, SubVersionsInTurnIncludingOneThatOnlyAdds) {
  struct Step {
    const char* name;
    FileTree subver;  // Documents\subver afterwards holds exactly these
    FileTree after;   // the game directory without Documents
  };
  const Step steps[] = {
      {"2.5.1 adds res\\new.pak",
       {{L"version.ini", "2.5.1\nres\\new.pak 2.5.1 x\n"}, {L"res\\new.pak", "pak"}},
       {{L"version.ini", "2.5.1\r\n"},
        {L"kxmain.dll", "dll250"},
        {L"res\\new.pak", "pak"},
        {L"Backup\\checkinfo.lst", ""},
        {L"Backup\\backupinfo.lst", "2.5.0\r\nres\\new.pak\r\n"}}},
      {"2.5.2 changes kxmain.dll only",
       {{L"version.ini", "2.5.2\nkxmain.dll 2.5.2 x\n"}, {L"kxmain.dll", "dll252"}},
       {{L"version.ini", "2.5.2\r\n"},
        {L"kxmain.dll", "dll252"},
        {L"Backup\\kxmain.dll", "dll250"},
        {L"Backup\\checkinfo.lst", "kxmain.dll 6\r\n"},
        {L"Backup\\backupinfo.lst", "2.5.0\r\n"}}},
      {"2.5.3 brings both",
       {{L"version.ini", "2.5.3\nres\\new.pak 2.5.1 x\nkxmain.dll 2.5.3 x\n"},
        {L"res\\new.pak", "pak"},
        {L"kxmain.dll", "dll253"}},
       {{L"version.ini", "2.5.3\r\n"},
        {L"kxmain.dll", "dll253"},
        {L"res\\new.pak", "pak"},
        {L"Backup\\kxmain.dll", "dll250"},
        {L"Backup\\checkinfo.lst", "kxmain.dll 6\r\n"},
        {L"Backup\\backupinfo.lst", "2.5.0\r\nres\\new.pak\r\n"}}},
  };
  TempTree tree(L"engine_steps");
  tree.writeAll({{L"version.ini", "2.5.0\r\n"}, {L"kxmain.dll", "dll250"}});
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    removeDirectoryTree(tree.path(L"Documents"));
    FileTree staged;
    for (const auto& [rel, bytes] : step.subver) staged[L"Documents\\subver\\" + rel] = bytes;
    tree.writeAll(staged);
    FakeClock clock;
    EngineUpdater updater(tree.root(), clock);
    std::wstring error;
    EXPECT_TRUE(updater.checkEngineVersion(error));
    EXPECT_EQ(error, L"");
    const FileTree after = with(step.after, staged);
    EXPECT_EQ(tree.read(), after) << "got:\n" << dump(tree.read()) << "want:\n" << dump(after);
  }
}

TEST(EngineUpdateTest, CopyFailingOnALockedTargetPutsEverythingBack) {
  TempTree tree(L"engine_lock");
  const FileTree before = {{L"version.ini", "2.4.0\n"},
                           {L"f1", "old1"}, {L"f2", "old2"}, {L"f3", "old3"},
                           {L"f4", "old4"}, {L"f5", "old5"},
                           {L"Documents\\pkres\\version.ini", kFive},
                           {L"Documents\\pkres\\f1", "new1"}, {L"Documents\\pkres\\f2", "new2"},
                           {L"Documents\\pkres\\f3", "new3"}, {L"Documents\\pkres\\f4", "new4"},
                           {L"Documents\\pkres\\f5", "new5"}};
  tree.writeAll(before);
  HANDLE held = CreateFileW(tree.path(L"f3").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  FakeClock clock;
  EngineUpdater updater(tree.root(), clock);
  std::wstring error;
  EXPECT_FALSE(updater.checkEngineVersion(error));
  CloseHandle(held);
  EXPECT_EQ(error, kEngineCopyText);
  EXPECT_EQ(tree.read(), before);
  EXPECT_FALSE(fileExists(tree.path(L"backuptemp")));
}

TEST(EngineUpdateTest, RunningClientFailsAndTouchesNothing) {
  TempTree tree(L"engine_client");
  const FileTree before = {{L"version.ini", "2.4.0\n"},
                           {L"b.dll", "oldB"},
                           {L"Documents\\pkres\\version.ini", kPkres250},
                           {L"Documents\\pkres\\b.dll", "newB"}};
  tree.writeAll(before);
  ASSERT_TRUE(makeDirectories(tree.path(L"bin"), false));
  test::HelperProcess client;
  ASSERT_TRUE(client.start(tree.path(L"bin\\kxmain.exe")));
  FileTree withClient = tree.read();
  FakeClock clock;
  LauncherState state;
  state.gameDir = tree.root();
  EXPECT_FALSE(checkEngineVersion(state, clock));
  EXPECT_EQ(state.errorText, kEngineClientRunningText);
  EXPECT_EQ(clock.sleeps(), std::vector<uint32_t>(10, 1000u));
  EXPECT_EQ(tree.read(), withClient);
  EXPECT_TRUE(client.finish());
}

TEST(EngineUpdateTest, BackupFailingAfterRollbackLeavesTheFullVersionRecorded) {
  TempTree tree(L"engine_after_rollback");
  tree.writeAll({{L"version.ini", "2.5.2\r\n"},
                 {L"kxmain.dll", "dll252"},
                 {L"other.dll", "o250"},
                 {L"Backup\\kxmain.dll", "dll250"},
                 {L"Backup\\checkinfo.lst", "kxmain.dll 6\r\n"},
                 {L"Documents\\subver\\version.ini", kSubver253},
                 {L"Documents\\subver\\other.dll", "o253"}});
  // other.dll cannot be read for its backup.
  HANDLE held = CreateFileW(tree.path(L"other.dll").c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  FakeClock clock;
  EngineUpdater updater(tree.root(), clock);
  std::wstring error;
  EXPECT_FALSE(updater.checkEngineVersion(error));
  CloseHandle(held);
  EXPECT_EQ(error, kEngineBackupText);
  const FileTree after = tree.read();
  EXPECT_EQ(after.at(L"kxmain.dll"), "dll250");
  EXPECT_EQ(after.at(L"other.dll"), "o250");
  EXPECT_EQ(after.at(L"version.ini"), "2.5.0\r\n");
  EXPECT_FALSE(fileExists(tree.path(L"Backup")));
}

TEST(EngineUpdateTest, RollbackWaitsForALockedFileWithOneCounter) {
  for (int releaseAfter : {3, 11}) {
    SCOPED_TRACE(releaseAfter);
    TempTree tree(L"engine_wait");
    const FileTree before = {{L"a.dll", "newA"}, {L"b.dll", "newB"},
                             {L"Backup\\a.dll", "A"}, {L"Backup\\b.dll", "B"},
                             {L"Backup\\checkinfo.lst", "a.dll 1\r\nb.dll 1\r\n"}};
    tree.writeAll(before);
    HANDLE held = CreateFileW(tree.path(L"b.dll").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    HookedClock clock([&](int count, uint32_t ms) {
      EXPECT_EQ(ms, 1000u);
      if (count == releaseAfter) CloseHandle(std::exchange(held, INVALID_HANDLE_VALUE));
    });
    EngineUpdater updater(tree.root(), clock);
    const bool ok = updater.rollbackEngineFiles();
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    if (releaseAfter == 3) {
      EXPECT_TRUE(ok);
      EXPECT_EQ(clock.sleeps().size(), 3u);
      EXPECT_EQ(tree.read(), (FileTree{{L"a.dll", "A"}, {L"b.dll", "B"}}));
    } else {
      EXPECT_FALSE(ok);
      EXPECT_EQ(clock.sleeps().size(), 10u);
      EXPECT_EQ(tree.read(), before);
    }
    EXPECT_FALSE(fileExists(tree.path(L"backuptemp")));
  }
}

// Any open handle makes the rollback wait, however generously it shares; so
// does one on a file the sub-version added, which the rollback removes.
TEST(EngineUpdateTest, RollbackWaitsForEveryHolderOfAFileItMoves) {
  struct Case {
    const char* name;
    const wchar_t* held;
    DWORD share;
  };
  const Case cases[] = {
      {"replaced file, shared for reading", L"b.dll", FILE_SHARE_READ},
      {"replaced file, shared for reading and writing", L"b.dll",
       FILE_SHARE_READ | FILE_SHARE_WRITE},
      {"replaced file, shared for everything", L"b.dll",
       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE},
      {"added file, shared for reading and writing", L"new.pak",
       FILE_SHARE_READ | FILE_SHARE_WRITE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempTree tree(L"engine_holders");
    tree.writeAll({{L"b.dll", "newB"}, {L"new.pak", "pak"},
                   {L"Backup\\b.dll", "B"},
                   {L"Backup\\checkinfo.lst", "b.dll 1\r\n"},
                   {L"Backup\\backupinfo.lst", "2.5.0\r\nnew.pak\r\n"}});
    HANDLE held = CreateFileW(tree.path(c.held).c_str(), GENERIC_READ, c.share, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    HookedClock clock([&](int count, uint32_t) {
      if (count == 2) CloseHandle(std::exchange(held, INVALID_HANDLE_VALUE));
    });
    EngineUpdater updater(tree.root(), clock);
    std::wstring restored;
    EXPECT_TRUE(updater.rollbackEngineFiles(&restored));
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    EXPECT_EQ(clock.sleeps().size(), 2u);
    EXPECT_EQ(restored, L"2.5.0");
    EXPECT_EQ(tree.read(), (FileTree{{L"b.dll", "B"}}));
  }
}

// Real file calls, except those whose source path ends in a listed suffix.
class FailingOps : public EngineFileOps {
 public:
  std::vector<std::wstring> failMoveFrom, failMoveReplacingFrom, failCopyFrom;
  bool move(const std::wstring& from, const std::wstring& to) override {
    return !matches(failMoveFrom, from) && EngineFileOps::move(from, to);
  }
  bool moveReplacing(const std::wstring& from, const std::wstring& to) override {
    return !matches(failMoveReplacingFrom, from) && EngineFileOps::moveReplacing(from, to);
  }
  bool copy(const std::wstring& from, const std::wstring& to) override {
    return !matches(failCopyFrom, from) && EngineFileOps::copy(from, to);
  }

 private:
  static bool matches(const std::vector<std::wstring>& suffixes, const std::wstring& path) {
    for (const std::wstring& s : suffixes) {
      if (path.size() >= s.size() && path.compare(path.size() - s.size(), s.size(), s) == 0) {
        return true;
      }
    }
    return false;
  }
};

TEST(EngineUndoTest, CopyUndoThatCannotFinishKeepsThePreviousFile) {
  TempTree tree(L"undo_copy");
  tree.writeAll({{L"f1", "old1"}, {L"f2", "old2"}, {L"f3", "old3"},
                 {L"src\\f1", "new1"}, {L"src\\f2", "new2"}, {L"src\\f3", "new3"}});
  FailingOps ops;
  ops.failCopyFrom = {L"src\\f3"};
  ops.failMoveReplacingFrom = {L"backuptemp\\f1"};
  FakeClock clock;
  EngineUpdater updater(tree.root(), clock, &ops);
  EXPECT_FALSE(updater.copyEngineFiles(tree.path(L"src"), tree.root(), {L"f1", L"f2", L"f3"}));
  const FileTree after = tree.read();
  EXPECT_EQ(after.at(L"f2"), "old2");
  EXPECT_EQ(after.at(L"f3"), "old3");
  // f1 could not go back: its previous bytes survive in the scratch folder.
  EXPECT_EQ(after.at(L"backuptemp\\f1"), "old1");
}

TEST(EngineUndoTest, RollbackFailingMidwayRestoresEverything) {
  TempTree tree(L"undo_rollback_ok");
  const FileTree before = {{L"a.dll", "newA"}, {L"b.dll", "newB"},
                           {L"Backup\\a.dll", "A"}, {L"Backup\\b.dll", "B"},
                           {L"Backup\\checkinfo.lst", "a.dll 1\r\nb.dll 1\r\n"}};
  tree.writeAll(before);
  FailingOps ops;
  ops.failMoveFrom = {L"Backup\\b.dll"};
  FakeClock clock;
  EngineUpdater updater(tree.root(), clock, &ops);
  EXPECT_FALSE(updater.rollbackEngineFiles());
  EXPECT_EQ(tree.read(), before);
  EXPECT_FALSE(fileExists(tree.path(L"backuptemp")));
}

TEST(EngineUndoTest, RollbackThatCannotPutFilesBackKeepsThem) {
  TempTree tree(L"undo_rollback");
  tree.writeAll({{L"a.dll", "newA"}, {L"b.dll", "newB"},
                 {L"Backup\\a.dll", "A"}, {L"Backup\\b.dll", "B"},
                 {L"Backup\\checkinfo.lst", "a.dll 1\r\nb.dll 1\r\n"}});
  // Backup\b.dll cannot come in, and the backup a.dll that already came in
  // cannot step back: the installed a.dll cannot return and must survive in
  // the scratch folder.
  struct UndoBlocked : FailingOps {
    std::wstring gameA;
    bool move(const std::wstring& from, const std::wstring& to) override {
      if (from == gameA && to.find(L"Backup") != std::wstring::npos) return false;
      return FailingOps::move(from, to);
    }
  } blocked;
  blocked.failMoveFrom = {L"Backup\\b.dll"};
  blocked.gameA = tree.path(L"a.dll");
  FakeClock clock;
  EngineUpdater updater(tree.root(), clock, &blocked);
  EXPECT_FALSE(updater.rollbackEngineFiles());
  const FileTree after = tree.read();
  const FileTree expected = {{L"a.dll", "A"}, {L"b.dll", "newB"}, {L"backuptemp\\a.dll", "newA"},
                             {L"Backup\\b.dll", "B"},
                             {L"Backup\\checkinfo.lst", "a.dll 1\r\nb.dll 1\r\n"}};
  EXPECT_EQ(after, expected) << dump(after);
}

TEST(EngineFilesTest, VersionFileAndMoves) {
  TempTree tree(L"engine_files");
  EXPECT_EQ(findEngineVersionFile(tree.root(), L"version.ini"), L"");
  EXPECT_EQ(findEngineVersionFile(L"", L"version.ini"), L"");
  tree.write(L"version.ini", "1.0.0\n");
  EXPECT_EQ(findEngineVersionFile(tree.root(), L"version.ini"), tree.path(L"version.ini"));
  tree.write(L"Documents\\pkres\\version.ini", "1.1.0\n");
  EXPECT_EQ(findEngineVersionFile(tree.root(), L"version.ini"),
            tree.path(L"Documents\\pkres\\version.ini"));
  tree.write(L"Documents\\subver\\version.ini", "1.1.1\n");
  EXPECT_EQ(findEngineVersionFile(tree.root(), L"version.ini"),
            tree.path(L"Documents\\subver\\version.ini"));

  EXPECT_TRUE(writeVersionFile(tree.path(L"v.ini"), L"2.5.2"));
  EXPECT_EQ(tree.read()[L"v.ini"], "2.5.2\r\n");
  std::wstring version;
  EXPECT_TRUE(readVersionFile(tree.path(L"v.ini"), version, nullptr));
  EXPECT_EQ(version, L"2.5.2");
  EXPECT_FALSE(readVersionFile(tree.path(L"none.ini"), version, nullptr));
  EXPECT_FALSE(writeVersionFile(tree.path(L"missing\\v.ini"), L"1.0.0"));

  // A move that meets an existing target stops and undoes the earlier ones.
  tree.write(L"src\\a", "a");
  tree.write(L"src\\b", "b");
  tree.write(L"dst\\b", "old");
  EXPECT_FALSE(moveFiles(tree.path(L"src"), tree.path(L"dst"), {L"a", L"b"}, true));
  EXPECT_EQ(tree.read()[L"src\\a"], "a");
  EXPECT_FALSE(fileExists(tree.path(L"dst\\a")));
  EXPECT_FALSE(moveFiles(tree.path(L"src"), tree.path(L"dst"), {L"a", L"b"}, false));
  EXPECT_EQ(tree.read()[L"dst\\a"], "a");
  EXPECT_TRUE(moveFiles(tree.path(L"src"), tree.path(L"other"), {L"b"}, true));
  EXPECT_EQ(tree.read()[L"other\\b"], "b");
  EXPECT_TRUE(moveFiles(tree.path(L"src"), tree.path(L"other"), {}, true));
}

}  // namespace
}  // namespace kx::launcher
