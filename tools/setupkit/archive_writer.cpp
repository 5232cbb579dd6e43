#include "tools/setupkit/archive_writer.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "support/files/file_stream.h"
#include "support/text/utf8.h"
#include "support/zip/entry_cipher.h"
#include "support/zip/piece_index.h"
#include "support/zip/xzip.h"
#include "tools/setupkit/folder_walk.h"
#include "tools/setupkit/tool_output_file.h"
#include "tools/setupkit/progress_line.h"
#include "tools/setupkit/tool_output.h"

namespace {

constexpr uint16_t kEncryptedFlag = 0x0001;
constexpr uint16_t kUtf8NameFlag = 0x0800;
constexpr uint32_t kFolderAttribute = 0x10;
constexpr uint16_t kStored = 0;
// 1980-01-01 00:00, the first time the format can hold.
constexpr uint32_t kFixedDosTime = (1u << 21) | (1u << 16);
// What the CRC pass and a copy read at a time.
constexpr size_t kReadPiece = 1 << 20;

// Why an entry could not be written.
enum class EntryFailure { kNone, kUnreadable, kChanged, kUnwritable };

// An entry's bytes from their start, read from its file or from memory.
class EntryReader {
 public:
  explicit EntryReader(const ArchiveEntry& entry) : entry_(entry) {
    if (!entry.file.empty()) file_ = OpenFileStream(entry.file.c_str(), "rb");
  }
  bool Opened() const { return entry_.file.empty() || file_ != nullptr; }

  // Reads the next n bytes; false when fewer are left.
  bool Read(uint8_t* bytes, size_t n) {
    if (n == 0) return true;
    if (file_) return std::fread(bytes, 1, n, file_.get()) == n;
    if (n > entry_.bytes.size() - position_) return false;
    std::memcpy(bytes, entry_.bytes.data() + position_, n);
    position_ += n;
    return true;
  }

  // True when every byte was read: a file that grew since it was listed did not.
  bool AtEnd() {
    if (!file_) return position_ == entry_.bytes.size();
    return std::fgetc(file_.get()) == EOF && !std::ferror(file_.get());
  }

 private:
  const ArchiveEntry& entry_;
  FileStream file_;
  size_t position_ = 0;
};

// Hands the entry's bytes to take in pieces of at most kReadPiece.
EntryFailure ReadInPieces(const ArchiveEntry& entry,
                          const std::function<bool(std::vector<uint8_t>&)>& take) {
  EntryReader reader(entry);
  if (!reader.Opened()) return EntryFailure::kUnreadable;
  std::vector<uint8_t> piece;
  for (uint64_t left = entry.Size(); left > 0;) {
    piece.resize(static_cast<size_t>(std::min<uint64_t>(left, kReadPiece)));
    if (!reader.Read(piece.data(), piece.size())) return EntryFailure::kChanged;
    if (!take(piece)) return EntryFailure::kUnwritable;
    left -= piece.size();
  }
  return reader.AtEnd() ? EntryFailure::kNone : EntryFailure::kChanged;
}

EntryFailure ReadCrc(const ArchiveEntry& entry, uint32_t& crc) {
  uLong value = crc32(0, nullptr, 0);
  const EntryFailure failure = ReadInPieces(entry, [&value](std::vector<uint8_t>& piece) {
    value = crc32_z(value, piece.data(), piece.size());
    return true;
  });
  crc = static_cast<uint32_t>(value);
  return failure;
}

// The most the entry's data can take in the archive, decided before it is written. What deflate
// makes of bytes it cannot compress is at most about 0.03 % more than they are: a thousandth more
// holds that, and 64 bytes each piece's flush or end.
uint64_t MostStoredBytes(const ArchiveEntry& entry, size_t pieceSize) {
  const uint64_t size = entry.Size();
  if (entry.asIs) return size;
  if (entry.folder) return EntryCipher::kHeaderSize;
  const uint64_t pieces = size / pieceSize + 1;
  return size + size / 1024 + 64 * pieces + EntryCipher::kHeaderSize;
}

// The piece index of an entry deflated in pieces, from where each piece started in the deflated
// data and the cipher's state there: empty for an entry of one piece, or of too many.
std::string PieceIndexOf(const std::string& name, const std::vector<PieceStart>& starts,
                         const std::vector<PieceDeflater::PieceBytes>& pieces) {
  if (starts.size() != pieces.size()) return std::string();
  std::vector<PieceStart> index = starts;
  uint64_t offset = 0;
  for (size_t i = 0; i < index.size(); ++i) {
    index[i].offset = offset;
    index[i].crc = pieces[i].crc;
    offset += pieces[i].length;
  }
  return PieceIndexField(index, name, XZip::GetArchivePassword());
}

// Writes the entry's data encrypted, deflated unless it is a folder's; record receives deflate's
// guess that the bytes are text and, for an entry of several pieces, their index.
EntryFailure WriteEncrypted(const ArchiveEntry& entry, uint32_t crc, PieceDeflater& deflater,
                            ToolOutputFile& file, ProgressLine& progress,
                            ZipEntryRecord& record) {
  EntryCipher cipher(XZip::GetArchivePassword());
  if (!file.Write(cipher.Header(entry.name, entry.Size(), crc))) return EntryFailure::kUnwritable;
  if (entry.folder) return EntryFailure::kNone;
  EntryReader reader(entry);
  if (!reader.Opened()) return EntryFailure::kUnreadable;
  bool readFailed = false;
  uint64_t done = 0;
  const PieceDeflater::Reader read = [&](uint8_t* bytes, size_t n) {
    readFailed = !reader.Read(bytes, n);
    progress.Underway(done += n);
    return !readFailed;
  };
  std::vector<PieceStart> starts;
  uint64_t stored = 0;
  const PieceDeflater::Writer write = [&](std::vector<uint8_t>& deflated) {
    PieceStart start;
    start.stored = stored;
    start.cipher = cipher.State();
    starts.push_back(start);
    stored += deflated.size();
    cipher.Encrypt(deflated.data(), deflated.size());
    return file.Write(deflated.data(), deflated.size());
  };
  PieceDeflater::Result result;
  if (!deflater.Deflate(entry.Size(), read, write, result)) {
    return readFailed ? EntryFailure::kChanged : EntryFailure::kUnwritable;
  }
  // The CRC of the bytes deflated, taken as they were read, is that of the first pass's only
  // when the file stayed as it was in between.
  if (result.crc != crc || !reader.AtEnd()) return EntryFailure::kChanged;
  record.internalAttributes = result.dataType == Z_TEXT ? 1 : 0;
  record.centralExtra = PieceIndexOf(entry.name, starts, result.pieces);
  return EntryFailure::kNone;
}

EntryFailure WriteEntry(const ArchiveEntry& entry, const ArchiveOptions& options,
                        PieceDeflater& deflater, ToolOutputFile& file, ProgressLine& progress,
                        ZipEntryRecord& record) {
  uint32_t crc = 0;
  const EntryFailure unread = ReadCrc(entry, crc);
  if (unread != EntryFailure::kNone) return unread;
  const bool deflated = !entry.folder && !entry.asIs;
  record.name = entry.name;
  record.flags = kUtf8NameFlag | (entry.asIs ? 0 : kEncryptedFlag);
  record.method = deflated ? Z_DEFLATED : kStored;
  record.dosTime = kFixedDosTime;
  record.crc = crc;
  record.size = entry.Size();
  record.offset = file.Size();
  record.externalAttributes = entry.folder ? kFolderAttribute : 0;
  record.zip64Sizes = MostStoredBytes(entry, options.pieceSize) >= options.limits.largest32;
  if (!file.Write(LocalHeader(record, options.limits))) return EntryFailure::kUnwritable;
  const uint64_t dataStart = file.Size();
  const auto copy = [&file, &progress, dataStart](std::vector<uint8_t>& piece) {
    const bool written = file.Write(piece.data(), piece.size());
    progress.Underway(file.Size() - dataStart);
    return written;
  };
  const EntryFailure failure =
      entry.asIs ? ReadInPieces(entry, copy)
                 : WriteEncrypted(entry, crc, deflater, file, progress, record);
  if (failure != EntryFailure::kNone) return failure;
  record.storedSize = file.Size() - dataStart;
  // The local header again, now with the stored size, over itself.
  return file.Overwrite(record.offset, LocalHeader(record, options.limits))
             ? EntryFailure::kNone
             : EntryFailure::kUnwritable;
}

std::string FailureText(EntryFailure failure, const ArchiveEntry& entry, const std::string& label) {
  const std::string what = "the entry " + entry.name + " of " + label;
  switch (failure) {
    case EntryFailure::kUnreadable:
      return what + " cannot be read";
    case EntryFailure::kChanged:
      return what + " changed while it was packed";
    case EntryFailure::kUnwritable:
    case EntryFailure::kNone:
      break;
  }
  return "cannot write " + what;
}

}  // namespace

