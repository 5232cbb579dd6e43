#include "support/zip/zip_io.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "support/container/packed_view.h"
#include "support/files/file_stream.h"

namespace {

// Both sources report failures of seek as -1 and of everything else as short counts, as
// minizip expects.

// Bytes in memory and packed ranges are read through the caller's own structure: opening one
// hands it on as the stream.
voidpf ZCALLBACK OpenInPlace(voidpf, const void* source, int mode) {
  if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
  return const_cast<void*>(source);
}

uLong ZCALLBACK MemoryRead(voidpf, voidpf stream, void* buffer, uLong size) {
  auto* memory = static_cast<ZipMemory*>(stream);
  uint64_t left = memory->size - memory->position;
  if (size > left) size = static_cast<uLong>(left);
  std::memcpy(buffer, memory->bytes + memory->position, size);
  memory->position += size;
  return size;
}

uLong ZCALLBACK MemoryWrite(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK MemoryTell(voidpf, voidpf stream) {
  return static_cast<ZipMemory*>(stream)->position;
}

// Moves position within size bytes as minizip asks; -1, leaving it, for a place outside them.
long SeekWithin(uint64_t size, uint64_t* position, ZPOS64_T offset, int origin) {
  uint64_t base;
  switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET:
      base = 0;
      break;
    case ZLIB_FILEFUNC_SEEK_CUR:
      base = *position;
      break;
    case ZLIB_FILEFUNC_SEEK_END:
      base = size;
      break;
    default:
      return -1;
  }
  if (base > size || offset > size - base) return -1;
  *position = base + offset;
  return 0;
}

long ZCALLBACK MemorySeek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  auto* memory = static_cast<ZipMemory*>(stream);
  return SeekWithin(memory->size, &memory->position, offset, origin);
}

int ZCALLBACK MemoryClose(voidpf, voidpf) { return 0; }
int ZCALLBACK MemoryError(voidpf, voidpf) { return 0; }

uLong ZCALLBACK PackedRead(voidpf, voidpf stream, void* buffer, uLong size) {
  auto* range = static_cast<ZipPackedRange*>(stream);
  uint64_t left = range->size - range->position;
  if (size > left) size = static_cast<uLong>(left);
  if (!range->view->Read(range->offset + range->position, static_cast<uint8_t*>(buffer), size)) {
    return 0;
  }
  range->position += size;
  return size;
}

ZPOS64_T ZCALLBACK PackedTell(voidpf, voidpf stream) {
  return static_cast<ZipPackedRange*>(stream)->position;
}

long ZCALLBACK PackedSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  auto* range = static_cast<ZipPackedRange*>(stream);
  return SeekWithin(range->size, &range->position, offset, origin);
}

// An open file range: the file, where the range starts and ends in it, and the place within it.
struct OpenFileRange {
  std::FILE* file;
  uint64_t offset;
  uint64_t size;
  uint64_t position;
};

voidpf ZCALLBACK RangeOpen(voidpf, const void* range, int mode) {
  if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
  const auto* wanted = static_cast<const ZipFileRange*>(range);
  FileStream file = OpenFileStream(wanted->path, "rb");
  if (!file || !SeekStream(file.get(), wanted->offset)) return nullptr;
  // minizip's interface hands the stream on as a pointer and gives it back to close.
  auto* open = new (std::nothrow) OpenFileRange{file.get(), wanted->offset, wanted->size, 0};
  if (open != nullptr) file.release();
  return open;
}

uLong ZCALLBACK RangeRead(voidpf, voidpf stream, void* buffer, uLong size) {
  auto* range = static_cast<OpenFileRange*>(stream);
  uint64_t left = range->size - range->position;
  if (size > left) size = static_cast<uLong>(left);
  const size_t got = std::fread(buffer, 1, size, range->file);
  range->position += got;
  return static_cast<uLong>(got);
}

ZPOS64_T ZCALLBACK RangeTell(voidpf, voidpf stream) {
  return static_cast<OpenFileRange*>(stream)->position;
}

