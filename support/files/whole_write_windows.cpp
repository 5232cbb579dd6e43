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

uint32_t WriteWholeToHandleAt(HANDLE file, uint64_t offset, const uint8_t* bytes, size_t count) {
  const WriteCall write = [file, &offset](const uint8_t* piece, uint32_t n, uint32_t* written,
                                          uint32_t* error) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD done = 0;
    const bool wrote = WriteFile(file, piece, n, &done, &at) != 0;
    *written = done;
    offset += done;
    if (!wrote) *error = GetLastError();
    return wrote;
  };
  return WriteWhole(write, bytes, count, ERROR_DISK_FULL);
}
