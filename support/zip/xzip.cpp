#include "support/zip/xzip.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "support/container/packed_view.h"
#include "support/core/little_endian.h"
#include "support/core/entry_sink.h"
#include "support/files/file_size.h"
#include "support/files/xdata.h"
#include "support/text/oem_text.h"
#include "support/text/utf8.h"
#include "support/zip/archive_password.h"
#include "support/zip/entry_cipher.h"

namespace {

constexpr unsigned kEncryptedFlag = 0x0001;
constexpr unsigned kUtf8NameFlag = 0x0800;
constexpr unsigned kFolderAttribute = 0x10;
// Entry names longer than this many bytes cannot fit kNameCapacity units in any encoding.
constexpr int kLongestRawName = 4 * XZip::kNameCapacity;

// The size an entry's header claims is data, bounded by what its bytes can really hold: deflate
// makes at most 1,032 bytes of one (a 258-byte match coded in two bits), storing one of one, and
// no entry has more bytes than its archive. Nor may an entry read whole be larger than the
// largest file an update list describes (sizes there are signed 32-bit); read in pieces, it may
// be as large as zip64 allows.
constexpr uint64_t kMostInflatedPerByte = 1032;
constexpr uint64_t kLargestEntry = 0x7FFFFFFF;
// An entry's buffer starts at what its bytes plausibly inflate to and grows as data arrives, so a
// size that the data does not bear out costs no memory.
constexpr uint64_t kFirstReservation = 1 << 20;
constexpr uint64_t kFirstReservationPerByte = 4;
// minizip reports a read's count as an int: no piece asks for more than that holds.
constexpr uint32_t kLargestPiece = 1u << 30;

// The central directory header: its fixed part, and where in it the name's and the extra
// fields' lengths are.
constexpr uint32_t kCentralHeaderSignature = 0x02014B50;
constexpr size_t kCentralHeaderSize = 46;
constexpr size_t kCentralNameLengthAt = 28;
constexpr size_t kCentralExtraLengthAt = 30;

// True when that many compressed bytes can inflate to size bytes, without overflowing.
bool CanInflateTo(uint64_t compressed, uint64_t size) {
  const uint64_t whole = size / kMostInflatedPerByte;
  return whole < compressed || (whole == compressed && size % kMostInflatedPerByte == 0);
}

char16_t FoldAscii(char16_t unit) { return unit >= u'A' && unit <= u'Z' ? unit + 32 : unit; }

bool SameIgnoringAsciiCase(const char16_t* a, const char16_t* b) {
  for (; *a != 0 && FoldAscii(*a) == FoldAscii(*b); ++a, ++b) {
  }
  return *a == 0 && *b == 0;
}

// A name holding a zero byte would end early as text and name another file: refused.
bool DecodeName(const std::string& raw, unsigned flags, char16_t* name) {
  name[0] = 0;
  if (raw.find('\0') != std::string::npos) return false;
  if (flags & kUtf8NameFlag) return Utf8ToUtf16(raw.data(), raw.size(), name, XZip::kNameCapacity);
  return OemToUtf16(raw.data(), static_cast<int>(raw.size()), name, XZip::kNameCapacity);
}

}  // namespace

XZip::~XZip() { Close(); }

bool XZip::OpenMemory(const void* bytes, uint32_t length, const char* password) {
  if (archive_ != nullptr || bytes == nullptr) return false;
  memory_ = {static_cast<const uint8_t*>(bytes), length, 0};
  return Open(Source::kMemory, &memory_, MemoryZipIo(), password);
}

bool XZip::OpenFile(const char16_t* path, const char* password) {
  uint64_t size = 0;
  if (archive_ != nullptr || path == nullptr || !GetFileSize(path, &size)) return false;
  path_ = path;
  file_ = {path_.c_str(), 0, size};
  return Open(Source::kFile, &file_, FileRangeZipIo(), password);
}

bool XZip::OpenPacked(const PackedView& view, const char* password) {
  if (archive_ != nullptr || view.Size() == 0) return false;
  packed_ = {&view, 0, view.Size(), 0};
  return Open(Source::kPacked, &packed_, PackedZipIo(), password);
}

