#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Archives built on the fly with minizip's writer, for the tests that read them.
struct ZipEntrySpec {
  std::string name;  // the name's stored bytes, exactly
  std::string content;
  bool folder = false;    // attribute 0x10
  bool utf8Name = true;   // general-purpose bit 11
  bool encrypted = true;  // with the password given to BuildZip
  bool deflated = true;   // else stored
};

// n bytes that do not deflate, the same for the same seed.
std::string Noise(size_t n, unsigned seed);

// The bytes of an archive holding the entries in order.
std::string BuildZip(const std::vector<ZipEntrySpec>& entries, const char* password);

// The bytes of an archive of two entries: "zeros.bin", size zero bytes deflated in zip64 form,
// and "after.txt" after it, both encrypted with password. size must be a whole number of MB; the
// archive is about a thousandth of it. Empty when it cannot be built.
std::string BuildZerosZip(uint64_t size, const char* password);

// The offset of the first byte of an entry's data (after its local header and, when encrypted,
// inside its 12-byte encryption header), found from the archive's central directory.
size_t EntryDataOffset(const std::string& archive, int index);

// Rewrites the uncompressed size entry index claims, in its local header and in the central
// directory, as a damaged or hostile archive would.
void SetClaimedSize(std::string& archive, int index, uint32_t size);

// Whether the entry name of archive is an archive stored as it is (neither compressed nor
// encrypted), which an installer reads where it lies.
bool IsArchiveStoredAsIs(const std::string& archive, const char16_t* name);

// Every file entry (folders left out) of an archive, by its UTF-8 name, read whole with the
// archive password, or as it lies for an archive stored as it is; empty when the bytes are no
// archive.
std::map<std::string, std::string> ReadArchiveFiles(const std::string& archive);
