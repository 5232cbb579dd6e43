// An update list against the files on disk: a list made of a folder's files, and files checked
// against their items.
#include "product/listed_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "records/update_info.h"
#include "support/crypto/md5.h"
#include "support/crypto/sha256.h"
#include "support/text/utf8.h"
#include "tests/helpers/md5_hex.h"
#include "tests/helpers/temp_folder.h"

namespace {

std::u16string Sha256Of(const std::string& bytes) {
  char16_t digest[kSha256HexDigits + 1] = {};
  Sha256HexOfMemory(digest, bytes.data(), bytes.size());
  return digest;
}

// A file is checked by its SHA-256 when the item has one, by its MD5 otherwise; on disk and in
// memory alike.
TEST(ListedFiles, ChecksTheSha256WhenThereIsOneAndTheMd5Otherwise) {
  const std::string bytes = "the client's bytes";
  const std::u16string md5 = Md5Hex(bytes), sha256 = Sha256Of(bytes);
  const std::u16string otherMd5 = Md5Hex("other"), otherSha256 = Sha256Of("other");
  std::u16string lowerSha256 = sha256;
  for (char16_t& unit : lowerSha256) {
    if (unit >= u'A' && unit <= u'F') unit = static_cast<char16_t>(unit + 32);
  }
  struct Case {
    const char* name;
    std::u16string md5;
    std::u16string sha256;
    int32_t size;
    bool matches;
  };
  const Case cases[] = {
      {"both right", md5, sha256, 18, true},
      {"no sha256, md5 right", md5, u"", 18, true},
      {"no sha256, md5 wrong", otherMd5, u"", 18, false},
      {"sha256 right, md5 wrong", otherMd5, sha256, 18, true},
      {"sha256 wrong, md5 right", md5, otherSha256, 18, false},
      {"sha256 in lower case", md5, lowerSha256, 18, true},
      {"sha256 a digit short", md5, sha256.substr(0, 63), 18, false},
      {"sha256 a digit long", md5, sha256 + u"0", 18, false},
      {"sha256 of another size", md5, sha256, 17, false},
  };
  TempFolder folder;
  WriteBytes(folder.Path() / "client.exe", bytes);
  const std::u16string root = folder.Path().u16string();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<UpdateItem> item =
        NewFileItem(u"client.exe", c.size, c.md5.c_str(), c.sha256.c_str(), u"http://h/c");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(VerifyUpdateItem(root.c_str(), *item), c.matches);
    EXPECT_EQ(MatchesUpdateItem(*item, reinterpret_cast<const uint8_t*>(bytes.data()),
                                static_cast<uint32_t>(bytes.size())),
              c.matches);
  }
  std::unique_ptr<UpdateItem> item =
      NewFileItem(u"client.exe", 18, md5.c_str(), sha256.c_str(), u"http://h/c");
  EXPECT_FALSE(MatchesUpdateItem(*item, nullptr, 18));
  EXPECT_FALSE(MatchesUpdateItem(*item, reinterpret_cast<const uint8_t*>(bytes.data()), 17));
}

TEST(ListedFiles, BuildsFromAFolderAndVerifiesIt) {
  TempFolder folder;
  std::filesystem::create_directories(folder.Path() / "sub");
  WriteBytes(folder.Path() / "a.txt", "hello");
  WriteBytes(folder.Path() / "sub" / "b.bin", std::string(70000, 'b'));
  WriteBytes(folder.Path() / "empty.txt", "");

  CUpdateInfo list;
  std::u16string root = folder.Path().u16string();
  EXPECT_EQ(AddFolderToList(list, u"http://h/app", root.c_str(), u""), 3);
  ASSERT_EQ(list.Count(), 2);  // the empty file is met but not added
  EXPECT_EQ(std::u16string(list.Get(0)->file), u"a.txt");
  EXPECT_EQ(std::u16string(list.Get(0)->md5), u"5D41402ABC4B2A76B9719D911017C592");
  EXPECT_EQ(std::u16string(list.Get(0)->url), u"http://h/app/a.txt");
  EXPECT_EQ(std::u16string(list.Get(1)->file), u"sub\\b.bin");
  EXPECT_EQ(std::u16string(list.Get(1)->url), u"http://h/app/sub/b.bin");
  EXPECT_EQ(list.Get(1)->size, 70000);
  EXPECT_EQ(std::u16string(list.Get(0)->sha256), Sha256Of("hello"));
  EXPECT_EQ(std::u16string(list.Get(1)->sha256), Sha256Of(std::string(70000, 'b')));

  // A progress display hears of every file read, the empty one too.
  CUpdateInfo reported;
  std::vector<uint64_t> sizes;
  EXPECT_EQ(AddFolderToList(reported, u"http://h/app", root.c_str(), u"",
                            [&sizes](uint64_t size) { sizes.push_back(size); }),
            3);
  EXPECT_EQ(reported.Count(), 2);
  std::sort(sizes.begin(), sizes.end());
  EXPECT_EQ(sizes, (std::vector<uint64_t>{0, 5, 70000}));

  int failing = -1;
  EXPECT_TRUE(VerifyListedFiles(list, root.c_str(), &failing));
  WriteBytes(folder.Path() / "sub" / "b.bin", std::string(70000, 'c'));  // same size, new bytes
  EXPECT_FALSE(VerifyListedFiles(list, root.c_str(), &failing));
  EXPECT_EQ(failing, 1);
  std::filesystem::remove(folder.Path() / "a.txt");
  EXPECT_FALSE(VerifyListedFiles(list, root.c_str(), &failing));
  EXPECT_EQ(failing, 0);

  CUpdateInfo prefixed;
  EXPECT_EQ(AddFolderToList(prefixed, u"http://h/app/", (root + u"/sub").c_str(), u"lib"), 1);
  EXPECT_EQ(std::u16string(prefixed.Get(0)->file), u"lib\\b.bin");
  EXPECT_EQ(AddFolderToList(prefixed, u"", root.c_str(), u""), 0);
  EXPECT_EQ(AddFolderToList(prefixed, u"http://h/", (root + u"/missing").c_str(), u""), 0);
}

TEST(ListedFiles, VerifyingNeverLooksOutsideTheFolder) {
  TempFolder folder;
  std::filesystem::create_directories(folder.Path() / "install");
  // A file outside that an item describes exactly.
  WriteBytes(folder.Path() / "victim.txt", "victim");
  char16_t digest[33] = {};
  ASSERT_TRUE(Md5HexOfMemory(digest, "victim", 6));
  std::u16string install = (folder.Path() / "install").u16string();
  std::u16string victim = folder.File(u"victim.txt");
  const std::u16string names[] = {u"..\\victim.txt", u"../victim.txt", u"sub\\..\\..\\victim.txt",
                                  victim};
  for (const std::u16string& name : names) {
    SCOPED_TRACE(Utf16ToUtf8(name.c_str()));
    CUpdateInfo list;
    ASSERT_EQ(list.AddFile(name.c_str(), 6, digest, u"http://h/victim.txt"), 0);
    int failing = -1;
    EXPECT_FALSE(VerifyListedFiles(list, install.c_str(), &failing));
    EXPECT_EQ(failing, 0);
  }
}

}  // namespace
