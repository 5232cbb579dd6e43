#pragma once

#include <minizip/ioapi.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "support/zip/zip_io.h"
#include "support/zip/zip_parts_io.h"

// An archive's bytes, read at any offset through a stream of its own (opened on the first read),
// so that several threads, each with one, read the same archive at once, beside its zip reader.
class ArchiveBytes {
 public:
  // Copies of where the bytes are: the memory, the view and the path stay the caller's.
  explicit ArchiveBytes(const ZipMemory& memory);
  explicit ArchiveBytes(const ZipPackedRange& packed);
  explicit ArchiveBytes(const ZipFileRange& file);
  explicit ArchiveBytes(const ZipParts& parts);
  ~ArchiveBytes();
  ArchiveBytes(const ArchiveBytes&) = delete;
  ArchiveBytes& operator=(const ArchiveBytes&) = delete;

  // Reads n bytes at offset into bytes; false when they are not all there or cannot be read.
  bool Read(uint64_t offset, uint8_t* bytes, size_t n);

 private:
  ZipMemory memory_;
  ZipPackedRange packed_;
  ZipFileRange file_;
  std::u16string path_;  // file_'s
  ZipParts parts_;
  const void* source_ = nullptr;
  zlib_filefunc64_def io_ = {};
  voidpf stream_ = nullptr;
};
