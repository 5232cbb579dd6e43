#include "support/files/folder_tree.h"

#include <windows.h>
#include <shlobj.h>

#include "support/core/find_handle_windows.h"
#include "support/core/text_length.h"
#include "support/core/wide_text.h"
#include "support/text/path_text.h"

namespace {

constexpr int kLongPathCapacity = 1024;

bool IsFolder(const char16_t* path) {
  DWORD attributes = GetFileAttributesW(AsWide(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeFolder(const char16_t* path) {
  // Another process may have made it meanwhile.
  return CreateDirectoryW(AsWide(path), nullptr) || IsFolder(path);
}

void Announce(LONG event, const char16_t* path) {
  SHChangeNotify(event, SHCNF_PATHW | SHCNF_FLUSH, AsWide(path), nullptr);
}

// Removes the link itself: RemoveDirectory and DeleteFile act on a reparse point, not on what
// it points to.
bool RemoveLink(const char16_t* path, DWORD attributes) {
  bool folder = attributes & FILE_ATTRIBUTE_DIRECTORY;
  if (!(folder ? RemoveDirectoryW(AsWide(path)) : DeleteFileW(AsWide(path)))) return false;
  Announce(folder ? SHCNE_RMDIR : SHCNE_DELETE, path);
  return true;
}

bool ClearReadOnly(const char16_t* path, DWORD attributes) {
  if (!(attributes & FILE_ATTRIBUTE_READONLY)) return true;
  return SetFileAttributesW(AsWide(path), attributes & ~FILE_ATTRIBUTE_READONLY);
}

bool DeleteEntry(const char16_t* path, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return RemoveLink(path, attributes);
  if (!ClearReadOnly(path, attributes)) return false;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return DeleteTree(path);
  if (!DeleteFileW(AsWide(path))) return false;
  Announce(SHCNE_DELETE, path);
  return true;
}

bool IsDotOrDotDot(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

}  // namespace

bool CreateDirectories(const char16_t* path, char16_t separator) {
  if (path == nullptr) return false;
  int length = TextLength(path);
  if (length <= 2 || length >= kLongPathCapacity) return false;
  if (IsFolder(path)) return true;

  char16_t prefix[kLongPathCapacity];
  for (int i = 0; i <= length; ++i) prefix[i] = path[i];
  for (int k = 1; k < length; ++k) {
    if (path[k] != separator) continue;
    prefix[k] = 0;
    bool made = IsFolder(prefix) || MakeFolder(prefix);
    prefix[k] = separator;
    if (!made) return false;
  }
  if (path[length - 1] != separator && !MakeFolder(path)) return false;
  Announce(SHCNE_MKDIR, path);
  return true;
}

bool CreateParentFolder(const char16_t* filePath) {
  if (filePath == nullptr) return false;
  char16_t parent[kLongPathCapacity];
  int last = -1;
  for (int i = 0; filePath[i] != 0 && i < kLongPathCapacity - 1; ++i) {
    parent[i] = filePath[i];
    if (filePath[i] == u'\\') last = i;
  }
  if (last < 0) return false;
  parent[last + 1] = 0;
  return CreateDirectories(parent, u'\\');
}

bool RemoveEmptyFolder(const char16_t* folder) {
  if (folder == nullptr || folder[0] == 0 || !RemoveDirectoryW(AsWide(folder))) return false;
  Announce(SHCNE_RMDIR, folder);
  return true;
}

bool DeleteTree(const char16_t* folder) {
  if (folder == nullptr || folder[0] == 0) return false;
  // Without a trailing separator, so that the folder's own attributes are read and a link given
  // as the folder is seen as a link.
  char16_t bare[kPathCapacity];
  if (!ComposePath(bare, kPathCapacity, {folder})) return false;
  for (int n = TextLength(bare); n > 1 && (bare[n - 1] == u'\\' || bare[n - 1] == u'/'); --n) {
    bare[n - 1] = 0;
  }
  DWORD attributes = GetFileAttributesW(AsWide(bare));
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return RemoveLink(bare, attributes);
  }
  char16_t pattern[kPathCapacity];
  if (!ComposePath(pattern, kPathCapacity, {bare, u"\\*.*"})) return false;

  WIN32_FIND_DATAW entry;
  FindHandle find(FindFirstFileW(AsWide(pattern), &entry));
  if (find.get() == INVALID_HANDLE_VALUE) find.release();
  for (bool more = find != nullptr; more; more = FindNextFileW(find.get(), &entry)) {
    if (IsDotOrDotDot(entry.cFileName)) continue;
    char16_t path[kPathCapacity];
    if (!ComposePath(path, kPathCapacity, {bare, u"\\", AsUtf16(entry.cFileName)}) ||
        !DeleteEntry(path, entry.dwFileAttributes)) {
      return false;
    }
  }
  find.reset();

  if (attributes != INVALID_FILE_ATTRIBUTES) ClearReadOnly(bare, attributes);
  if (!RemoveDirectoryW(AsWide(bare))) return false;
  Announce(SHCNE_RMDIR, bare);
  Announce(SHCNE_DELETE, bare);
  return true;
}