bool ListFolderEntries(const std::u16string& folder, std::vector<ArchiveEntry>& entries,
                       std::string& problem) {
  std::vector<WalkedEntry> found;
  if (!WalkFolder(folder, found, problem)) return false;
  std::vector<ArchiveEntry> listed;
  for (const WalkedEntry& item : found) {
    ArchiveEntry entry;
    entry.name = Utf16ToUtf8(item.relative.c_str()) + (item.isFolder ? "/" : "");
    entry.folder = item.isFolder;
    if (!item.isFolder) {
      entry.file = item.path;
      entry.fileSize = item.size;
    }
    listed.push_back(std::move(entry));
  }
  SortByName(listed);
  entries.insert(entries.end(), std::make_move_iterator(listed.begin()),
                 std::make_move_iterator(listed.end()));
  return true;
}

void SortByName(std::vector<ArchiveEntry>& entries) {
  std::sort(entries.begin(), entries.end(),
            [](const ArchiveEntry& a, const ArchiveEntry& b) { return a.name < b.name; });
}

bool BuildArchive(const std::vector<ArchiveEntry>& entries, const std::string& label,
                  const std::u16string& out, std::string& problem, const ArchiveOptions& options) {
  // minizip finds no directory in an archive that is nothing but its end record.
  if (entries.empty()) {
    problem = "an archive without entries cannot be read back";
    return false;
  }
  ToolOutputFile file;
  if (!file.Open(out)) {
    problem = "cannot write " + Shown(out);
    return false;
  }
  PieceDeflater deflater(options.pieceSize, options.workers);
  uint64_t totalBytes = 0;
  for (const ArchiveEntry& entry : entries) totalBytes += entry.Size();
  ProgressLine progress("compressing " + label, entries.size(), totalBytes);
  std::string directory;
  for (const ArchiveEntry& entry : entries) {
    ZipEntryRecord record;
    const EntryFailure failure = WriteEntry(entry, options, deflater, file, progress, record);
    if (failure != EntryFailure::kNone) {
      problem = FailureText(failure, entry, label);
      return false;
    }
    directory += CentralHeader(record, options.limits);
    progress.Advance(entry.Size());
  }
  const std::string end = EndRecords(entries.size(), file.Size(), directory.size(), options.limits);
  if (!file.Write(directory) || !file.Write(end) || !file.Finish()) {
    problem = "cannot write " + Shown(out);
    return false;
  }
  return true;
}
