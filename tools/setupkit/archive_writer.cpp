#include "tools/setupkit/archive_writer.h"

#include <minizip/zip.h>
// After zlib and minizip, whose types it uses.
#include <minizip/crypt.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>

#include "support/crypto/md5.h"
#include "support/files/xdata.h"
#include "support/text/utf8.h"
#include "support/zip/xzip.h"
#include "tools/setupkit/folder_walk.h"
#include "tools/setupkit/progress_line.h"
#include "tools/setupkit/tool_output.h"

namespace {

constexpr unsigned long kEncryptedFlag = 0x0001;
constexpr unsigned long kUtf8NameFlag = 0x0800;
constexpr unsigned long kFolderAttribute = 0x10;
constexpr unsigned long kMadeByMsDos = 0;
// 1980-01-01 00:00, the first time the format can hold.
constexpr unsigned long kFixedDosTime = (1ul << 21) | (1ul << 16);
// The encryption header before every entry's data.
constexpr int kRandomHeaderSize = 12;
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

// The bytes of an entry as deflate compresses them raw, the way the format stores them; the
// stream's guess whether they are text goes into the entry's internal attributes.
bool Deflate(const std::string& bytes, std::string& compressed, int& dataType) {
  z_stream stream = {};
  if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, DEF_MEM_LEVEL,
                   Z_DEFAULT_STRATEGY) != Z_OK) {
    return false;
  }
  compressed.resize(deflateBound(&stream, static_cast<uLong>(bytes.size())));
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  stream.avail_in = static_cast<uInt>(bytes.size());
  stream.next_out = reinterpret_cast<Bytef*>(&compressed[0]);
  stream.avail_out = static_cast<uInt>(compressed.size());
  const bool finished = deflate(&stream, Z_FINISH) == Z_STREAM_END;
  compressed.resize(stream.total_out);
  dataType = stream.data_type;
  return deflateEnd(&stream) == Z_OK && finished;
}

// The entry's data encrypted with the password as the traditional PKWARE encryption does (with
// minizip's own routines), behind the twelve-byte header the format asks for. The header's first
// ten bytes are meant to differ from entry to entry; minizip would take them from rand(), seeded
// with the time, which would make every archive different and the two builds' archives differ.
// Here they come from the entry's name, size and CRC, so the same entries always give the same
// archive; they still differ between entries. The last two bytes are the CRC's high bytes, which
// readers check the password against.
std::string Encrypted(const ArchiveEntry& entry, uLong crc, const std::string& data,
                      const char* password) {
  const std::string seed = entry.name + '\0' + std::to_string(entry.bytes.size()) + '\0' +
                           std::to_string(crc);
  XMD5 md5;
  Md5Init(&md5);
  Md5Update(&md5, seed.data(), static_cast<uint32_t>(seed.size()));
  Md5Final(&md5);
  std::string plain(reinterpret_cast<const char*>(md5.digest), kRandomHeaderSize - 2);
  plain += static_cast<char>(crc >> 16);
  plain += static_cast<char>(crc >> 24);
  plain += data;
  // minizip's routines take the CRC table as unsigned long whatever the platform's width.
  static const std::vector<unsigned long> table = [] {
    const z_crc_t* zlibTable = get_crc_table();
    return std::vector<unsigned long>(zlibTable, zlibTable + 256);
  }();
  unsigned long keys[3];
  init_keys(password, keys, table.data());
  for (char& byte : plain) {
    int c = static_cast<uint8_t>(byte);
    int t;
    byte = static_cast<char>(zencode(keys, table.data(), c, t));
  }
  return plain;
}

