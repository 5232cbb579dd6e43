#include "support/xzip.h"

#include <cstring>

#include "support/archive_password.h"
#include "support/oem_text.h"
#include "support/utf8.h"
#include "support/xdata.h"

namespace {

constexpr unsigned kEncryptedFlag = 0x0001;
constexpr unsigned kUtf8NameFlag = 0x0800;
constexpr unsigned kFolderAttribute = 0x10;
// Entry names longer than this many bytes cannot fit kNameCapacity units in any encoding.
constexpr int kLongestRawName = 4 * XZip::kNameCapacity;

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
  return Open(&memory_, MemoryZipIo(), password);
}

bool XZip::OpenFile(const char16_t* path, const char* password) {
  if (archive_ != nullptr || path == nullptr) return false;
  return Open(path, FileZipIo(), password);
}

bool XZip::Open(const void* source, const zlib_filefunc64_def& io, const char* password) {
  zlib_filefunc64_def callbacks = io;
  archive_ = unzOpen2_64(source, &callbacks);
  if (archive_ == nullptr) return false;
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
  memory_ = {};
  entries_.clear();
  password_.clear();
  hasPassword_ = false;
  return closed;
}

int XZip::GetCount() const { return static_cast<int>(entries_.size()); }

bool XZip::GoTo(int index, unz_file_info64* info, std::string* rawName) {
  if (archive_ == nullptr || index < 0 || index >= GetCount()) return false;
  if (unzGoToFilePos64(archive_, &entries_[index]) != UNZ_OK) return false;
  char name[kLongestRawName + 1];
  if (unzGetCurrentFileInfo64(archive_, info, name, sizeof name, nullptr, 0, nullptr, 0) !=
      UNZ_OK) {
    return false;
  }
  if (rawName != nullptr) {
    // A longer name arrives cut: keep it one byte too long, so decoding refuses it.
    size_t n = info->size_filename < sizeof name ? info->size_filename : sizeof name;
    rawName->assign(name, n);
  }
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

bool XZip::ReadItem(int index, XData* data) {
  if (data == nullptr) return false;
  unz_file_info64 info;
  // An entry beyond what a 32-bit length holds cannot be read whole.
  bool read = GoTo(index, &info, nullptr) && info.uncompressed_size <= 0xFFFFFFFDu;
  uint32_t size = read ? static_cast<uint32_t>(info.uncompressed_size) : 0;
  read = read && data->EnsureCapacity(size, true);
  // Entries stored without encryption are read as they are; decrypting them would garble them.
  const char* password = hasPassword_ && (info.flag & kEncryptedFlag) ? password_.c_str() : nullptr;
  if (read && unzOpenCurrentFilePassword(archive_, password) == UNZ_OK) {
    uint32_t done = 0;
    while (done < size) {
      // minizip reports the count as an int: ask for no more than that holds.
      uint32_t piece = size - done < (1u << 30) ? size - done : (1u << 30);
      int got = unzReadCurrentFile(archive_, data->Data() + done, piece);
      if (got <= 0) break;
      done += static_cast<uint32_t>(got);
    }
    // Closing checks the CRC of all that was read: the one test that catches a wrong password
    // or data that inflated without error into the wrong bytes.
    read = unzCloseCurrentFile(archive_) == UNZ_OK && done == size;
  } else {
    read = false;
  }
  if (!read) {
    data->Free();
    return false;
  }
  data->SetLength(size);
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
