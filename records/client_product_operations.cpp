// The operations of the client record that act on the installed product as a whole: registry
// keys, shortcuts, start with Windows, the update check, the updater and the client launch.
#include <windows.h>

#include <string>

#include "records/client_info.h"
#include "support/entry_path.h"
#include "support/internet.h"
#include "support/md5.h"
#include "support/path_text.h"
#include "support/process_control.h"
#include "support/registry.h"
#include "support/shortcuts.h"
#include "support/url_parts.h"
#include "support/wide_text.h"

namespace {

constexpr char16_t kUpdaterName[] = u"update.exe";
constexpr char16_t kUninstallPrefix[] = u"\u5378\u8F7D";  // "uninstall"

bool IsFile(const char16_t* path) {
  DWORD attributes = GetFileAttributesW(AsWide(path));
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The updater's copy in the temporary folder: "_<app>_update_.exe". The app name comes from the
// configuration, so it goes through the same check as any name from data.
bool TempUpdaterPath(const char16_t* app, char16_t* out) {
  wchar_t temp[MAX_PATH + 1];
  DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  if (length == 0 || length > MAX_PATH) return false;
  std::u16string name = u"_" + std::u16string(app) + u"_update_.exe";
  return JoinEntryPath(AsUtf16(temp), name.c_str(), out);
}

// The MD5 of what url serves, as 32 upper-case digits. A unique query makes every fetch reach the
// server rather than a cache.
bool FetchDigest(const FixedWString<512>& url, char16_t* out) {
  if (out == nullptr || url.Empty()) return false;
  FixedWString<1024> request;
  if (!MakeUncachedUrl(url.Units(), &request)) return false;
  CInternet internet;
  if (!internet.Download(request.Units())) return false;
  XMD5 md5;
  Md5Init(&md5);
  Md5Update(&md5, internet.GetData(), internet.GetSize());
  Md5Final(&md5);
  out[HexEncode(out, kDigestUnits - 1, md5.digest, 16, true)] = 0;
  return true;
}

}  // namespace

bool CClientInfo::Register() {
  const char16_t* company = company_.Units();
  const char16_t* app = app_.Units();
  WriteProductValue(company, app, u"version", version_.Units(), -1);
  WriteProductValue(company, app, u"path", installFolder_.Units(), -1);
  WriteProductValue(company, app, u"md5", digest_.Units(), -1);

  char16_t icon[kPathUnits];
  char16_t uninstaller[kPathUnits];
  bool hasIcon = ComposePath(icon, kPathUnits, {installFolder_.Units(), clientFile_.Units()});
  bool hasUninstaller =
      ComposePath(uninstaller, kPathUnits, {installFolder_.Units(), uninstallerFile_.Units()});
  WriteUninstallValue(company, app, u"DisplayName", name_.Units(), -1);
  WriteUninstallValue(company, app, u"DisplayVersion", version_.Units(), -1);
  WriteUninstallValue(company, app, u"Publisher", publisher_.Units(), -1);
  if (hasIcon) WriteUninstallValue(company, app, u"DisplayIcon", icon, -1);
  if (hasUninstaller) WriteUninstallValue(company, app, u"UninstallString", uninstaller, -1);

  char16_t main[kPathUnits];
  if (GetMainPath(main)) {
    WriteProductValue(company, app, u"main", main, -1);
    CreateDesktopShortcut(main, name_.Units(), 0);
    CreateStartMenuShortcut(main, name_.Units(), 0);
    CreateQuickLaunchShortcut(main, name_.Units(), 0);
  }
  char16_t group[kPathCapacity];
  if (CreateProgramGroup(name_.Units(), group)) {
    if (GetMainPath(main)) CreateShortcutIn(main, group, name_.Units(), 0);
    std::u16string uninstallName = kUninstallPrefix + std::u16string(name_.Units());
    if (hasUninstaller) CreateShortcutIn(uninstaller, group, uninstallName.c_str(), 0);
  }
  return true;
}

bool CClientInfo::Unregister() {
  DeleteProductKey(company_.Units(), app_.Units());
  DeleteUninstallKey(company_.Units(), app_.Units());
  DeleteDesktopShortcut(name_.Units());
  DeleteStartMenuShortcut(name_.Units());
  DeleteQuickLaunchShortcut(name_.Units());
  DeleteProgramGroup(name_.Units());
  SetAutoStart(false);
  return true;
}

bool CClientInfo::IsAutoStart() {
  char16_t value[kPathUnits];
  return ReadRunValue(name_.Units(), value, kPathUnits);
}

bool CClientInfo::SetAutoStart(bool on) {
  if (!on) return DeleteRunValue(name_.Units());
  char16_t main[kPathUnits];
  if (!ReadProductValue(company_.Units(), app_.Units(), u"main", main, kPathUnits)) return false;
  return WriteRunValue(name_.Units(), main, -1);
}

bool CClientInfo::DeleteTempUpdater() {
  char16_t copy[kPathCapacity];
  return TempUpdaterPath(app_.Units(), copy) && DeleteFileW(AsWide(copy));
}

bool CClientInfo::FetchListDigest(char16_t* out) {
  return FetchListDigestFromConfig(out) || FetchListDigestFromConfig2(out);
}

bool CClientInfo::FetchListDigestFromConfig(char16_t* out) { return FetchDigest(config_, out); }

bool CClientInfo::FetchListDigestFromConfig2(char16_t* out) { return FetchDigest(config2_, out); }

bool CClientInfo::IsUpdateNeeded() {
  char16_t published[kDigestUnits];
  if (!FetchListDigest(published)) return false;
  char16_t recorded[kDigestUnits];
  if (!ReadProductValue(company_.Units(), app_.Units(), u"md5", recorded, kDigestUnits)) {
    return true;
  }
  return std::u16string(recorded, 32) != std::u16string(published, 32);
}

bool CClientInfo::RunUpdater() {
  char16_t folder[kPathCapacity];
  char16_t updater[kPathCapacity];
  char16_t copy[kPathCapacity];
  if (!GetModuleFolder(folder, nullptr) ||
      !ComposePath(updater, kPathCapacity, {folder, kUpdaterName}) || !IsFile(updater) ||
      !TempUpdaterPath(app_.Units(), copy)) {
    return false;
  }
  return CopyFileW(AsWide(updater), AsWide(copy), FALSE) &&
         RunProgram(copy, u"silent", true, nullptr);
}

bool CClientInfo::LaunchClient() {
  char16_t main[kPathUnits];
  return GetMainPath(main) && IsFile(main) && RunProgram(main, u"", true, nullptr);
}
