// A piece index as it is read out of an entry's extra field once deciphered: the entry's deflated
// and whole sizes (8 bytes each) then the index's bytes. What is accepted must cover the entry
// once, each piece holding at least a byte of both, within the entry; the same bytes as the
// archive's extra fields are looked through for an index too.
#include <cstdint>

#include "support/core/little_endian.h"
#include "support/zip/piece_index.h"
#include "support/zip/xzip.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 16) return 0;
  const uint64_t storedSize = ReadLe64(data);
  const uint64_t entrySize = ReadLe64(data + 8);
  PieceIndex index;
  if (DecodePieceIndex(data + 16, size - 16, storedSize, entrySize, index)) {
    FuzzCheck(index.pieces.size() >= 2 && index.pieces.size() <= kMostIndexedPieces,
              "an index has at least two pieces and no more than it may");
    uint64_t stored = 0;
    uint64_t bytes = 0;
    for (size_t i = 0; i < index.pieces.size(); ++i) {
      FuzzCheck(index.pieces[i].stored == stored && index.pieces[i].offset == bytes,
                "each piece starts where the one before ends");
      FuzzCheck(index.StoredLength(i) > 0 && index.Length(i) > 0, "no piece is empty");
      stored += index.StoredLength(i);
      bytes += index.Length(i);
    }
    FuzzCheck(stored == storedSize && bytes == entrySize, "the pieces end where the entry does");
  } else {
    FuzzCheck(index.pieces.empty(), "a refused index keeps nothing");
  }
  PieceIndex found;
  if (!FindPieceIndex(data, size, XZip::GetArchivePassword(), storedSize, entrySize, found)) {
    FuzzCheck(found.pieces.empty(), "a refused field keeps nothing");
  }
  return 0;
}