// Writes an entry already compressed and encrypted (or, as is, neither), so that minizip adds
// nothing of its own.
bool WriteEntry(zipFile zip, const ArchiveEntry& entry, const char* password) {
  const auto* bytes = reinterpret_cast<const Bytef*>(entry.bytes.data());
  const uLong crc = crc32_z(0, bytes, entry.bytes.size());
  std::string compressed;
  int dataType = Z_BINARY;
  const bool packed = !entry.folder && !entry.asIs;
  if (packed && !Deflate(entry.bytes, compressed, dataType)) return false;
  const std::string stored = entry.asIs ? entry.bytes : Encrypted(entry, crc, compressed, password);
  zip_fileinfo info = {};
  info.dosDate = kFixedDosTime;
  info.internal_fa = dataType == Z_TEXT ? 1 : 0;
  info.external_fa = entry.folder ? kFolderAttribute : 0;
  const int method = packed ? Z_DEFLATED : 0;
  const unsigned long flags = kUtf8NameFlag | (entry.asIs ? 0 : kEncryptedFlag);
  bool written = zipOpenNewFileInZip4_64(zip, entry.name.c_str(), &info, nullptr, 0, nullptr, 0,
                                         nullptr, method, Z_DEFAULT_COMPRESSION, 1, -MAX_WBITS,
                                         DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0,
                                         kMadeByMsDos, flags, 0) == ZIP_OK;
  const auto* data = reinterpret_cast<const Bytef*>(stored.data());
  for (size_t done = 0; written && done < stored.size();) {
    size_t piece = std::min(stored.size() - done, kWritePiece);
    written = zipWriteInFileInZip(zip, data + done, static_cast<unsigned>(piece)) == ZIP_OK;
    done += piece;
  }
  return zipCloseFileInZipRaw64(zip, entry.bytes.size(), crc) == ZIP_OK && written;
}

}  // namespace

bool ReadFolderEntries(const std::u16string& folder, std::vector<ArchiveEntry>& entries,
                       std::string& problem) {
  // The walk first, so that the progress line knows the whole.
  std::vector<WalkedEntry> found;
  if (!WalkFolder(folder, found, problem)) return false;
  uint64_t totalBytes = 0;
  for (const WalkedEntry& item : found) totalBytes += item.size;
  ProgressLine progress("reading " + Shown(folder), found.size(), totalBytes);
  std::vector<ArchiveEntry> read;
  for (const WalkedEntry& item : found) {
    ArchiveEntry entry;
    entry.name = Utf16ToUtf8(item.relative.c_str()) + (item.isFolder ? "/" : "");
    entry.folder = item.isFolder;
    XData content;
    if (!item.isFolder) {
      if (!content.ReadFile(item.path.c_str(), 0)) {
        problem = EntryProblem(folder, item.relative, "it cannot be read");
        return false;
      }
      entry.bytes.assign(reinterpret_cast<const char*>(content.Data()), content.Length());
    }
    progress.Advance(entry.bytes.size());
    read.push_back(std::move(entry));
  }
  SortByName(read);
  entries.insert(entries.end(), std::make_move_iterator(read.begin()),
                 std::make_move_iterator(read.end()));
  return true;
}

void SortByName(std::vector<ArchiveEntry>& entries) {
  std::sort(entries.begin(), entries.end(),
            [](const ArchiveEntry& a, const ArchiveEntry& b) { return a.name < b.name; });
}

bool BuildArchive(const std::vector<ArchiveEntry>& entries, const std::string& label,
                  std::string& archive, std::string& problem) {
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
  uint64_t totalBytes = 0;
  for (const ArchiveEntry& entry : entries) totalBytes += entry.bytes.size();
  ProgressLine progress("compressing " + label, entries.size(), totalBytes);
  for (const ArchiveEntry& entry : entries) {
    if (!WriteEntry(zip.get(), entry, password)) {
      problem = "cannot write the entry " + entry.name + " of " + label;
      return false;
    }
    progress.Advance(entry.bytes.size());
  }
  // Closing writes the central directory: the archive is only whole when that succeeds.
  if (zipClose(zip.release(), nullptr) != ZIP_OK) {
    problem = "cannot finish the archive";
    return false;
  }
  archive = std::move(memory.bytes);
  return true;
}
