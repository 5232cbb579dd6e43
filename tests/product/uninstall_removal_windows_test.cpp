#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "product/uninstall_removal.h"
#include "records/uninst_info.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/windows_test_support.h"

namespace {

namespace fs = std::filesystem;

// An install folder beside a victim file that no entry may ever reach.
struct InstalledTree {
  InstalledTree() {
    fs::create_directories(install / "sub" / "deeper");
    WriteBytes(install / "a.txt", "a");
    WriteBytes(install / "sub" / "b.txt", "b");
    WriteBytes(install / "sub" / "deeper" / "c.txt", "c");
    WriteBytes(victim, "victim");
  }
  std::u16string Folder() const { return install.u16string() + u"\\"; }

  TempFolder temp;
  fs::path install = temp.Path() / "install";
  fs::path victim = temp.Path() / "victim.txt";
};

TEST(UninstallRemoval, RemovesFilesAndFolderTreesInsideTheFolderOnly) {
  InstalledTree tree;
  std::u16string victim = tree.victim.u16string();
  std::u16string drive = victim.substr(0, 2) + u"victim.txt";
  struct Case {
    std::u16string entry;
    bool removed;
    fs::path gone;  // what must be gone afterwards, when removed
  } cases[] = {
      {u"..\\victim.txt", false, {}},
      {u"sub/../../victim.txt", false, {}},
      {victim, false, {}},
      {drive, false, {}},
      {u"\\victim.txt", false, {}},
      {u"missing.txt", false, {}},
      {u"sub\\missing\\", false, {}},
      {u"a.txt", true, tree.install / "a.txt"},
      {u"sub\\", true, tree.install / "sub"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(fs::path(c.entry).string());
    EXPECT_EQ(RemoveInstalledEntry(tree.Folder().c_str(), c.entry.c_str()), c.removed);
    if (c.removed) {
      EXPECT_FALSE(fs::exists(c.gone));
    }
    EXPECT_EQ(ReadBytes(tree.victim), "victim");
    EXPECT_TRUE(fs::exists(tree.install));
  }
  // The tree's other files are untouched by the refused entries; the folder entry took them.
  EXPECT_TRUE(fs::is_empty(tree.install));
}

// What the uninstall list names goes; a folder only once nothing else is in it, so what the
// user put there stays.
TEST(UninstallRemoval, AnUninstallEntryRemovesAFolderOnlyWhenEmpty) {
  InstalledTree tree;
  CUninstInfo list;
  list.Add(u"sub\\deeper\\", -1);
  list.Add(u"sub\\deeper\\c.txt", -1);
  const std::u16string folder = tree.Folder();
  EXPECT_FALSE(RemoveEntryFile(list, 0, folder.c_str()));
  EXPECT_EQ(ReadBytes(tree.install / "sub" / "deeper" / "c.txt"), "c");
  EXPECT_FALSE(IsEntryGone(folder.c_str(), list.Get(1)));

  EXPECT_TRUE(RemoveEntryFile(list, 1, folder.c_str()));
  EXPECT_TRUE(IsEntryGone(folder.c_str(), list.Get(1)));
  EXPECT_TRUE(RemoveEntryFile(list, 0, folder.c_str()));
  EXPECT_FALSE(fs::exists(tree.install / "sub" / "deeper"));
  EXPECT_EQ(ReadBytes(tree.install / "sub" / "b.txt"), "b");
  // Gone, and a name that is not inside the folder is never "gone".
  EXPECT_TRUE(IsEntryGone(folder.c_str(), u"sub\\deeper\\"));
  EXPECT_TRUE(IsEntryGone(folder.c_str(), u"missing\\x.txt"));
  EXPECT_FALSE(IsEntryGone(folder.c_str(), u"..\\gone.txt"));
}

TEST(UninstallRemoval, RefusesMissingIndexesAndFolders) {
  InstalledTree tree;
  CUninstInfo list;
  list.Add(u"a.txt", -1);
  EXPECT_FALSE(RemoveEntryFile(list, 1, tree.Folder().c_str()));
  EXPECT_FALSE(RemoveEntryFile(list, -1, tree.Folder().c_str()));
  EXPECT_FALSE(RemoveEntryFile(list, 0, nullptr));
  EXPECT_TRUE(fs::exists(tree.install / "a.txt"));
}

TEST(UninstallRemoval, NeverRemovesTheRunningProgram) {
  // Names are compared without regard to case, as Windows opens them.
  CUninstInfo list;
  list.Add(u"windows_tests.exe", -1);
  list.Add(u"WINDOWS_TESTS.EXE", -1);
  std::u16string folder = TestProgramFolder().u16string() + u"\\";
  fs::path self = TestProgramFolder() / "windows_tests.exe";
  ASSERT_TRUE(fs::exists(self));
  for (int i = 0; i < list.Count(); ++i) {
    EXPECT_FALSE(RemoveEntryFile(list, i, folder.c_str())) << i;
    ASSERT_TRUE(fs::exists(self));
  }
}

}  // namespace
