#include "tools/setupkit/archive_writer.h"

#include <minizip/zip.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "support/utf8.h"
#include "support/xdata.h"
#include "support/xzip.h"
#include "tools/setupkit/tool_output.h"

namespace {

namespace fs = std::filesystem;

constexpr unsigned long kUtf8NameFlag = 0x0800;
constexpr unsigned long kFolderAttribute = 0x10;
constexpr unsigned long kMadeByMsDos = 0;
// 1980-01-01 00:00, the first time the format can hold.
constexpr unsigned long kFixedDosTime = (1ul << 21) | (1ul << 16);
// The largest piece minizip takes in one write.
constexpr size_t kWritePiece = 1u << 30;

// The archive being written: minizip writes forwards and seeks back to finish each local header.
struct GrowingMemory {
  std::string bytes;
  size_t position = 0;
};

voidpf ZCALLBACK GrowingOpen(voidpf, const void* memory, int mode) {
  if ((mode & ZLIB_FILEFUNC_MODE_CREATE) == 0) return nullptr;
  return const_cast<void*>(memory);
}

uLong ZCALLBACK GrowingRead(voidpf, voidpf, void*, uLong) { return 0; }

uLong ZCALLBACK GrowingWrite(voidpf, voidpf stream, const void* buffer, uLong size) {
  auto* memory = static_cast<GrowingMemory*>(stream);
  if (memory->position + size > memory->bytes.size()) memory->bytes.resize(memory->position + size);
  std::memcpy(&memory->bytes[memory->position], buffer, size);
  memory->position += size;
  return size;
}

ZPOS64_T ZCALLBACK GrowingTell(voidpf, voidpf stream) {
  return static_cast<GrowingMemory*>(stream)->position;
}

long ZCALLBACK GrowingSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  auto* memory = static_cast<GrowingMemory*>(stream);
  size_t base = origin == ZLIB_FILEFUNC_SEEK_SET   ? 0
                : origin == ZLIB_FILEFUNC_SEEK_CUR ? memory->position
                                                   : memory->bytes.size();
  if (offset > memory->bytes.size() - base) return -1;
  memory->position = base + static_cast<size_t>(offset);
  return 0;
}

int ZCALLBACK GrowingClose(voidpf, voidpf) { return 0; }
int ZCALLBACK GrowingError(voidpf, voidpf) { return 0; }

zlib_filefunc64_def GrowingMemoryIo() {
  zlib_filefunc64_def io = {};
  io.zopen64_file = GrowingOpen;
  io.zread_file = GrowingRead;
  io.zwrite_file = GrowingWrite;
  io.ztell64_file = GrowingTell;
  io.zseek64_file = GrowingSeek;
  io.zclose_file = GrowingClose;
  io.zerror_file = GrowingError;
  return io;
}

struct ZipCloser {
  void operator()(void* zip) const { zipClose(zip, nullptr); }
};
using ZipWriter = std::unique_ptr<void, ZipCloser>;

bool WriteEntry(zipFile zip, const ArchiveEntry& entry, const char* password) {
  const auto* bytes = reinterpret_cast<const Bytef*>(entry.bytes.data());
  uLong crc = crc32_z(0, bytes, entry.bytes.size());
  zip_fileinfo info = {};
  info.dosDate = kFixedDosTime;
  info.external_fa = entry.folder ? kFolderAttribute : 0;
  int method = entry.folder ? 0 : Z_DEFLATED;
  int level = entry.folder ? 0 : Z_DEFAULT_COMPRESSION;
  bool written =
      zipOpenNewFileInZip4_64(zip, entry.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                              method, level, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY,
                              password, crc, kMadeByMsDos, kUtf8NameFlag, 0) == ZIP_OK;
  for (size_t done = 0; written && done < entry.bytes.size();) {
    size_t piece = std::min(entry.bytes.size() - done, kWritePiece);
    written = zipWriteInFileInZip(zip, bytes + done, static_cast<unsigned>(piece)) == ZIP_OK;
    done += piece;
  }
  return zipCloseFileInZip(zip) == ZIP_OK && written;
}

}  // namespace

bool ReadFolderEntries(const std::u16string& folder, std::vector<ArchiveEntry>& entries,
                       std::string& problem) {
  fs::path root(folder);
  std::error_code error;
  fs::recursive_directory_iterator walk(root, error);
  for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
    const fs::path& path = walk->path();
    fs::file_status status = walk->status(error);
    if (error) break;
    bool isFolder = fs::is_directory(status);
    if (!isFolder && !fs::is_regular_file(status)) {
      problem = Shown(path.u16string()) + " is neither a file nor a folder";
      return false;
    }
    std::string name = path.lexically_relative(root).generic_u8string();
    // Only outside Windows can a name be bytes that are no text; the archive says UTF-8.
    if (!IsValidUtf8(name.data(), name.size())) {
      problem = "a name in " + Shown(folder) + " is not valid UTF-8";
      return false;
    }
    ArchiveEntry entry;
    entry.name = isFolder ? name + "/" : name;
    entry.folder = isFolder;
    XData content;
    if (!isFolder) {
      if (!content.ReadFile(path.u16string().c_str(), 0)) {
        problem = "cannot read " + Shown(path.u16string());
        return false;
      }
      entry.bytes.assign(reinterpret_cast<const char*>(content.Data()), content.Length());
    }
    entries.push_back(std::move(entry));
  }
  if (error) {
    problem = "cannot read " + Shown(folder) + ": " + error.message();
    return false;
  }
  SortByName(entries);
  return true;
}

void SortByName(std::vector<ArchiveEntry>& entries) {
  std::sort(entries.begin(), entries.end(),
            [](const ArchiveEntry& a, const ArchiveEntry& b) { return a.name < b.name; });
}

bool BuildArchive(const std::vector<ArchiveEntry>& entries, std::string& archive,
                  std::string& problem) {
  // minizip finds no directory in an archive that is nothing but its end record.
  if (entries.empty()) {
    problem = "an archive without entries cannot be read back";
    return false;
  }
  GrowingMemory memory;
  zlib_filefunc64_def io = GrowingMemoryIo();
  ZipWriter zip(zipOpen2_64(&memory, APPEND_STATUS_CREATE, nullptr, &io));
  if (!zip) {
    problem = "cannot start an archive";
    return false;
  }
  const char* password = XZip::GetArchivePassword();
  for (const ArchiveEntry& entry : entries) {
    if (!WriteEntry(zip.get(), entry, password)) {
      problem = "cannot write the entry " + entry.name;
      return false;
    }
  }
  // Closing writes the central directory: the archive is only whole when that succeeds.
  if (zipClose(zip.release(), nullptr) != ZIP_OK) {
    problem = "cannot finish the archive";
    return false;
  }
  archive = std::move(memory.bytes);
  return true;
}
