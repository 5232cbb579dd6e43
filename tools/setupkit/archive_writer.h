#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/setupkit/piece_deflater.h"
#include "tools/setupkit/zip_records.h"

// Zip archives as the installer reads them, written to a file as they are made: every entry
// encrypted with the archive password, names relative, "/"-separated, in UTF-8 with the
// language-encoding flag (bit 11) set; folders are entries ending in "/" with attribute 0x10.
// Entries carry one fixed time and encryption headers drawn from their own name, size and CRC, so
// the same entries always make the same archive, byte for byte, in both builds. A file is read in
// pieces, twice (for its CRC, which its encryption header needs before its data, then to deflate
// it on every core), so memory stays small whatever the files' sizes; an entry or an archive past
// the classic fields' limits gets zip64 records.

struct ArchiveEntry {
  std::string name;       // UTF-8, with a trailing "/" for folders
  std::u16string file;    // the file its bytes are read from; empty: bytes
  uint64_t fileSize = 0;  // file's size when it was listed
  std::string bytes;      // the bytes of an entry made in memory, such as a list or a program
  bool folder = false;
  // Stored as it is, neither compressed nor encrypted, so that a reader finds it whole where it
  // lies: only for an archive whose own entries are encrypted (the client archive).
  bool asIs = false;

  uint64_t Size() const { return file.empty() ? bytes.size() : fileSize; }
};

// How BuildArchive cuts files into pieces and records entries. Tests set smaller values to reach
// the pieces and the zip64 records with small archives.
struct ArchiveOptions {
  size_t pieceSize = PieceDeflater::kDefaultPieceSize;
  int workers = 0;  // 0: one per core
  ZipLimits limits;
};

// Adds the files and folders below folder to entries, in byte order of their names, each file
// named with its size. False, with one line naming the entry in problem and entries as they
// were, for anything WalkFolder refuses.
bool ListFolderEntries(const std::u16string& folder, std::vector<ArchiveEntry>& entries,
                       std::string& problem);

// Puts entries in byte order of their names, the order ListFolderEntries gives.
void SortByName(std::vector<ArchiveEntry>& entries);

// Writes the archive of the entries, in their order, to the file out, with a progress line on a
// terminal that names it by label. False, with one line in problem and no file out, for an empty
// list (minizip cannot read an archive without entries back), a file that cannot be read or that
// changed since it was listed, or an out that cannot be written.
bool BuildArchive(const std::vector<ArchiveEntry>& entries, const std::string& label,
                  const std::u16string& out, std::string& problem,
                  const ArchiveOptions& options = ArchiveOptions());
