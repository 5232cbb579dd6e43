#include "support/file_replacement.h"

#include <windows.h>

#include <cstring>

#include "support/file_stream.h"
#include "support/filesystem_path.h"
#include "support/md5.h"
#include "support/path_text.h"
#include "support/wide_text.h"

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

bool HoldsBytes(const char16_t* path, const void* bytes, uint32_t n) {
  uint64_t size = 0;
  if (!GetFileSize(path, &size) || size != n) return false;
  XMD5 expected;
  Md5Init(&expected);
  Md5Update(&expected, bytes, n);
  Md5Final(&expected);
  uint8_t found[16] = {};
  return Md5OfFile(found, path) && std::memcmp(found, expected.digest, sizeof found) == 0;
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
  if (write(AsUtf16(fresh)) &&
      MoveFileExW(fresh, AsWide(path), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  DeleteFileW(fresh);
  return false;
}

bool ReplaceWholeFile(const char16_t* path, const void* bytes, uint32_t n) {
  if (bytes == nullptr) return false;
  return ReplaceFileBy(path, [bytes, n](const char16_t* fresh) {
    return WriteWholeFile(fresh, bytes, n) && HoldsBytes(fresh, bytes, n);
  });
}
