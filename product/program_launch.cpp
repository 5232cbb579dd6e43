#include "product/program_launch.h"

#include <windows.h>

#include <string>

#include "records/client_info.h"
#include "support/core/wide_text.h"
#include "support/files/entry_path.h"
#include "support/system/process_control.h"
#include "support/text/path_text.h"

namespace {

constexpr char16_t kUpdaterName[] = u"update.exe";

bool IsFile(const char16_t* path) {
  DWORD attributes = GetFileAttributesW(AsWide(path));
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool TempUpdaterPath(const char16_t* app, char16_t* out) {
  return TempProgramCopyPath(app, u"update", out);
}

}  // namespace

// The app name comes from the configuration, so it goes through the same check as any name from
// data.
bool TempProgramCopyPath(const char16_t* app, const char16_t* program, char16_t* out) {
  wchar_t temp[MAX_PATH + 1];
  DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  if (app == nullptr || program == nullptr || length == 0 || length > MAX_PATH) return false;
  std::u16string name = u"_" + std::u16string(app) + u"_" + program + u"_.exe";
  return JoinEntryPath(AsUtf16(temp), name.c_str(), out);
}

bool LaunchClient(const IClientInfo& product) {
  char16_t main[kPathUnits];
  return product.GetMainPath(main) && IsFile(main) && RunProgram(main, u"", true, nullptr);
}

bool RunUpdater(const IClientInfo& product) {
  char16_t folder[kPathCapacity];
  char16_t updater[kPathCapacity];
  char16_t copy[kPathCapacity];
  if (!GetModuleFolder(folder, nullptr) ||
      !ComposePath(updater, kPathCapacity, {folder, kUpdaterName}) || !IsFile(updater) ||
      !TempUpdaterPath(product.GetApp().Units(), copy)) {
    return false;
  }
  return CopyFileW(AsWide(updater), AsWide(copy), FALSE) &&
         RunProgram(copy, u"silent", true, nullptr);
}

bool DeleteTempUpdater(const IClientInfo& product) {
  char16_t copy[kPathCapacity];
  return TempUpdaterPath(product.GetApp().Units(), copy) && DeleteFileW(AsWide(copy));
}
