#include "product/registration_steps.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <vector>

#include "product/installed_size.h"
#include "product/product_key_paths.h"
#include "product/registry_values.h"
#include "records/client_info.h"
#include "records/current_language.h"
#include "support/files/entry_path.h"
#include "support/files/file_size.h"
#include "support/system/shortcuts.h"
#include "support/text/path_text.h"

namespace {

constexpr char16_t kQuickLaunch[] = u"\\Microsoft\\Internet Explorer\\Quick Launch\\";

bool IsFile(const char16_t* path) {
  uint64_t size = 0;
  return GetFileSize(path, &size);
}

bool IsFolder(const char16_t* path) {
  const DWORD attributes = GetFileAttributesW(reinterpret_cast<const wchar_t*>(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// "<name>.lnk" in folder, when the folder is there; empty otherwise. False for a name that
// would lead out of the folder.
bool LinkIn(const char16_t* folder, const char16_t* name, std::u16string* link) {
  link->clear();
  char16_t file[kPathCapacity];
  char16_t path[kPathCapacity];
  if (name[0] == 0 || !ComposePath(file, kPathCapacity, {name, u".lnk"}) ||
      !JoinEntryPath(folder, file, path)) {
    return false;
  }
  if (IsFolder(folder)) link->assign(path);
  return true;
}

bool SpecialFolder(int id, const char16_t* below, char16_t* out) {
  char16_t special[kPathCapacity];
  return GetSpecialFolder(special, id) && ComposePath(out, kPathCapacity, {special, below});
}

std::u16string FolderOf(const std::u16string& path) {
  return path.substr(0, path.rfind(u'\\') + 1);
}

// Today as the list of programs reads an install date: yyyymmdd, local time.
std::u16string Today() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char text[16];
  std::snprintf(text, sizeof text, "%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
  return std::u16string(text, text + 8);
}

bool PlaceShortcut(CChangeJournal& journal, const std::u16string& link, const char16_t* target) {
  return journal.PlaceFile(link, [target](const std::u16string& staging) {
    return CreateShortcut(target, staging.c_str(), 0);
  });
}

}  // namespace

bool FindRegistrationPlaces(const IClientInfo& product, RegistrationPlaces* places) {
  const char16_t* company = product.GetCompany().Units();
  const char16_t* app = product.GetApp().Units();
  const char16_t* name = product.GetName().Units();
  char16_t key[kKeyPathCapacity];
  char16_t desktop[kPathCapacity];
  char16_t startMenu[kPathCapacity];
  char16_t quickLaunch[kPathCapacity];
  char16_t programs[kPathCapacity];
  char16_t group[kPathCapacity];
  if (!FormatProductKeyPath(company, app, key, kKeyPathCapacity)) return false;
  places->productKey = key;
  if (!FormatUninstallKeyPath(company, app, key, kKeyPathCapacity)) return false;
  places->uninstallKey = key;
  if (!SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY, u"\\", desktop) ||
      !SpecialFolder(CSIDL_COMMON_STARTMENU, u"\\", startMenu) ||
      !SpecialFolder(CSIDL_APPDATA, kQuickLaunch, quickLaunch) ||
      !SpecialFolder(CSIDL_COMMON_PROGRAMS, u"\\", programs) ||
      !LinkIn(desktop, name, &places->desktopLink) ||
      !LinkIn(startMenu, name, &places->startMenuLink) ||
      !LinkIn(quickLaunch, name, &places->quickLaunchLink) ||
      !JoinEntryPath(programs, name, group)) {
    return false;
  }
  places->group = std::u16string(group) + u"\\";
  return true;
}

bool RegisterThrough(CChangeJournal& journal, const IClientInfo& product,
                     const IUninstInfo& installed, bool autoStart, bool desktopShortcut) {
  RegistrationPlaces places;
  if (!FindRegistrationPlaces(product, &places)) return false;
  if (!desktopShortcut) places.desktopLink.clear();
  const char16_t* folder = product.GetInstallFolder().Units();
  const char16_t* name = product.GetName().Units();
  const char16_t* version = product.GetVersion().Units();
  char16_t icon[kPathCapacity];
  char16_t uninstaller[kPathCapacity];
  char16_t main[kPathUnits];
  const bool hasIcon = ComposePath(icon, kPathCapacity, {folder, product.GetClientFile().Units()});
  // The uninstall entry and the group's shortcut name the uninstaller only when one was
  // installed: an entry that starts nothing is worse than none.
  const bool hasUninstaller =
      ComposePath(uninstaller, kPathCapacity, {folder, product.GetUninstallerFile().Units()}) &&
      IsFile(uninstaller);
  const bool hasMain = product.GetMainPath(main);
  // Quoted, so that a folder with spaces ("C:\Program Files\...") is one path to whoever runs
  // it, never "C:\Program" with arguments.
  const std::u16string quoted = u"\"" + std::u16string(uninstaller) + u"\"";

  struct Value {
    const std::u16string& key;
    const char16_t* name;
    RegistryValue value;
    bool wanted;
  };
  const Value values[] = {
      {places.productKey, u"version", TextValue(version), true},
      {places.productKey, u"path", TextValue(folder), true},
      {places.productKey, u"md5", TextValue(product.GetDigest().Units()), true},
      {places.productKey, u"main", TextValue(main), hasMain},
      {places.uninstallKey, u"DisplayName", TextValue(name), true},
      {places.uninstallKey, u"DisplayVersion", TextValue(version), true},
      {places.uninstallKey, u"Publisher", TextValue(product.GetPublisher().Units()), true},
      {places.uninstallKey, u"DisplayIcon", TextValue(icon), hasIcon},
      {places.uninstallKey, u"UninstallString", TextValue(quoted), hasUninstaller},
      {places.uninstallKey, u"QuietUninstallString", TextValue(quoted + u" silent"),
       hasUninstaller},
      // What the system's list of programs and deployment tools show beside the name; the
      // installer neither modifies nor repairs from there.
      {places.uninstallKey, u"InstallLocation", TextValue(folder), true},
      {places.uninstallKey, u"InstallDate", TextValue(Today()), true},
      {places.uninstallKey, u"EstimatedSize", NumberValue(InstalledKilobytes(folder, installed)),
       true},
      {places.uninstallKey, u"NoModify", NumberValue(1), true},
      {places.uninstallKey, u"NoRepair", NumberValue(1), true},
      {places.uninstallKey, u"URLInfoAbout", TextValue(product.GetHomepage().Units()),
       !product.GetHomepage().Empty()},
  };
  std::vector<CChangeJournal::ValueChange> changes;
  for (const Value& value : values) {
    if (value.wanted) changes.push_back({value.key, value.name, value.value});
  }
  if (!journal.SetValues(changes)) return false;
  if (hasMain) {
    for (const std::u16string* link :
         {&places.desktopLink, &places.startMenuLink, &places.quickLaunchLink}) {
      if (!link->empty() && !PlaceShortcut(journal, *link, main)) return false;
    }
  }
  if (!journal.CreateFolder(places.group)) return false;
  std::u16string groupLink;
  if (hasMain && (!LinkIn(places.group.c_str(), name, &groupLink) ||
                  !PlaceShortcut(journal, groupLink, main))) {
    return false;
  }
  const std::u16string uninstallName = Text(TextKey::kUninstallShortcut, {{u"name", name}});
  if (hasUninstaller && (!LinkIn(places.group.c_str(), uninstallName.c_str(), &groupLink) ||
                         !PlaceShortcut(journal, groupLink, uninstaller))) {
    return false;
  }
  return !autoStart || !hasMain || journal.SetValue(kRunKeyPath, name, TextValue(main));
}

JournalBounds RegistrationBounds(const IClientInfo& product, const std::u16string& folder) {
  JournalBounds bounds;
  bounds.folders.push_back({folder, u""});
  RegistrationPlaces places;
  if (!FindRegistrationPlaces(product, &places)) return bounds;
  const std::u16string link = std::u16string(product.GetName().Units()) + u".lnk";
  for (const std::u16string* path :
       {&places.desktopLink, &places.startMenuLink, &places.quickLaunchLink}) {
    if (!path->empty()) bounds.folders.push_back({FolderOf(*path), link});
  }
  bounds.folders.push_back({places.group, u""});
  bounds.keys = {{places.productKey, u""},
                 {places.uninstallKey, u""},
                 {kRunKeyPath, product.GetName().Units()}};
  return bounds;
}
