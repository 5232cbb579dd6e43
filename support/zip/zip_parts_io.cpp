#include "support/zip/zip_parts_io.h"

#include <algorithm>
#include <new>

#include "support/files/file_stream.h"

namespace {

// An open archive of parts: the one part whose file is open, and the place in the whole.
struct OpenParts {
  const ZipParts* parts = nullptr;
  uint64_t size = 0;
  uint64_t position = 0;
  size_t current = SIZE_MAX;  // the part whose file is open
  uint64_t currentStart = 0;  // where it starts in the whole
  FileStream file;
  uint64_t filePosition = 0;  // where file stands within its part
};

// Opens the part holding the whole's offset, if it is not the open one; false past the end or
// when its file cannot be opened.
bool OpenPartAt(OpenParts& open, uint64_t offset) {
  if (open.current != SIZE_MAX && offset >= open.currentStart &&
      offset - open.currentStart < (*open.parts)[open.current].size) {
    return true;
  }
  uint64_t start = 0;
  for (size_t i = 0; i < open.parts->size(); ++i) {
    const ZipPart& part = (*open.parts)[i];
    if (offset - start < part.size) {
      open.file = OpenFileStream(part.path.c_str(), "rb");
      open.current = open.file ? i : SIZE_MAX;
      open.currentStart = start;
      open.filePosition = 0;
      return static_cast<bool>(open.file);
    }
    start += part.size;
  }
  return false;
}

voidpf ZCALLBACK PartsOpen(voidpf, const void* parts, int mode) {
  if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
  const auto* wanted = static_cast<const ZipParts*>(parts);
  // minizip's interface hands the stream on as a pointer and gives it back to close.
  auto* open = new (std::nothrow) OpenParts;
  if (open != nullptr) {
    open->parts = wanted;
    open->size = PartsSize(*wanted);
  }
  return open;
}

uLong ZCALLBACK PartsRead(voidpf, voidpf stream, void* buffer, uLong size) {
  auto* open = static_cast<OpenParts*>(stream);
  auto* bytes = static_cast<uint8_t*>(buffer);
  uLong done = 0;
  while (done < size && open->position < open->size && OpenPartAt(*open, open->position)) {
    const uint64_t within = open->position - open->currentStart;
    if (within != open->filePosition) {
      if (!SeekStream(open->file.get(), within)) break;
      open->filePosition = within;
    }
    const uint64_t left = (*open->parts)[open->current].size - within;
    const size_t wanted = static_cast<size_t>(std::min<uint64_t>(size - done, left));
    const size_t got = std::fread(bytes + done, 1, wanted, open->file.get());
    done += static_cast<uLong>(got);
    open->position += got;
    open->filePosition += got;
    if (got != wanted) break;
  }
  return done;
}

uLong ZCALLBACK PartsWrite(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK PartsTell(voidpf, voidpf stream) {
  return static_cast<OpenParts*>(stream)->position;
}

long ZCALLBACK PartsSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  auto* open = static_cast<OpenParts*>(stream);
  const uint64_t base = origin == ZLIB_FILEFUNC_SEEK_SET   ? 0
                        : origin == ZLIB_FILEFUNC_SEEK_CUR ? open->position
                        : origin == ZLIB_FILEFUNC_SEEK_END ? open->size
                                                           : UINT64_MAX;
  if (base > open->size || offset > open->size - base) return -1;
  open->position = base + offset;
  return 0;
}

int ZCALLBACK PartsClose(voidpf, voidpf stream) {
  delete static_cast<OpenParts*>(stream);
  return 0;
}

int ZCALLBACK PartsError(voidpf, voidpf stream) {
  const auto* open = static_cast<OpenParts*>(stream);
  return open->file ? std::ferror(open->file.get()) : 0;
}

}  // namespace

uint64_t PartsSize(const ZipParts& parts) {
  uint64_t size = 0;
  for (const ZipPart& part : parts) size += part.size;
  return size;
}

zlib_filefunc64_def PartsZipIo() {
  return {PartsOpen, PartsRead, PartsWrite, PartsTell, PartsSeek, PartsClose, PartsError, nullptr};
}
