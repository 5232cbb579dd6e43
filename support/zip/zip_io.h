#pragma once

#include <minizip/ioapi.h>

#include <cstdint>

class PackedView;

// The byte sources minizip reads archives from and writes them to.

// An archive held in memory; pass its address as the "file name" with MemoryZipIo. The bytes
// stay the caller's.
struct ZipMemory {
  const uint8_t* bytes = nullptr;
  uint64_t size = 0;
  uint64_t position = 0;
};
zlib_filefunc64_def MemoryZipIo();

// Bytes [offset, offset + size) of a packed container's payload, read in place (see PackedView);
// pass its address as the "file name" with PackedZipIo. The view stays the caller's.
struct ZipPackedRange {
  const PackedView* view = nullptr;
  uint64_t offset = 0;
  uint64_t size = 0;
  uint64_t position = 0;
};
zlib_filefunc64_def PackedZipIo();

// Bytes [offset, offset + size) of the file at path, for reading: an archive file, or an archive
// stored whole inside one. Pass its address as the "file name" with FileRangeZipIo; the path is
// read when the file opens.
struct ZipFileRange {
  const char16_t* path = nullptr;
  uint64_t offset = 0;
  uint64_t size = 0;
};
zlib_filefunc64_def FileRangeZipIo();

// Archive files named by UTF-16 paths (pass a const char16_t* as the "file name"), so their
// paths may hold any character, whatever the code page.
zlib_filefunc64_def FileZipIo();
