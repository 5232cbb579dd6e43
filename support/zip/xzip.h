#pragma once

#include <minizip/unzip.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "support/zip/archive_bytes.h"
#include "support/zip/piece_index.h"
#include "support/zip/zip_io.h"
#include "support/zip/zip_parts_io.h"

class IEntrySink;
class PackedView;
class XData;

// Read access to one zip archive at a time, opened from memory or from a file: entries are
// enumerated by index (central-directory order), looked up by name ignoring case, and read whole
// into an XData (small entries) or in fixed-size pieces into a sink (any size). Encrypted entries (traditional PKWARE encryption) are decrypted with the
// password given at opening. Writing entries out is the caller's work; names taken from an
// archive must go through JoinEntryPath before they touch the file system.
class XZip {
 public:
  // Entry names are at most this many UTF-16 units, terminator included.
  static constexpr int kNameCapacity = 260;
  // The largest piece ReadItemTo hands its sink.
  static constexpr size_t kPieceSize = 256 << 10;

  XZip() = default;
  virtual ~XZip();
  XZip(const XZip&) = delete;
  XZip& operator=(const XZip&) = delete;

  // The bytes stay the caller's and must not change until Close. False when an archive is
  // already open, bytes is null or they are not a readable archive.
  bool OpenMemory(const void* bytes, uint32_t length, const char* password);
  bool OpenFile(const char16_t* path, const char* password);
  // The archive that is a packed container's payload, read in place through view, which stays
  // the caller's until Close.
  bool OpenPacked(const PackedView& view, const char* password);
  // The archive written as the files parts, read across them as one (copied: the files are read
  // where they lie, in any size).
  bool OpenParts(const ZipParts& parts, const char* password);
  // The archive stored whole as entry index of parent, read in place from parent's own source
  // (its memory, container or file) without a copy. Only an entry stored in the clear and
  // uncompressed can be read so; the entries of the archive inside are read with the same
  // refusals as any (an entry in the clear among them is refused), so nothing it installs can
  // come from outside the packaging. parent must stay open and unchanged until Close, and it
  // is used only now, on this thread.
  bool OpenNested(XZip& parent, int index, const char* password);
  // True when nothing was open or the archive closed cleanly; closed afterwards in every case.
  bool Close();

  // Entry count; 0 when closed.
  int GetCount() const;
  // True when the entry's attributes mark a folder (0x10).
  bool IsFolder(int index);
  // Copies the entry's name into name (kNameCapacity units) with its terminator. False for a bad
  // index or a name that cannot be decoded whole.
  bool GetName(int index, char16_t* name);
  // The index of the entry with that name, ignoring ASCII case, or -1. size (when given)
  // receives the entry's uncompressed size when found and is left alone otherwise.
  int Find(const char16_t* name, uint32_t* size);
  // Reads the entry whole into data, its length set to the uncompressed size. On any failure
  // (damaged data, wrong password, archive cut short, an entry stored without encryption, a size
  // more than its bytes can inflate to or above 2 GB) data is left without storage.
  bool ReadItem(int index, XData* data);
  bool ReadByName(const char16_t* name, XData* data);
  // The entry's uncompressed size as its header claims it (zip64 sizes included). False for a
  // bad index.
  bool GetSize(int index, uint64_t* size);
  // Reads the entry into sink in pieces of at most kPieceSize bytes, in order, in the same small
  // memory whatever its size. True only when every byte the entry claims arrived and their CRC
  // matches, which is known after the last piece. False when sink refuses a piece, and for all
  // that ReadItem refuses but sizes above 2 GB: an entry may claim no more than its bytes can
  // inflate to.
  bool ReadItemTo(int index, IEntrySink& sink);

  // The entry's piece index, when its central directory record carries a sound one (see
  // piece_index.h), with where its deflated data starts in the archive and its CRC. False when it
  // has none, or its index cannot be read, or it is no encrypted deflated entry whose data lies
  // within the archive and can inflate to its size: it is then read with ReadItemTo.
  bool FindPieces(int index, IndexedEntry* entry);
  // A reader of the open archive's bytes at any offset, for one thread, which stays usable
  // while this archive is open. Null when none is open.
  std::unique_ptr<ArchiveBytes> OpenBytes() const;

  // The password of the system's own archives, a zero-terminated 8-bit text.
  static const char* GetArchivePassword();

 private:
  // Where an open archive's bytes are, so that one stored inside it can be read from there too.
  enum class Source { kNone, kMemory, kPacked, kFile, kParts };

  bool Open(Source kind, const void* source, const zlib_filefunc64_def& io, const char* password);
  // Where the data of a stored, uncompressed entry in the clear lies in this archive's source.
  bool StoredRange(int index, uint64_t* offset, uint64_t* size);
  // Reads the extra fields of the entry's central directory header, where a piece index is, from
  // the archive's bytes: minizip, asked for them, seeks back by an offset the callbacks refuse.
  bool ReadCentralExtra(int index, std::vector<uint8_t>* extra);
  // Makes the entry current and reads its information; false for a bad index. The entry made
  // current last is read once: asked for again (its name, then whether it is a folder, say), its
  // record is not read again.
  bool GoTo(int index, unz_file_info64* info, std::string* rawName);
  // Makes the entry current and opens it for reading when it is encrypted and claims no more
  // than largest bytes, nor more than its compressed bytes can inflate to. *bytes receives its
  // compressed bytes (as far as the archive holds them).
  bool OpenEntry(int index, uint64_t largest, unz_file_info64* info, uint64_t* bytes);
  // Reads the open entry's size bytes into data, which starts at firstCapacity and grows as
  // they arrive.
  bool ReadCurrentEntry(uint32_t size, uint32_t firstCapacity, XData* data);

  unzFile archive_ = nullptr;            // null when closed
  Source source_ = Source::kNone;
  ZipMemory memory_;                     // the source of an archive opened from memory
  ZipPackedRange packed_;                // ... from a packed container
  ZipFileRange file_;                    // ... from a file
  std::u16string path_;                  // file_'s path
  ZipParts parts_;                       // ... from parts
  uint64_t archiveSize_ = 0;             // bytes of the open archive
  std::vector<unz64_file_pos> entries_;  // where each entry's record is, by index
  int current_ = -1;                     // the entry GoTo made current, -1 when none is
  unz_file_info64 currentInfo_{};        // ... its information
  std::string currentName_;              // ... and its name as stored
  std::string password_;
  bool hasPassword_ = false;
  std::unique_ptr<uint8_t[]> piece_;  // ReadItemTo's piece, made on first use
};
