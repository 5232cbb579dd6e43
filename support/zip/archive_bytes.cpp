#include "support/zip/archive_bytes.h"

#include <algorithm>

namespace {

// minizip's reads count in uLong, which may have 32 bits.
constexpr size_t kLargestRead = 1u << 30;

}  // namespace

ArchiveBytes::ArchiveBytes(const ZipMemory& memory)
    : memory_{memory.bytes, memory.size, 0}, source_(&memory_), io_(MemoryZipIo()) {}

ArchiveBytes::ArchiveBytes(const ZipPackedRange& packed)
    : packed_{packed.view, packed.offset, packed.size, 0}, source_(&packed_), io_(PackedZipIo()) {}

ArchiveBytes::ArchiveBytes(const ZipFileRange& file)
    : path_(file.path != nullptr ? file.path : u""), source_(&file_), io_(FileRangeZipIo()) {
  file_ = {path_.c_str(), file.offset, file.size};
}

ArchiveBytes::ArchiveBytes(const ZipParts& parts)
    : parts_(parts), source_(&parts_), io_(PartsZipIo()) {}

ArchiveBytes::~ArchiveBytes() {
  if (stream_ != nullptr) io_.zclose_file(io_.opaque, stream_);
}

bool ArchiveBytes::Read(uint64_t offset, uint8_t* bytes, size_t n) {
  if (stream_ == nullptr) {
    stream_ = io_.zopen64_file(io_.opaque, source_,
                               ZLIB_FILEFUNC_MODE_READ | ZLIB_FILEFUNC_MODE_EXISTING);
    if (stream_ == nullptr) return false;
  }
  if (io_.zseek64_file(io_.opaque, stream_, offset, ZLIB_FILEFUNC_SEEK_SET) != 0) return false;
  while (n > 0) {
    const uLong wanted = static_cast<uLong>(std::min(n, kLargestRead));
    const uLong got = io_.zread_file(io_.opaque, stream_, bytes, wanted);
    if (got != wanted) return false;
    bytes += got;
    n -= got;
  }
  return true;
}
