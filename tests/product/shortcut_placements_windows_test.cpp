#include "product/shortcut_placements.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/system/shortcuts.h"
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

// Each shortcut goes from its own place, a second time there is nothing to remove, and the group
// goes with what it holds.
TEST(ShortcutPlacements, RemoveTheProductsShortcutsAndGroup) {
  TempFolder folder;
  WriteBytes(folder.Path() / "client.exe", "exe");
  const std::u16string target = folder.File(u"client.exe");
  const fs::path quickLaunch =
      SpecialFolder(CSIDL_APPDATA) / "Microsoft" / "Internet Explorer" / "Quick Launch";
  fs::create_directories(quickLaunch);  // present in every Windows profile; Wine makes none
  const std::u16string name = UniqueName(u"shortcut");
  const fs::path group = SpecialFolder(CSIDL_COMMON_PROGRAMS) / name;
  fs::create_directories(group);
  struct Case {
    bool (*remove)(const char16_t*);
    fs::path link;
  };
  const Case cases[] = {
      {DeleteDesktopShortcut, SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) / (name + u".lnk")},
      {DeleteStartMenuShortcut, SpecialFolder(CSIDL_COMMON_STARTMENU) / (name + u".lnk")},
      {DeleteQuickLaunchShortcut, quickLaunch / (name + u".lnk")},
      {DeleteProgramGroup, group / (name + u".lnk")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.link.string());
    ASSERT_TRUE(CreateShortcut(target.c_str(), c.link.u16string().c_str(), 0));
    EXPECT_EQ(fs::path(ReadShortcut(c.link).target), fs::path(target));
    EXPECT_TRUE(c.remove(name.c_str()));
    EXPECT_FALSE(fs::exists(c.link));
    EXPECT_FALSE(c.remove(name.c_str()));
  }
  EXPECT_FALSE(fs::exists(group));
}

// Names come from the configuration: none may lead out of its folder, least of all the group,
// which is removed with everything in it.
TEST(ShortcutPlacements, RefusesNamesThatLeaveTheirFolder) {
  const fs::path programs = SpecialFolder(CSIDL_COMMON_PROGRAMS);
  const char16_t* names[] = {u"", u"..", u"..\\..", u"..\\escape", u"C:\\escape", u"a:b"};
  for (const char16_t* name : names) {
    SCOPED_TRACE(std::u16string(name).size());
    EXPECT_FALSE(DeleteProgramGroup(name));
    EXPECT_FALSE(DeleteDesktopShortcut(name));
  }
  EXPECT_TRUE(fs::is_directory(programs));
}

}  // namespace