bool XZip::OpenParts(const ZipParts& parts, const char* password) {
  if (archive_ != nullptr || parts.empty()) return false;
  parts_ = parts;
  return Open(Source::kParts, &parts_, PartsZipIo(), password);
}

bool XZip::OpenNested(XZip& parent, int index, const char* password) {
  uint64_t offset = 0;
  uint64_t size = 0;
  if (archive_ != nullptr || &parent == this || !parent.StoredRange(index, &offset, &size)) {
    return false;
  }
  switch (parent.source_) {
    case Source::kMemory:
      memory_ = {parent.memory_.bytes + offset, size, 0};
      return Open(Source::kMemory, &memory_, MemoryZipIo(), password);
    case Source::kPacked:
      packed_ = {parent.packed_.view, parent.packed_.offset + offset, size, 0};
      return Open(Source::kPacked, &packed_, PackedZipIo(), password);
    case Source::kFile:
      path_ = parent.path_;
      file_ = {path_.c_str(), parent.file_.offset + offset, size};
      return Open(Source::kFile, &file_, FileRangeZipIo(), password);
    case Source::kParts:  // the client archive is the one archive written so
    case Source::kNone:
      break;
  }
  return false;
}

bool XZip::StoredRange(int index, uint64_t* offset, uint64_t* size) {
  unz_file_info64 info;
  if (!GoTo(index, &info, nullptr) || (info.flag & kEncryptedFlag) != 0 ||
      info.compression_method != 0 || info.compressed_size != info.uncompressed_size) {
    return false;
  }
  // Opened raw, the entry is positioned at its first byte of data.
  if (unzOpenCurrentFile2(archive_, nullptr, nullptr, 1) != UNZ_OK) return false;
  *offset = unzGetCurrentFileZStreamPos64(archive_);
  *size = info.uncompressed_size;
  unzCloseCurrentFile(archive_);
  return *offset <= archiveSize_ && *size <= archiveSize_ - *offset;
}

bool XZip::Open(Source kind, const void* source, const zlib_filefunc64_def& io,
                const char* password) {
  source_ = kind;
  current_ = -1;
  archiveSize_ = kind == Source::kMemory   ? memory_.size
                 : kind == Source::kPacked ? packed_.size
                 : kind == Source::kParts  ? PartsSize(parts_)
                                           : file_.size;
  zlib_filefunc64_def callbacks = io;
  archive_ = unzOpen2_64(source, &callbacks);
  if (archive_ == nullptr) {
    Close();
    return false;
  }
  // Record where every entry is, so entries can be reached by index directly. A directory that
  // cannot be walked to its end is a damaged archive.
  unz_global_info64 global;
  if (unzGetGlobalInfo64(archive_, &global) != UNZ_OK) {
    Close();
    return false;
  }
  int status = global.number_entry == 0 ? UNZ_END_OF_LIST_OF_FILE : unzGoToFirstFile(archive_);
  while (status == UNZ_OK) {
    unz64_file_pos position;
    if (unzGetFilePos64(archive_, &position) != UNZ_OK) break;
    entries_.push_back(position);
    status = unzGoToNextFile(archive_);
  }
  if (status != UNZ_END_OF_LIST_OF_FILE) {
    Close();
    return false;
  }
  hasPassword_ = password != nullptr;
  password_ = hasPassword_ ? password : "";
  return true;
}

bool XZip::Close() {
  bool closed = archive_ == nullptr || unzClose(archive_) == UNZ_OK;
  archive_ = nullptr;
  source_ = Source::kNone;
  memory_ = {};
  packed_ = {};
  file_ = {};
  path_.clear();
  parts_.clear();
  archiveSize_ = 0;
  entries_.clear();
  current_ = -1;
  password_.clear();
  hasPassword_ = false;
  return closed;
}

int XZip::GetCount() const { return static_cast<int>(entries_.size()); }

