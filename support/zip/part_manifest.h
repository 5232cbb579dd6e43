#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "support/zip/zip_parts_io.h"

// An archive too large to be carried inside its installer is written beside it as numbered data
// files, and the installer's payload carries, in place of the archive, its manifest: one line for
// each file, in order, "SIZE SHA256 NAME" and CR LF, the size in decimal, the digest in 64
// upper-case hexadecimal digits, the name (UTF-8) a plain file name in the installer's folder.
// Covered by the installer's own signature, it is what authenticates the files beside it.

// The manifest's entry in the payload.
constexpr char16_t kPartManifestEntry[] = u"app.zip.parts";

// A file an archive was written as, as the manifest records it.
struct PartRecord {
  std::u16string name;
  uint64_t size = 0;
  std::u16string sha256;  // 64 upper-case hexadecimal digits
};

// An archive written as parts: the files where they lie (the records' names in a folder) and
// their records, one each, in the same order.
struct SplitArchive {
  ZipParts files;
  std::vector<PartRecord> records;
};

// The manifest of records. Names must be plain file names, digests 64 upper-case digits.
std::string FormatPartManifest(const std::vector<PartRecord>& records);
// Reads a manifest into records. False, with records empty, for anything but one or more lines
// of the form above, each naming a plain file name (no folder, no ".", "..", ":" or control
// character), with a size above 0, no name twice.
bool ParsePartManifest(const uint8_t* bytes, size_t n, std::vector<PartRecord>* records);

// The parts as files in folder (which ends with its separator).
ZipParts PartFilesIn(const std::u16string& folder, const std::vector<PartRecord>& records);
