#include "tests/helpers/zip_builder.h"

#include <minizip/zip.h>

#include <cstdint>
#include <cstring>

#include "support/files/xdata.h"
#include "support/text/utf8.h"
#include "support/zip/xzip.h"
#include "support/zip/zip_io.h"
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

constexpr size_t kZeroChunk = 1 << 20;

// Deflates one chunk of zeros with a full flush. A full flush resets the compressor, so every
// chunk after the first deflates to the same bytes as the one before.
std::string DeflateZeroChunk(z_stream& stream, const std::string& zeros) {
  std::string out(kZeroChunk, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.data()));
  stream.avail_in = static_cast<uInt>(zeros.size());
  stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
  stream.avail_out = static_cast<uInt>(out.size());
  const int flush = zeros.empty() ? Z_FINISH : Z_FULL_FLUSH;
  if (deflate(&stream, flush) != (flush == Z_FINISH ? Z_STREAM_END : Z_OK)) return "";
  out.resize(out.size() - stream.avail_out);
  return out;
}

}  // namespace

std::string BuildZerosZip(uint64_t size, const char* password) {
  if (size == 0 || size % kZeroChunk != 0) return "";
  const std::string zeros(kZeroChunk, '\0');
  z_stream stream = {};
  if (deflateInit2(&stream, 9, Z_DEFLATED, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY) != Z_OK) {
    return "";
  }
  const std::string first = DeflateZeroChunk(stream, zeros);
  const std::string repeated = DeflateZeroChunk(stream, zeros);
  const bool steady = DeflateZeroChunk(stream, zeros) == repeated;
  const std::string end = DeflateZeroChunk(stream, "");
  deflateEnd(&stream);
  if (!steady || first.empty() || repeated.empty() || end.empty()) return "";

  const uLong chunkCrc = crc32(0, reinterpret_cast<const Bytef*>(zeros.data()), kZeroChunk);
  uLong crc = 0;
  for (uint64_t done = 0; done < size; done += kZeroChunk) {
    crc = crc32_combine(crc, chunkCrc, kZeroChunk);
  }
  TempFolder folder;
  std::u16string path = folder.File(u"zeros.zip");
  zlib_filefunc64_def io = FileZipIo();
  zipFile zip = zipOpen2_64(path.c_str(), APPEND_STATUS_CREATE, nullptr, &io);
  if (zip == nullptr) return "";
  zip_fileinfo info = {};
  // Written raw (the deflated bytes as they are), with the zip64 sizes such an entry needs.
  bool written = zipOpenNewFileInZip4_64(zip, "zeros.bin", &info, nullptr, 0, nullptr, 0, nullptr,
                                         Z_DEFLATED, 9, 1, -MAX_WBITS, DEF_MEM_LEVEL,
                                         Z_DEFAULT_STRATEGY, password, crc, 0, 0x800, 1) == ZIP_OK;
  const auto put = [&](const std::string& bytes) {
    written = written &&
              zipWriteInFileInZip(zip, bytes.data(), static_cast<unsigned>(bytes.size())) == ZIP_OK;
  };
  put(first);
  for (uint64_t done = kZeroChunk; done < size; done += kZeroChunk) put(repeated);
  put(end);
  written = zipCloseFileInZipRaw64(zip, size, crc) == ZIP_OK && written;
  const std::string after = "after the zeros";
  const uLong afterCrc = crc32(0, reinterpret_cast<const Bytef*>(after.data()),
                               static_cast<uInt>(after.size()));
  written = written &&
            zipOpenNewFileInZip4_64(zip, "after.txt", &info, nullptr, 0, nullptr, 0, nullptr,
                                    Z_DEFLATED, 6, 0, -MAX_WBITS, DEF_MEM_LEVEL,
                                    Z_DEFAULT_STRATEGY, password, afterCrc, 0, 0x800, 0) == ZIP_OK;
  put(after);
  written = zipCloseFileInZip(zip) == ZIP_OK && written;
  written = zipClose(zip, nullptr) == ZIP_OK && written;
  return written ? ReadBytes(folder.Path() / "zeros.zip") : "";
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

bool IsArchiveStoredAsIs(const std::string& archive, const char16_t* name) {
  XZip zip;
  XZip nested;
  return zip.OpenMemory(archive.data(), static_cast<uint32_t>(archive.size()),
                        XZip::GetArchivePassword()) &&
         nested.OpenNested(zip, zip.Find(name, nullptr), XZip::GetArchivePassword());
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
    if (zip.IsFolder(i) || !zip.GetName(i, name)) continue;
    XZip nested;
    uint64_t size = 0;
    if (zip.ReadItem(i, &data)) {
      files[Utf16ToUtf8(name)] =
          std::string(reinterpret_cast<const char*>(data.Data()), data.Length());
    } else if (nested.OpenNested(zip, i, XZip::GetArchivePassword()) && zip.GetSize(i, &size)) {
      // An archive stored as it is: its bytes are the entry's data.
      files[Utf16ToUtf8(name)] = archive.substr(EntryDataOffset(archive, i), size);
    }
  }
  return files;
}

std::string Noise(size_t n, unsigned seed) {
  std::string noise(n, '\0');
  for (char& c : noise) {
    seed = seed * 1103515245u + 12345u;
    c = static_cast<char>(seed >> 16);
  }
  return noise;
}
