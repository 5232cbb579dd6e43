#include "product/uninstall_removal.h"

#include <windows.h>

#include "records/uninst_info.h"
#include "support/core/wide_text.h"
#include "support/files/entry_path.h"
#include "support/files/folder_tree.h"
#include "support/files/link_check.h"
#include "support/system/file_removal.h"
#include "support/text/path_text.h"

namespace {

enum class FolderRemoval { kEmptyOnly, kWholeTree };

bool IsRunningProgram(const char16_t* path) {
  wchar_t self[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  return length > 0 && length < MAX_PATH &&
         CompareStringOrdinal(self, -1, AsWide(path), -1, TRUE) == CSTR_EQUAL;
}

bool RemoveEntry(const char16_t* folder, const char16_t* entry, FolderRemoval folders) {
  if (folder == nullptr || entry == nullptr) return false;
  char16_t path[kPathCapacity];
  if (!JoinEntryPath(folder, entry, path) || CrossesLink(folder, path)) return false;

  DWORD attributes = GetFileAttributesW(AsWide(path));
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    return folders == FolderRemoval::kWholeTree ? DeleteTree(path) : RemoveEmptyFolder(path);
  }
  if (IsRunningProgram(path)) return false;
  // A read-only file is the product's to remove all the same.
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    SetFileAttributesW(AsWide(path), attributes & ~FILE_ATTRIBUTE_READONLY);
  }
  return DeleteFileOrStopOwner(path, nullptr, nullptr);
}

}  // namespace

bool RemoveEntryFile(const IUninstInfo& list, int index, const char16_t* folder) {
  return RemoveEntry(folder, list.Get(index), FolderRemoval::kEmptyOnly);
}

bool RemoveInstalledEntry(const char16_t* folder, const char16_t* entry) {
  return RemoveEntry(folder, entry, FolderRemoval::kWholeTree);
}

bool IsEntryGone(const char16_t* folder, const char16_t* entry) {
  char16_t path[kPathCapacity];
  if (folder == nullptr || entry == nullptr || !JoinEntryPath(folder, entry, path) ||
      CrossesLink(folder, path)) {
    return false;
  }
  if (GetFileAttributesW(AsWide(path)) != INVALID_FILE_ATTRIBUTES) return false;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}
