#include <fcntl.h>
#include <unistd.h>

#include "support/files/file_stream.h"
#include "support/files/filesystem_path.h"
#include "support/files/new_file.h"

namespace {

bool WriteAll(int descriptor, const uint8_t* bytes, uint32_t n) {
  while (n > 0) {
    ssize_t written = write(descriptor, bytes, n);
    if (written <= 0) return false;
    bytes += written;
    n -= static_cast<uint32_t>(written);
  }
  return true;
}

}  // namespace

bool WriteNewFile(const char16_t* path, const void* bytes, uint32_t n, NewFileAccess access) {
  if (path == nullptr || (bytes == nullptr && n > 0)) return false;
  // O_EXCL also refuses a link of that name, even one that leads nowhere.
  mode_t mode = access == NewFileAccess::kOwnerOnly ? 0600 : 0666;
  int descriptor = open(ToNativePathBytes(path).c_str(), O_WRONLY | O_CREAT | O_EXCL, mode);
  if (descriptor < 0) return false;
  bool written = WriteAll(descriptor, static_cast<const uint8_t*>(bytes), n);
  bool closed = close(descriptor) == 0;
  if (written && closed) return true;
  RemoveFile(path);
  return false;
}
