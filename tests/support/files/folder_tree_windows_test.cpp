#include "support/files/folder_tree.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/helpers/directory_link.h"
#include "tests/helpers/temp_folder.h"

namespace {

namespace fs = std::filesystem;

void MakeReadOnly(const fs::path& path) {
  SetFileAttributesW(path.c_str(), GetFileAttributesW(path.c_str()) | FILE_ATTRIBUTE_READONLY);
}

TEST(FolderTree, CreatesEveryMissingLevel) {
  TempFolder folder;
  std::u16string base = folder.Path().u16string();
  struct Case {
    std::u16string path;
    char16_t separator;
    fs::path expected;  // the deepest folder that must exist
  };
  const Case cases[] = {
      {base + u"\\a\\b\\c", u'\\', folder.Path() / "a" / "b" / "c"},
      {base + u"\\t\\u\\", u'\\', folder.Path() / "t" / "u"},         // no extra empty-named folder
      {base + u"\\a\\b\\d", u'\\', folder.Path() / "a" / "b" / "d"},  // partly there already
      {base + u"/f/g", u'/', folder.Path() / "f" / "g"},
      {base + u"\\\u5BA2\u6237\u7AEF\\\u6570\u636E", u'\\',
       folder.Path() / u"\u5BA2\u6237\u7AEF" / u"\u6570\u636E"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected.string());
    EXPECT_TRUE(CreateDirectories(c.path.c_str(), c.separator));
    EXPECT_TRUE(fs::is_directory(c.expected));
  }
  EXPECT_TRUE(fs::is_empty(folder.Path() / "t" / "u"));
  EXPECT_TRUE(CreateDirectories((base + u"\\a\\b").c_str(), u'\\'));  // exists already

  WriteBytes(folder.Path() / "file", "a file, not a folder");
  const std::u16string refused[] = {u"", u"C:", base + u"\\file", base + u"\\file\\sub",
                                    base + u"\\" + std::u16string(1100, u'x')};
  for (const std::u16string& path : refused) {
    SCOPED_TRACE(path.size());
    EXPECT_FALSE(CreateDirectories(path.c_str(), u'\\'));
  }
  EXPECT_FALSE(CreateDirectories(nullptr, u'\\'));
}

TEST(FolderTree, DeletesTreesWithReadOnlyFiles) {
  TempFolder folder;
  fs::path tree = folder.Path() / "install";
  fs::create_directories(tree / "skin" / "images");
  fs::create_directories(tree / "empty");
  WriteBytes(tree / "client.exe", "exe");
  WriteBytes(tree / "skin" / "theme.txt", "theme");
  WriteBytes(tree / "skin" / "images" / "back.png", "png");
  MakeReadOnly(tree / "client.exe");
  MakeReadOnly(tree / "skin" / "images" / "back.png");
  MakeReadOnly(tree / "skin");

  for (std::u16string path : {tree.u16string(), tree.u16string() + u"\\"}) {
    SCOPED_TRACE(path.size());
    fs::create_directories(tree / "again");
    WriteBytes(tree / "again" / "ro.txt", "r");
    MakeReadOnly(tree / "again" / "ro.txt");
    EXPECT_TRUE(DeleteTree(path.c_str()));
    EXPECT_FALSE(fs::exists(tree));
  }
  EXPECT_FALSE(DeleteTree(tree.u16string().c_str()));  // gone already
  EXPECT_FALSE(DeleteTree(u""));
  EXPECT_FALSE(DeleteTree(nullptr));
  EXPECT_TRUE(fs::exists(folder.Path()));
}

// A link inside the tree may point anywhere another user chose: only the link goes, never what
// it points to. (Wine cannot remove a link to a folder; the tree then stays too, and the result
// says so.)
TEST(FolderTree, DeleteTreeRemovesLinksWithoutEnteringThem) {
  TempFolder folder;
  fs::path outside = folder.Path() / "outside";
  fs::create_directories(outside / "deep");
  WriteBytes(outside / "precious.txt", "keep me");
  WriteBytes(outside / "deep" / "also.txt", "keep me too");
  fs::path tree = folder.Path() / "group";
  fs::create_directories(tree);
  WriteBytes(tree / "a.lnk", "shortcut");
  ASSERT_TRUE(MakeDirectoryLink(tree / "zlink", outside));
  ASSERT_TRUE(MakeDirectoryLink(folder.Path() / "rootlink", outside));

  bool deleted = DeleteTree(tree.u16string().c_str());
  EXPECT_EQ(ReadBytes(outside / "precious.txt"), "keep me");
  EXPECT_EQ(ReadBytes(outside / "deep" / "also.txt"), "keep me too");
  EXPECT_FALSE(fs::exists(tree / "a.lnk"));  // what came before the link went
  EXPECT_EQ(deleted, !fs::exists(tree));

  // Given a link itself (here with a trailing separator), it removes the link alone.
  bool linkDeleted = DeleteTree(((folder.Path() / "rootlink").u16string() + u"\\").c_str());
  EXPECT_EQ(ReadBytes(outside / "precious.txt"), "keep me");
  EXPECT_EQ(ReadBytes(outside / "deep" / "also.txt"), "keep me too");
  EXPECT_EQ(linkDeleted,
            GetFileAttributesW((folder.Path() / "rootlink").c_str()) == INVALID_FILE_ATTRIBUTES);

  EXPECT_TRUE(RemoveDirectoryLink(tree / "zlink"));
  EXPECT_TRUE(RemoveDirectoryLink(folder.Path() / "rootlink"));
}

}  // namespace
