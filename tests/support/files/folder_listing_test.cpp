#include "support/files/folder_listing.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/helpers/made_link.h"
#include "tests/helpers/temp_folder.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

namespace fs = std::filesystem;

// Links are told as links, whatever they point to, so that no walk follows one out of the tree.
TEST(FolderListing, TellsFilesFoldersAndLinksApartInNameOrder) {
  TempFolder folder;
  const fs::path outside = folder.Path() / "outside";
  fs::create_directories(outside / "inner");
  WriteBytes(outside / "secret.txt", "not for the package");
  const fs::path listed = folder.Path() / "listed";
  fs::create_directories(listed / "b-folder");
  WriteBytes(listed / "a-file.bin", std::string(70000, 'a'));
  WriteBytes(listed / "e-empty.txt", "");
  MadeLink folderLink(listed / "c-folder-link", outside);
  ASSERT_TRUE(folderLink.Made());

  struct Case {
    std::u16string name;
    FolderEntryKind kind;
    uint64_t size;
  };
  std::vector<Case> expected = {
      {u"a-file.bin", FolderEntryKind::kFile, 70000},
      {u"b-folder", FolderEntryKind::kFolder, 0},
      {u"c-folder-link", FolderEntryKind::kLink, 0},
      {u"e-empty.txt", FolderEntryKind::kFile, 0},
  };
#ifndef _WIN32
  // Wine shows a link to a file as the file itself; pipes are made only outside Windows.
  MadeLink fileLink(listed / "d-file-link", outside / "secret.txt");
  ASSERT_TRUE(fileLink.Made());
  expected.insert(expected.begin() + 3, {u"d-file-link", FolderEntryKind::kLink, 0});
  ASSERT_EQ(mkfifo((listed / "f-pipe").c_str(), 0600), 0);
  expected.push_back({u"f-pipe", FolderEntryKind::kOther, 0});
#endif
  std::vector<FolderEntry> entries = {{u"left from before", FolderEntryKind::kFile, 1, true}};
  ASSERT_TRUE(ListFolder(listed.u16string().c_str(), entries));
  ASSERT_EQ(entries.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(std::string(expected[i].name.begin(), expected[i].name.end()));
    EXPECT_EQ(entries[i].name, expected[i].name);
    EXPECT_EQ(entries[i].kind, expected[i].kind);
    EXPECT_EQ(entries[i].size, expected[i].size);
    EXPECT_TRUE(entries[i].nameIsText);
  }
}

TEST(FolderListing, AFolderThatCannotBeReadIsNoEmptyFolder) {
  TempFolder folder;
  WriteBytes(folder.Path() / "file.txt", "x");
  fs::create_directories(folder.Path() / "empty");
  struct Case {
    std::u16string folder;
    bool listed;
  };
  const Case cases[] = {
      {folder.File(u"empty"), true},
      {folder.File(u"missing"), false},
      {folder.File(u"file.txt"), false},
      {u"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.folder.begin(), c.folder.end()));
    std::vector<FolderEntry> entries = {{u"stale", FolderEntryKind::kFile, 1, true}};
    EXPECT_EQ(ListFolder(c.folder.c_str(), entries), c.listed);
    EXPECT_TRUE(entries.empty());
  }
}

// A name that is no whole text is told, rather than handed on as a name that reads back as
// another file: bytes that are no UTF-8 (only outside Windows can a name be such bytes), or
// U+FFFD, which such bytes become when Wine decodes them.
TEST(FolderListing, TellsNamesThatAreNoWholeText) {
  TempFolder folder;
  struct Case {
    std::string written;  // UTF-8, or bytes that are none
    std::u16string listed;
    bool nameIsText;
  };
  std::vector<Case> cases = {
      {"good\xE6\x95\xB0", u"good\u6570", true},
      {"odd\xEF\xBF\xBD", u"odd\uFFFD", false},
      {"pair\xF0\x9F\x98\x80", u"pair\U0001F600", true},
  };
#ifndef _WIN32
  cases.push_back({"bad\xFF", u"bad\uFFFD", false});
#endif
  for (const Case& c : cases) {
    SCOPED_TRACE(c.written);
    const fs::path one = folder.Path() / std::to_string(&c - cases.data());
    fs::create_directories(one);
#ifdef _WIN32
    WriteBytes(one / fs::u8path(c.written), "x");
#else
    WriteBytes(one / c.written, "x");
#endif
    std::vector<FolderEntry> entries;
    ASSERT_TRUE(ListFolder(one.u16string().c_str(), entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, c.listed);
    EXPECT_EQ(entries[0].nameIsText, c.nameIsText);
  }
}

}  // namespace