bool XZip::GoTo(int index, unz_file_info64* info, std::string* rawName) {
  if (archive_ == nullptr || index < 0 || index >= GetCount()) return false;
  if (index != current_) {
    current_ = -1;
    char name[kLongestRawName + 1];
    if (unzGoToFilePos64(archive_, &entries_[index]) != UNZ_OK ||
        unzGetCurrentFileInfo64(archive_, &currentInfo_, name, sizeof name, nullptr, 0, nullptr,
                                0) != UNZ_OK) {
      return false;
    }
    // A longer name arrives cut: keep it one byte too long, so decoding refuses it.
    currentName_.assign(name, std::min<size_t>(currentInfo_.size_filename, sizeof name));
    current_ = index;
  }
  *info = currentInfo_;
  if (rawName != nullptr) *rawName = currentName_;
  return true;
}

bool XZip::IsFolder(int index) {
  unz_file_info64 info;
  return GoTo(index, &info, nullptr) && (info.external_fa & kFolderAttribute) != 0;
}

bool XZip::GetName(int index, char16_t* name) {
  if (name == nullptr) return false;
  name[0] = 0;
  unz_file_info64 info;
  std::string raw;
  return GoTo(index, &info, &raw) && DecodeName(raw, info.flag, name);
}

int XZip::Find(const char16_t* name, uint32_t* size) {
  if (name == nullptr) return -1;
  for (int index = 0; index < GetCount(); ++index) {
    unz_file_info64 info;
    std::string raw;
    char16_t candidate[kNameCapacity];
    if (!GoTo(index, &info, &raw) || !DecodeName(raw, info.flag, candidate)) continue;
    if (!SameIgnoringAsciiCase(candidate, name)) continue;
    if (size != nullptr) *size = static_cast<uint32_t>(info.uncompressed_size);
    return index;
  }
  return -1;
}

bool XZip::GetSize(int index, uint64_t* size) {
  unz_file_info64 info;
  if (size == nullptr || !GoTo(index, &info, nullptr)) return false;
  *size = info.uncompressed_size;
  return true;
}

bool XZip::OpenEntry(int index, uint64_t largest, unz_file_info64* info, uint64_t* bytes) {
  *info = {};
  if (!GoTo(index, info, nullptr)) return false;
  // The system's archives are encrypted whole: an entry stored in the clear was not put there by
  // its packaging, so it is refused rather than installed.
  if ((info->flag & kEncryptedFlag) == 0) return false;
  *bytes = info->compressed_size < archiveSize_ ? info->compressed_size : archiveSize_;
  if (!CanInflateTo(*bytes, info->uncompressed_size) || info->uncompressed_size > largest) {
    return false;
  }
  const char* password = hasPassword_ ? password_.c_str() : nullptr;
  return unzOpenCurrentFilePassword(archive_, password) == UNZ_OK;
}

bool XZip::ReadItem(int index, XData* data) {
  if (data == nullptr) return false;
  unz_file_info64 info;
  uint64_t bytes = 0;
  bool read = OpenEntry(index, kLargestEntry, &info, &bytes);
  if (read) {
    uint64_t first = bytes * kFirstReservationPerByte;
    if (first < kFirstReservation) first = kFirstReservation;
    if (first > info.uncompressed_size) first = info.uncompressed_size;
    read = ReadCurrentEntry(static_cast<uint32_t>(info.uncompressed_size),
                            static_cast<uint32_t>(first), data);
    // Closing checks the CRC of all that was read: the one test that catches a wrong password
    // or data that inflated without error into the wrong bytes.
    read = unzCloseCurrentFile(archive_) == UNZ_OK && read;
  }
  if (!read) {
    data->Free();
    return false;
  }
  return true;
}

