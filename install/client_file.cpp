#include "install/client_file.h"

#include <cstdint>

#include "support/files/entry_path.h"
#include "support/files/file_size.h"
#include "support/text/path_text.h"

bool HasClientFile(const char16_t* folder, const char16_t* clientFile) {
  if (folder == nullptr || clientFile == nullptr || clientFile[0] == 0) return false;
  char16_t path[kPathCapacity];
  uint64_t size = 0;
  return JoinEntryPath(folder, clientFile, path) && GetFileSize(path, &size);
}
