#include "support/files/whole_write_windows.h"

#include "support/files/whole_write.h"

uint32_t WriteWholeToHandle(HANDLE file, const uint8_t* bytes, size_t count) {
  const WriteCall write = [file](const uint8_t* piece, uint32_t n, uint32_t* written,
                                 uint32_t* error) {
    DWORD done = 0;
    const bool wrote = WriteFile(file, piece, n, &done, nullptr) != 0;
    *written = done;
    if (!wrote) *error = GetLastError();
    return wrote;
  };
  return WriteWhole(write, bytes, count, ERROR_DISK_FULL);
}