bool XZip::FindPieces(int index, IndexedEntry* entry) {
  unz_file_info64 info;
  // Most entries have no extra field at all: they are told apart without reading the archive.
  if (entry == nullptr || !GoTo(index, &info, nullptr) || info.size_file_extra == 0 ||
      (info.flag & kEncryptedFlag) == 0 || info.compression_method != Z_DEFLATED ||
      info.compressed_size < EntryCipher::kHeaderSize || info.compressed_size > archiveSize_ ||
      !CanInflateTo(info.compressed_size, info.uncompressed_size)) {
    return false;
  }
  std::vector<uint8_t> extra;
  if (!ReadCentralExtra(index, &extra) ||
      !FindPieceIndex(extra.data(), extra.size(), password_.c_str(),
                      info.compressed_size - EntryCipher::kHeaderSize, info.uncompressed_size,
                      entry->index)) {
    return false;
  }
  // Opened raw, the entry is positioned at its encryption header.
  if (unzOpenCurrentFile2(archive_, nullptr, nullptr, 1) != UNZ_OK) return false;
  const uint64_t start = unzGetCurrentFileZStreamPos64(archive_);
  unzCloseCurrentFile(archive_);
  if (start > archiveSize_ - info.compressed_size) return false;
  entry->dataOffset = start + EntryCipher::kHeaderSize;
  entry->crc = static_cast<uint32_t>(info.crc);
  return true;
}

bool XZip::ReadCentralExtra(int index, std::vector<uint8_t>* extra) {
  std::unique_ptr<ArchiveBytes> bytes = OpenBytes();
  const uint64_t at = entries_[index].pos_in_zip_directory;
  uint8_t header[kCentralHeaderSize];
  if (!bytes || !bytes->Read(at, header, sizeof header) ||
      ReadLe32(header) != kCentralHeaderSignature) {
    return false;
  }
  extra->resize(ReadLe16(header + kCentralExtraLengthAt));
  return bytes->Read(at + sizeof header + ReadLe16(header + kCentralNameLengthAt), extra->data(),
                     extra->size());
}

std::unique_ptr<ArchiveBytes> XZip::OpenBytes() const {
  switch (source_) {
    case Source::kMemory:
      return std::make_unique<ArchiveBytes>(memory_);
    case Source::kPacked:
      return std::make_unique<ArchiveBytes>(packed_);
    case Source::kFile:
      return std::make_unique<ArchiveBytes>(file_);
    case Source::kParts:
      return std::make_unique<ArchiveBytes>(parts_);
    case Source::kNone:
      break;
  }
  return nullptr;
}

bool XZip::ReadItemTo(int index, IEntrySink& sink) {
  unz_file_info64 info;
  uint64_t bytes = 0;
  if (!OpenEntry(index, UINT64_MAX, &info, &bytes)) return false;
  if (!piece_) piece_.reset(new (std::nothrow) uint8_t[kPieceSize]);
  bool read = piece_ != nullptr;
  uint64_t done = 0;
  while (read && done < info.uncompressed_size) {
    const int got = unzReadCurrentFile(archive_, piece_.get(), kPieceSize);
    read = got > 0 && sink.Put(piece_.get(), static_cast<size_t>(got));
    done += read ? static_cast<uint64_t>(got) : 0;
  }
  // minizip checks the CRC only once every claimed byte was read: an entry whose data ends early
  // is caught by its count.
  return unzCloseCurrentFile(archive_) == UNZ_OK && read && done == info.uncompressed_size;
}

bool XZip::ReadCurrentEntry(uint32_t size, uint32_t firstCapacity, XData* data) {
  data->SetLength(0);
  if (!data->EnsureCapacity(firstCapacity, true)) return false;
  uint32_t done = 0;
  while (done < size) {
    if (done == data->Capacity()) {
      uint64_t grown = 2 * static_cast<uint64_t>(done);
      if (!data->Reserve(static_cast<uint32_t>(grown < size ? grown : size), false)) return false;
    }
    uint32_t room = data->Capacity() - done;
    if (room > size - done) room = size - done;
    int got = unzReadCurrentFile(archive_, data->Data() + done,
                                 room < kLargestPiece ? room : kLargestPiece);
    if (got <= 0) return false;
    done += static_cast<uint32_t>(got);
    data->SetLength(done);
  }
  return true;
}

bool XZip::ReadByName(const char16_t* name, XData* data) {
  if (data == nullptr) return false;
  int index = Find(name, nullptr);
  if (index < 0) {
    data->Free();
    return false;
  }
  return ReadItem(index, data);
}

const char* XZip::GetArchivePassword() {
  // Built from character codes, so the password never stands in the source as one string.
  static const char password[] = {ARCHIVE_PASSWORD_CODES, 0};
  static_assert(sizeof password == 14, "the archive password has 13 characters");
  return password;
}
