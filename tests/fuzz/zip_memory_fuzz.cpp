// Zip archives read from memory with the archive password: the payload archive and the client
// archive nested in it, read out whole or in pieces, or opened where it lies; an entry with a
// piece index is read through it too.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "support/core/entry_sink.h"
#include "support/files/xdata.h"
#include "support/zip/indexed_entry_reader.h"
#include "support/zip/xzip.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

// Enough entries to reach every path of the reader without spending the run on one input.
constexpr int kMostEntries = 64;
// An index may claim what its entry's bytes can inflate to: past this, its entry is not read
// through it, so that no run allocates near the replay's limit.
constexpr uint64_t kLargestPlaced = 64 << 20;

class CollectingSink : public IEntrySink {
 public:
  bool Put(const uint8_t* bytes, size_t count) override {
    FuzzCheck(count > 0 && count <= XZip::kPieceSize, "pieces are never empty nor too large");
    content.append(reinterpret_cast<const char*>(bytes), count);
    return true;
  }
  std::string content;
};

// The entry's bytes at their places; nothing is put outside them.
class PlacedSink : public IPositionedSink {
 public:
  explicit PlacedSink(size_t size) : content(size, '\0') {}
  bool PutAt(uint64_t offset, const uint8_t* bytes, size_t count) override {
    FuzzCheck(offset <= content.size() && count <= content.size() - offset,
              "a piece is put within its entry");
    std::memcpy(&content[static_cast<size_t>(offset)], bytes, count);
    return true;
  }
  std::string content;
};

// An entry read through its index stays within its bytes, and when it also reads in one stream,
// it reads the same.
void ReadPieces(XZip& zip, int i, bool whole, const std::string& content) {
  IndexedEntry pieced;
  if (!zip.FindPieces(i, &pieced) || pieced.index.size > kLargestPlaced) return;
  std::vector<std::unique_ptr<ArchiveBytes>> readers;
  readers.push_back(zip.OpenBytes());
  PlacedSink placed(static_cast<size_t>(pieced.index.size));
  if (ReadIndexedEntry(pieced, readers, placed, nullptr) != EntryResult::kRead) return;
  FuzzCheck(!whole || placed.content == content, "read through its index, an entry is the same");
}

void ReadEntries(XZip& zip, int depth) {
  for (int i = 0; i < zip.GetCount() && i < kMostEntries; ++i) {
    char16_t name[XZip::kNameCapacity];
    if (zip.GetName(i, name)) {
      uint32_t claimed = 0;
      FuzzCheck(zip.Find(name, &claimed) >= 0, "a listed name is found");
    }
    zip.IsFolder(i);
    XData entry;
    const bool whole = zip.ReadItem(i, &entry);
    if (!whole) FuzzCheck(entry.Data() == nullptr, "a failed read keeps nothing");
    // Small as fuzzed archives are, no entry can claim the 2 GB only pieces may read.
    CollectingSink pieces;
    FuzzCheck(zip.ReadItemTo(i, pieces) == whole, "read in pieces, an entry reads as whole");
    if (whole) {
      FuzzCheck(pieces.content.size() == entry.Length() &&
                    (entry.Length() == 0 ||
                     std::memcmp(pieces.content.data(), entry.Data(), entry.Length()) == 0),
                "read in pieces, an entry has the same bytes");
    }
    ReadPieces(zip, i, whole, pieces.content);
    XZip nested;
    if (depth < 2 && nested.OpenNested(zip, i, XZip::GetArchivePassword())) {
      ReadEntries(nested, depth + 1);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > UINT32_MAX) return 0;
  XZip zip;
  if (!zip.OpenMemory(data, static_cast<uint32_t>(size), XZip::GetArchivePassword())) return 0;
  ReadEntries(zip, 0);
  FuzzCheck(zip.Close(), "an opened archive closes");
  return 0;
}
