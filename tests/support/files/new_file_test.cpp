#include "support/files/new_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/helpers/temp_folder.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

namespace fs = std::filesystem;

// A new file gets the bytes; a name that is taken (a file, a folder) is left exactly as it was.
TEST(NewFile, CreatesOnlyWhatDoesNotExistYet) {
  TempFolder folder;
  WriteBytes(folder.Path() / "taken.key", "an older key");
  fs::create_directories(folder.Path() / "folder.key");
  struct Case {
    const char16_t* name;
    NewFileAccess access;
    bool created;
  };
  const Case cases[] = {
      {u"new.key", NewFileAccess::kOwnerOnly, true},
      {u"new.pub", NewFileAccess::kUsual, true},
      {u"taken.key", NewFileAccess::kOwnerOnly, false},
      {u"taken.key", NewFileAccess::kUsual, false},
      {u"folder.key", NewFileAccess::kOwnerOnly, false},
      {u"missing\\sub.key", NewFileAccess::kUsual, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name, c.name + std::char_traits<char16_t>::length(c.name)));
    const std::u16string path = folder.File(c.name);
    EXPECT_EQ(WriteNewFile(path.c_str(), "secret bytes", 12, c.access), c.created);
  }
  EXPECT_EQ(ReadBytes(folder.Path() / "new.key"), "secret bytes");
  EXPECT_EQ(ReadBytes(folder.Path() / "new.pub"), "secret bytes");
  EXPECT_EQ(ReadBytes(folder.Path() / "taken.key"), "an older key");
  EXPECT_TRUE(fs::is_directory(folder.Path() / "folder.key"));
  EXPECT_TRUE(WriteNewFile(folder.File(u"empty").c_str(), nullptr, 0, NewFileAccess::kUsual));
  EXPECT_EQ(fs::file_size(folder.Path() / "empty"), 0u);
  EXPECT_FALSE(WriteNewFile(nullptr, "x", 1, NewFileAccess::kUsual));
  EXPECT_FALSE(WriteNewFile(folder.File(u"no-bytes").c_str(), nullptr, 1, NewFileAccess::kUsual));
  EXPECT_FALSE(fs::exists(folder.Path() / "no-bytes"));
}

#ifndef _WIN32
TEST(NewFile, AnOwnerOnlyFileIsReadableByItsOwnerAloneAndLinksAreNotFollowed) {
  TempFolder folder;
  ASSERT_TRUE(WriteNewFile(folder.File(u"secret").c_str(), "k", 1, NewFileAccess::kOwnerOnly));
  struct stat status = {};
  ASSERT_EQ(stat((folder.Path() / "secret").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);

  // A link planted where the key goes, even one that leads nowhere yet, is not written through.
  fs::create_symlink(folder.Path() / "elsewhere", folder.Path() / "planted");
  EXPECT_FALSE(WriteNewFile(folder.File(u"planted").c_str(), "k", 1, NewFileAccess::kOwnerOnly));
  EXPECT_FALSE(fs::exists(folder.Path() / "elsewhere"));
}
#endif

}  // namespace
