#include "product/shortcut_placements.h"

#include <windows.h>
#include <shlobj.h>

#include "support/files/entry_path.h"
#include "support/files/folder_tree.h"
#include "support/system/file_removal.h"
#include "support/system/shortcuts.h"
#include "support/text/path_text.h"

namespace {

constexpr const char16_t* kQuickLaunch = u"\\Microsoft\\Internet Explorer\\Quick Launch";

// The path of "<name>.lnk" in folder. Names come from the product's configuration: one that
// would lead out of the folder is refused.
bool LinkPathIn(const char16_t* folder, const char16_t* name, char16_t* out) {
  char16_t file[kPathCapacity];
  return name != nullptr && name[0] != 0 && ComposePath(file, kPathCapacity, {name, u".lnk"}) &&
         JoinEntryPath(folder, file, out);
}

// The same in a special folder, or in a folder below it (under begins with a backslash).
bool SpecialLinkPath(int folderId, const char16_t* under, const char16_t* name, char16_t* out) {
  char16_t special[kPathCapacity];
  char16_t folder[kPathCapacity];
  return GetSpecialFolder(special, folderId) &&
         ComposePath(folder, kPathCapacity, {special, under}) && LinkPathIn(folder, name, out);
}

bool DeleteSpecialShortcut(int folderId, const char16_t* under, const char16_t* name) {
  char16_t link[kPathCapacity];
  return SpecialLinkPath(folderId, under, name, link) && DeleteShellFile(link);
}

// The group's name comes from the product's configuration, and the group is removed with all
// it holds: a name leading out of the programs folder is refused.
bool ProgramGroupPath(const char16_t* name, char16_t* out) {
  char16_t programs[kPathCapacity];
  return GetSpecialFolder(programs, CSIDL_COMMON_PROGRAMS) && JoinEntryPath(programs, name, out);
}

}  // namespace

bool DeleteDesktopShortcut(const char16_t* name) {
  return DeleteSpecialShortcut(CSIDL_COMMON_DESKTOPDIRECTORY, u"", name);
}

bool DeleteStartMenuShortcut(const char16_t* name) {
  return DeleteSpecialShortcut(CSIDL_COMMON_STARTMENU, u"", name);
}

bool DeleteQuickLaunchShortcut(const char16_t* name) {
  return DeleteSpecialShortcut(CSIDL_APPDATA, kQuickLaunch, name);
}

bool DeleteProgramGroup(const char16_t* name) {
  char16_t group[kPathCapacity];
  return ProgramGroupPath(name, group) && DeleteTree(group);
}