long ZCALLBACK RangeSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  auto* range = static_cast<OpenFileRange*>(stream);
  uint64_t position = range->position;
  if (SeekWithin(range->size, &position, offset, origin) != 0 ||
      !SeekStream(range->file, range->offset + position)) {
    return -1;
  }
  range->position = position;
  return 0;
}

int ZCALLBACK RangeClose(voidpf, voidpf stream) {
  auto* range = static_cast<OpenFileRange*>(stream);
  const int closed = std::fclose(range->file) == 0 ? 0 : EOF;
  delete range;
  return closed;
}

int ZCALLBACK RangeError(voidpf, voidpf stream) {
  return std::ferror(static_cast<OpenFileRange*>(stream)->file);
}

voidpf ZCALLBACK FileOpen(voidpf, const void* path, int mode) {
  const char* fileMode = nullptr;
  if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) == ZLIB_FILEFUNC_MODE_READ) {
    fileMode = "rb";
  } else if (mode & ZLIB_FILEFUNC_MODE_EXISTING) {
    fileMode = "r+b";
  } else if (mode & ZLIB_FILEFUNC_MODE_CREATE) {
    fileMode = "wb";
  }
  if (fileMode == nullptr) return nullptr;
  return OpenFileStream(static_cast<const char16_t*>(path), fileMode).release();
}

uLong ZCALLBACK FileRead(voidpf, voidpf stream, void* buffer, uLong size) {
  return static_cast<uLong>(std::fread(buffer, 1, size, static_cast<std::FILE*>(stream)));
}

uLong ZCALLBACK FileWrite(voidpf, voidpf stream, const void* buffer, uLong size) {
  return static_cast<uLong>(std::fwrite(buffer, 1, size, static_cast<std::FILE*>(stream)));
}

ZPOS64_T ZCALLBACK FileTell(voidpf, voidpf stream) {
#ifdef _WIN32
  int64_t position = _ftelli64(static_cast<std::FILE*>(stream));
#else
  int64_t position = ftello(static_cast<std::FILE*>(stream));
#endif
  return position < 0 ? static_cast<ZPOS64_T>(-1) : static_cast<ZPOS64_T>(position);
}

long ZCALLBACK FileSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  int whence;
  switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET:
      whence = SEEK_SET;
      break;
    case ZLIB_FILEFUNC_SEEK_CUR:
      whence = SEEK_CUR;
      break;
    case ZLIB_FILEFUNC_SEEK_END:
      whence = SEEK_END;
      break;
    default:
      return -1;
  }
  if (offset > static_cast<ZPOS64_T>(INT64_MAX)) return -1;
  auto* file = static_cast<std::FILE*>(stream);
#ifdef _WIN32
  int result = _fseeki64(file, static_cast<int64_t>(offset), whence);
#else
  int result = fseeko(file, static_cast<off_t>(offset), whence);
#endif
  return result == 0 ? 0 : -1;
}

int ZCALLBACK FileClose(voidpf, voidpf stream) {
  return std::fclose(static_cast<std::FILE*>(stream)) == 0 ? 0 : EOF;
}

int ZCALLBACK FileError(voidpf, voidpf stream) {
  return std::ferror(static_cast<std::FILE*>(stream));
}

}  // namespace

zlib_filefunc64_def MemoryZipIo() {
  return {OpenInPlace, MemoryRead,  MemoryWrite, MemoryTell,
          MemorySeek,  MemoryClose, MemoryError, nullptr};
}

zlib_filefunc64_def PackedZipIo() {
  return {OpenInPlace, PackedRead,  MemoryWrite, PackedTell,
          PackedSeek,  MemoryClose, MemoryError, nullptr};
}

zlib_filefunc64_def FileRangeZipIo() {
  return {RangeOpen, RangeRead, MemoryWrite, RangeTell, RangeSeek, RangeClose, RangeError, nullptr};
}

zlib_filefunc64_def FileZipIo() {
  return {FileOpen, FileRead, FileWrite, FileTell, FileSeek, FileClose, FileError, nullptr};
}
