#include "tests/helpers/zip_builder.h"

#include <minizip/zip.h>

#include <cstdint>
#include <cstring>

#include "support/utf8.h"
#include "support/xdata.h"
#include "support/xzip.h"
#include "support/zip_io.h"
#include "tests/helpers/temp_folder.h"

std::string BuildZip(const std::vector<ZipEntrySpec>& entries, const char* password) {
  TempFolder folder;
  std::u16string path = folder.File(u"built.zip");
  zlib_filefunc64_def io = FileZipIo();
  zipFile zip = zipOpen2_64(path.c_str(), APPEND_STATUS_CREATE, nullptr, &io);
  if (zip == nullptr) return "";
  for (const ZipEntrySpec& entry : entries) {
    zip_fileinfo info = {};
    info.dosDate = 0x5A210000;  // some day in 2025
    info.external_fa = entry.folder ? 0x10 : 0x20;
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(entry.content.data()),
                      static_cast<uInt>(entry.content.size()));
    int method = entry.deflated ? Z_DEFLATED : 0;
    zipOpenNewFileInZip4_64(zip, entry.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, method,
                            entry.deflated ? 6 : 0, 0, -MAX_WBITS, DEF_MEM_LEVEL,
                            Z_DEFAULT_STRATEGY, entry.encrypted ? password : nullptr, crc, 0,
                            entry.utf8Name ? 0x800 : 0, 0);
    zipWriteInFileInZip(zip, entry.content.data(), static_cast<unsigned>(entry.content.size()));
    zipCloseFileInZip(zip);
  }
  zipClose(zip, nullptr);
  return ReadBytes(folder.Path() / "built.zip");
}

namespace {

uint32_t ReadLittleEndian(const std::string& bytes, size_t at, int n) {
  uint32_t value = 0;
  for (int i = n - 1; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

// The offset of entry index's record in the central directory.
size_t CentralRecord(const std::string& archive, int index) {
  // The end-of-directory record: the last 22 bytes, as the builder writes no comment.
  size_t end = archive.size() - 22;
  size_t record = ReadLittleEndian(archive, end + 16, 4);
  for (int i = 0; i < index; ++i) {
    record += 46 + ReadLittleEndian(archive, record + 28, 2) +
              ReadLittleEndian(archive, record + 30, 2) + ReadLittleEndian(archive, record + 32, 2);
  }
  return record;
}

void WriteLittleEndian(std::string& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

}  // namespace

size_t EntryDataOffset(const std::string& archive, int index) {
  size_t local = ReadLittleEndian(archive, CentralRecord(archive, index) + 42, 4);
  return local + 30 + ReadLittleEndian(archive, local + 26, 2) +
         ReadLittleEndian(archive, local + 28, 2);
}

void SetClaimedSize(std::string& archive, int index, uint32_t size) {
  size_t record = CentralRecord(archive, index);
  WriteLittleEndian(archive, record + 24, size);
  WriteLittleEndian(archive, ReadLittleEndian(archive, record + 42, 4) + 22, size);
}

std::map<std::string, std::string> ReadArchiveFiles(const std::string& archive) {
  std::map<std::string, std::string> files;
  XZip zip;
  if (!zip.OpenMemory(archive.data(), static_cast<uint32_t>(archive.size()),
                      XZip::GetArchivePassword())) {
    return files;
  }
  for (int i = 0; i < zip.GetCount(); ++i) {
    char16_t name[XZip::kNameCapacity];
    XData data;
    if (zip.IsFolder(i) || !zip.GetName(i, name) || !zip.ReadItem(i, &data)) continue;
    files[Utf16ToUtf8(name)] =
        std::string(reinterpret_cast<const char*>(data.Data()), data.Length());
  }
  return files;
}
