#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "support/zip/entry_cipher.h"

// Where the pieces of an entry deflated in pieces start, each ended by a full flush so that it
// inflates on its own: in its deflated data (after the encryption header), in its bytes, the
// cipher's state there and the piece's CRC. setupkit puts it beside the entry as an extra field of
// the central directory, with an id of its own that every other reader passes over, enciphered
// with the archive's password like the entries themselves: a cipher state read in the clear would
// decrypt the rest of the entry without it.
struct PieceStart {
  uint64_t stored = 0;  // in the entry's deflated data
  uint64_t offset = 0;  // in the entry's bytes
  CipherState cipher;   // before the piece's first deflated byte
  uint32_t crc = 0;     // of the piece's bytes
};

// A sound index: pieces that start at 0 in both, each after the one before in both, and end
// where the entry does, so that they cover it once.
struct PieceIndex {
  std::vector<PieceStart> pieces;
  uint64_t storedSize = 0;  // the entry's deflated data, encryption header left out
  uint64_t size = 0;        // the entry's bytes

  uint64_t StoredLength(size_t piece) const;
  uint64_t Length(size_t piece) const;
};

// An entry with a sound index, where its archive holds it.
struct IndexedEntry {
  uint64_t dataOffset = 0;  // in the archive, of its first deflated byte
  uint32_t crc = 0;         // of its bytes
  PieceIndex index;
};

// The extra field's id, which no registered one has.
constexpr uint16_t kPieceIndexFieldId = 0x6950;
// An extra field holds at most 64 KB, beside the zip64 one: entries of more pieces (past 8 GB at
// 4 MB a piece) have no index and are read as one stream.
constexpr size_t kMostIndexedPieces = 2000;

// The index's bytes before they are enciphered, without their CRC.
std::string EncodePieceIndex(const std::vector<PieceStart>& pieces);

// Reads encoded (as EncodePieceIndex makes it) as the index of an entry of storedSize deflated
// bytes and size bytes. False, index left empty, for anything but a sound index of at least two
// and at most kMostIndexedPieces pieces.
bool DecodePieceIndex(const uint8_t* encoded, size_t n, uint64_t storedSize, uint64_t size,
                      PieceIndex& index);

// The extra field of pieces, id and length included, enciphered with password behind a header
// drawn from entryName. Empty when there are fewer than two pieces or more than
// kMostIndexedPieces.
std::string PieceIndexField(const std::vector<PieceStart>& pieces, const std::string& entryName,
                            const char* password);

// Finds the index among an entry's extra fields (extra, n bytes) and reads it, deciphered with
// password. False, index left empty, when there is none, or its CRC fails (a wrong password, a
// damaged field), or it is not sound for the entry (DecodePieceIndex).
bool FindPieceIndex(const uint8_t* extra, size_t n, const char* password, uint64_t storedSize,
                    uint64_t size, PieceIndex& index);
