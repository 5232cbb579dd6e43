#include "support/files/file_replacement.h"

#include <windows.h>

#include "support/core/wide_text.h"
#include "support/text/path_text.h"

namespace {

// The folder part of path, with its trailing backslash; false for a path without one.
bool FolderOf(const char16_t* path, char16_t* out) {
  int last = -1;
  for (int i = 0; path[i] != 0; ++i) {
    if (path[i] == u'\\') last = i;
  }
  if (last < 0 || !ComposePath(out, kPathCapacity, {path})) return false;
  out[last + 1] = 0;
  return true;
}

}  // namespace

bool ReplaceFileBy(const char16_t* path, const std::function<bool(const char16_t*)>& write) {
  if (path == nullptr) return false;
  char16_t folder[kPathCapacity];
  wchar_t fresh[MAX_PATH];
  // A name of the system's making, unique in the folder and no longer than the folder allows.
  if (!FolderOf(path, folder) || GetTempFileNameW(AsWide(folder), L"new", 0, fresh) == 0) {
    return false;
  }
  if (write(AsUtf16(fresh)) && MoveFileIntoPlace(AsUtf16(fresh), path)) return true;
  DeleteFileW(fresh);
  return false;
}

bool MoveFileIntoPlace(const char16_t* fresh, const char16_t* target) {
  return fresh != nullptr && target != nullptr &&
         MoveFileExW(AsWide(fresh), AsWide(target),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}
