#include "product/installed_size.h"

#include "records/uninst_info.h"
#include "support/files/entry_path.h"
#include "support/files/file_size.h"
#include "support/text/path_text.h"

uint32_t InstalledKilobytes(const char16_t* folder, const IUninstInfo& list) {
  uint64_t bytes = 0;
  for (int i = 0; i < list.Count(); ++i) {
    // The list is data from the folder: its names pass the same gate as every other.
    char16_t path[kPathCapacity];
    uint64_t size = 0;
    if (JoinEntryPath(folder, list.Get(i), path) && GetFileSize(path, &size)) bytes += size;
  }
  const uint64_t kilobytes = (bytes + 1023) / 1024;
  return kilobytes > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(kilobytes);
}
