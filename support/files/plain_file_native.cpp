#include "support/files/plain_file.h"

#include <sys/stat.h>

#include "support/files/filesystem_path.h"

bool IsSoleNameOfPlainFile(const char16_t* path) {
  struct stat status;
  return path != nullptr && lstat(ToNativePathBytes(path).c_str(), &status) == 0 &&
         S_ISREG(status.st_mode) && status.st_nlink == 1;
}
