#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// WriteWhole through WriteFile on file, opened for synchronous writing: 0 when every byte was
// written, else the system's error, ERROR_DISK_FULL for a write cut short without one.
uint32_t WriteWholeToHandle(HANDLE file, const uint8_t* bytes, size_t count);
// The same at offset in file, wherever its pointer is.
uint32_t WriteWholeToHandleAt(HANDLE file, uint64_t offset, const uint8_t* bytes, size_t count);
