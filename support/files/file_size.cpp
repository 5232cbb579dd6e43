#include "support/files/file_size.h"
#include "support/files/filesystem_path.h"

#include <sys/stat.h>

bool GetFileSize(const char16_t* path, uint64_t* size) {
  if (path == nullptr || size == nullptr) return false;
#ifdef _WIN32
  struct _stat64 status;
  if (_wstat64(reinterpret_cast<const wchar_t*>(path), &status) != 0) return false;
#else
  struct stat status;
  if (stat(ToNativePathBytes(path).c_str(), &status) != 0) return false;
#endif
  if ((status.st_mode & S_IFMT) != S_IFREG) return false;
  *size = static_cast<uint64_t>(status.st_size);
  return true;
}
