#include "product/product_registration.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "product/auto_start.h"
#include "product/installed_size.h"
#include "product/product_keys.h"
#include "product/shortcut_placements.h"
#include "records/client_info.h"
#include "records/uninst_info.h"
#include "support/filesystem_path.h"
#include "support/path_text.h"

namespace {

constexpr char16_t kUninstallPrefix[] = u"\u5378\u8F7D";  // "uninstall"

bool IsFile(const char16_t* path) {
  uint64_t size = 0;
  return GetFileSize(path, &size);
}

// Today as the list of programs reads an install date: yyyymmdd, local time.
std::u16string Today() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char text[16];
  std::snprintf(text, sizeof text, "%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
  return std::u16string(text, text + 8);
}

// What the files "uninst.dat" names take, in kilobytes: the size the list of programs shows.
uint32_t EstimatedKilobytes(const char16_t* folder) {
  char16_t listPath[kPathUnits];
  CUninstInfo list;
  if (!ComposePath(listPath, kPathUnits, {folder, SeparatorAfter(folder), u"uninst.dat"}) ||
      !list.LoadFromFile(listPath)) {
    return 0;
  }
  return InstalledKilobytes(folder, list);
}

}  // namespace

bool Register(const IClientInfo& product) {
  const char16_t* company = product.GetCompany().Units();
  const char16_t* app = product.GetApp().Units();
  const char16_t* folder = product.GetInstallFolder().Units();
  const char16_t* name = product.GetName().Units();
  const char16_t* version = product.GetVersion().Units();
  WriteProductValue(company, app, u"version", version, -1);
  WriteProductValue(company, app, u"path", folder, -1);
  WriteProductValue(company, app, u"md5", product.GetDigest().Units(), -1);

  char16_t icon[kPathUnits];
  char16_t uninstaller[kPathUnits];
  bool hasIcon = ComposePath(icon, kPathUnits, {folder, product.GetClientFile().Units()});
  // The uninstall entry and the group's shortcut name the uninstaller only when one was
  // installed: an entry that starts nothing is worse than none.
  bool hasUninstaller =
      ComposePath(uninstaller, kPathUnits, {folder, product.GetUninstallerFile().Units()}) &&
      IsFile(uninstaller);
  WriteUninstallValue(company, app, u"DisplayName", name, -1);
  WriteUninstallValue(company, app, u"DisplayVersion", version, -1);
  WriteUninstallValue(company, app, u"Publisher", product.GetPublisher().Units(), -1);
  if (hasIcon) WriteUninstallValue(company, app, u"DisplayIcon", icon, -1);
  if (hasUninstaller) {
    WriteUninstallValue(company, app, u"UninstallString", uninstaller, -1);
    const std::u16string quiet = u"\"" + std::u16string(uninstaller) + u"\" silent";
    WriteUninstallValue(company, app, u"QuietUninstallString", quiet.c_str(), -1);
  }
  // What the system's list of programs and deployment tools show beside the name; the installer
  // neither modifies nor repairs from there.
  WriteUninstallValue(company, app, u"InstallLocation", folder, -1);
  WriteUninstallValue(company, app, u"InstallDate", Today().c_str(), -1);
  WriteUninstallNumber(company, app, u"EstimatedSize", EstimatedKilobytes(folder));
  WriteUninstallNumber(company, app, u"NoModify", 1);
  WriteUninstallNumber(company, app, u"NoRepair", 1);
  if (!product.GetHomepage().Empty()) {
    WriteUninstallValue(company, app, u"URLInfoAbout", product.GetHomepage().Units(), -1);
  }

  char16_t main[kPathUnits];
  const bool hasMain = product.GetMainPath(main);
  if (hasMain) {
    WriteProductValue(company, app, u"main", main, -1);
    CreateDesktopShortcut(main, name, 0);
    CreateStartMenuShortcut(main, name, 0);
    CreateQuickLaunchShortcut(main, name, 0);
  }
  char16_t group[kPathCapacity];
  if (CreateProgramGroup(name, group)) {
    if (hasMain) CreateShortcutIn(main, group, name, 0);
    std::u16string uninstallName = kUninstallPrefix + std::u16string(name);
    if (hasUninstaller) CreateShortcutIn(uninstaller, group, uninstallName.c_str(), 0);
  }
  return true;
}

bool Unregister(const IClientInfo& product) {
  const char16_t* name = product.GetName().Units();
  DeleteProductKey(product.GetCompany().Units(), product.GetApp().Units());
  DeleteUninstallKey(product.GetCompany().Units(), product.GetApp().Units());
  DeleteDesktopShortcut(name);
  DeleteStartMenuShortcut(name);
  DeleteQuickLaunchShortcut(name);
  DeleteProgramGroup(name);
  SetAutoStart(product, false);
  return true;
}
