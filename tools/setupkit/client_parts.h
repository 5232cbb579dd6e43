#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/zip/part_manifest.h"

// The client archive of an installer whose payload would be too large to carry it, written beside
// the installer as numbered data files, whose manifest the payload carries in its place.

// The payload an installer carries inside it, by default: 1 GB keeps the executable a quarter of
// what the resource writer makes, quick to sign and to check, and holds most clients whole.
constexpr uint64_t kDefaultSplitSize = uint64_t{1} << 30;
// Each data file stays below 4 GB, which file systems and tools of every age can hold.
constexpr uint64_t kLargestPart = 0xFFFFFFFFu;

// Reads --split's SIZE: a whole number of bytes with an optional suffix K, M or G (times 1,024
// each). False for anything else, or 0.
bool ParseSplitSize(const std::u16string& text, uint64_t* size);

// The data files of the installer at path, written and removed together: removed when this goes,
// unless kept.
class ClientPartFiles {
 public:
  ClientPartFiles() = default;
  ~ClientPartFiles();
  ClientPartFiles(const ClientPartFiles&) = delete;
  ClientPartFiles& operator=(const ClientPartFiles&) = delete;

  // Writes archive as files of at most partSize bytes (below 4 GB each) in installer's folder,
  // named after it: "setup-1.bin", "setup-2.bin", ... for "setup.exe". Their digests are taken as
  // they are written. False, with a one-line reason in problem and none of them left, when
  // archive cannot be read or a file cannot be written.
  bool Write(const std::u16string& archive, const std::u16string& installer, uint64_t partSize,
             std::string& problem);
  // The files written, in order, as the manifest records them.
  const std::vector<PartRecord>& Records() const { return records_; }
  // Leaves the files when this goes: the installer they belong to was written.
  void Keep() { kept_ = true; }

 private:
  void Remove();

  std::vector<std::u16string> paths_;
  std::vector<PartRecord> records_;
  bool kept_ = false;
};
