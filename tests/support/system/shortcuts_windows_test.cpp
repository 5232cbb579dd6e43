#include "support/system/shortcuts.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "support/text/path_text.h"
#include "tests/helpers/shortcut_reader.h"
#include "tests/helpers/temp_folder.h"

namespace {

namespace fs = std::filesystem;

TEST(Shortcuts, FindsTheSpecialFolders) {
  for (int id : {CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_COMMON_STARTMENU, CSIDL_COMMON_PROGRAMS,
                 CSIDL_APPDATA}) {
    SCOPED_TRACE(id);
    fs::path folder = SpecialFolder(id);
    EXPECT_TRUE(fs::is_directory(folder)) << folder.string();
  }
  char16_t out[kPathCapacity];
  EXPECT_FALSE(GetSpecialFolder(nullptr, CSIDL_APPDATA));
  EXPECT_FALSE(GetSpecialFolder(out, 0x7777));
}

TEST(Shortcuts, CreatesOnlyLinksItCanSave) {
  TempFolder folder;
  WriteBytes(folder.Path() / "client.exe", "exe");
  std::u16string target = folder.File(u"client.exe");
  ASSERT_TRUE(CreateShortcut(target.c_str(), folder.File(u"a.lnk").c_str(), u'k'));
  LinkContent content = ReadShortcut(folder.Path() / "a.lnk");
  EXPECT_EQ(fs::path(content.target), fs::path(target));
  EXPECT_EQ(content.hotKey, 0x034B);

  EXPECT_FALSE(CreateShortcut(nullptr, folder.File(u"b.lnk").c_str(), 0));
  EXPECT_FALSE(CreateShortcut(target.c_str(), nullptr, 0));
  EXPECT_FALSE(CreateShortcut(target.c_str(), folder.File(u"missing\\a.lnk").c_str(), 0));
}

}  // namespace
