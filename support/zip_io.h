#pragma once

#include <minizip/ioapi.h>

#include <cstdint>

// The byte sources minizip reads archives from and writes them to.

// An archive held in memory; pass its address as the "file name" with MemoryZipIo. The bytes
// stay the caller's.
struct ZipMemory {
  const uint8_t* bytes = nullptr;
  uint64_t size = 0;
  uint64_t position = 0;
};
zlib_filefunc64_def MemoryZipIo();

// Archive files named by UTF-16 paths (pass a const char16_t* as the "file name"), so their
// paths may hold any character, whatever the code page.
zlib_filefunc64_def FileZipIo();
