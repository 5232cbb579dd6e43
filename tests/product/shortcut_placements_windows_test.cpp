#include "product/shortcut_placements.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/folder_tree.h"
#include "support/path_text.h"
#include "tests/helpers/shortcut_reader.h"
#include "tests/helpers/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// Names unique to this run, with Chinese in them, so shortcuts of other runs never interfere.
std::u16string UniqueName(const char16_t* what) {
  std::string id = std::to_string(GetCurrentProcessId());
  return u"\u5BA2\u6237\u7AEF " + std::u16string(what) + u" " +
         std::u16string(id.begin(), id.end());
}

TEST(ShortcutPlacements, WriteLinksThatReadBackAndGo) {
  TempFolder folder;
  WriteBytes(folder.Path() / "client.exe", "exe");
  std::u16string target = folder.File(u"client.exe");
  fs::path quickLaunch =
      SpecialFolder(CSIDL_APPDATA) / "Microsoft" / "Internet Explorer" / "Quick Launch";
  fs::create_directories(quickLaunch);  // present in every Windows profile; Wine makes none

  struct Case {
    bool (*create)(const char16_t*, const char16_t*, char16_t);
    bool (*remove)(const char16_t*);
    fs::path folder;
    char16_t hotKey;
    WORD expectedHotKey;
  };
  const Case cases[] = {
      {CreateDesktopShortcut, DeleteDesktopShortcut, SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY),
       u'q', 0x0351},
      {CreateStartMenuShortcut, DeleteStartMenuShortcut, SpecialFolder(CSIDL_COMMON_STARTMENU), 0,
       0},
      {CreateQuickLaunchShortcut, DeleteQuickLaunchShortcut, quickLaunch, u'Z', 0x035A},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder.string());
    std::u16string name = UniqueName(u"shortcut");
    fs::path link = c.folder / (name + u".lnk");
    ASSERT_TRUE(c.create(target.c_str(), name.c_str(), c.hotKey));
    ASSERT_TRUE(fs::exists(link));
    LinkContent content = ReadShortcut(link);
    EXPECT_EQ(fs::path(content.target), fs::path(target));
    EXPECT_EQ(content.hotKey, c.expectedHotKey);

    EXPECT_TRUE(c.remove(name.c_str()));
    EXPECT_FALSE(fs::exists(link));
    EXPECT_FALSE(c.remove(name.c_str()));
  }
}

TEST(ShortcutPlacements, ProgramGroupHoldsShortcutsAndGoesWithThem) {
  TempFolder folder;
  WriteBytes(folder.Path() / "client.exe", "exe");
  std::u16string target = folder.File(u"client.exe");
  std::u16string name = UniqueName(u"group");

  char16_t group[kPathCapacity] = {};
  ASSERT_TRUE(CreateProgramGroup(name.c_str(), group));
  EXPECT_EQ(fs::path(group), SpecialFolder(CSIDL_COMMON_PROGRAMS) / name);
  EXPECT_TRUE(fs::is_directory(fs::path(group)));
  EXPECT_TRUE(CreateProgramGroup(name.c_str(), nullptr));  // there already

  std::u16string uninstall = u"\u5378\u8F7D" + name;  // 卸载<name>
  ASSERT_TRUE(CreateShortcutIn(target.c_str(), group, name.c_str(), 0));
  ASSERT_TRUE(CreateShortcutIn(target.c_str(), group, uninstall.c_str(), u'u'));
  LinkContent content = ReadShortcut(fs::path(group) / (uninstall + u".lnk"));
  EXPECT_EQ(fs::path(content.target), fs::path(target));
  EXPECT_EQ(content.hotKey, 0x0355);

  EXPECT_TRUE(DeleteProgramGroup(name.c_str()));
  EXPECT_FALSE(fs::exists(fs::path(group)));
  EXPECT_FALSE(DeleteProgramGroup(name.c_str()));
}

// Names come from the configuration: none may lead out of its folder, least of all the group,
// which is removed with everything in it.
TEST(ShortcutPlacements, RefusesNamesThatLeaveTheirFolder) {
  TempFolder folder;
  WriteBytes(folder.Path() / "client.exe", "exe");
  std::u16string target = folder.File(u"client.exe");
  fs::path programs = SpecialFolder(CSIDL_COMMON_PROGRAMS);
  const char16_t* groups[] = {u"", u"..", u"..\\..", u"..\\escape", u"C:\\escape", u"a:b"};
  for (const char16_t* name : groups) {
    SCOPED_TRACE(std::u16string(name).size());
    EXPECT_FALSE(CreateProgramGroup(name, nullptr));
    EXPECT_FALSE(DeleteProgramGroup(name));
  }
  const char16_t* links[] = {u"", u"..\\escape", u"..\\..\\escape", u"C:\\escape", u"a:b"};
  for (const char16_t* name : links) {
    SCOPED_TRACE(std::u16string(name).size());
    EXPECT_FALSE(CreateDesktopShortcut(target.c_str(), name, 0));
    EXPECT_FALSE(CreateShortcutIn(target.c_str(), folder.File(u"").c_str(), name, 0));
  }
  EXPECT_TRUE(fs::is_directory(programs));
  EXPECT_FALSE(fs::exists(programs.parent_path() / "escape.lnk"));

  EXPECT_FALSE(CreateDesktopShortcut(nullptr, u"name", 0));
}

}  // namespace
