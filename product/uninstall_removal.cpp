#include "product/uninstall_removal.h"

#include <windows.h>

#include "records/uninst_info.h"
#include "support/entry_path.h"
#include "support/file_removal.h"
#include "support/folder_tree.h"
#include "support/path_text.h"
#include "support/wide_text.h"

bool RemoveEntryFile(const IUninstInfo& list, int index, const char16_t* folder) {
  return RemoveInstalledEntry(folder, list.Get(index));
}

bool RemoveInstalledEntry(const char16_t* folder, const char16_t* entry) {
  if (folder == nullptr || entry == nullptr) return false;
  char16_t path[kPathCapacity];
  if (!JoinEntryPath(folder, entry, path)) return false;

  DWORD attributes = GetFileAttributesW(AsWide(path));
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return DeleteTree(path);

  wchar_t self[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (length > 0 && length < MAX_PATH && CompareStringOrdinal(self, -1, AsWide(path), -1, TRUE) ==
                                              CSTR_EQUAL) {
    return false;
  }
  return DeleteFileOrStopOwner(path, nullptr, nullptr);
}
