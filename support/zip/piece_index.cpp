#include "support/zip/piece_index.h"

#include <zlib.h>

#include "support/core/little_endian.h"

namespace {

constexpr uint8_t kFormat = 1;
constexpr size_t kFormatSize = 1;
constexpr size_t kCountSize = 4;
constexpr size_t kPieceSize = 8 + 8 + 3 * 4 + 4;
constexpr size_t kCrcSize = 4;
constexpr size_t kFieldHeaderSize = 4;

uint32_t Crc(const uint8_t* bytes, size_t n) {
  return static_cast<uint32_t>(crc32_z(crc32(0, nullptr, 0), bytes, n));
}

}  // namespace

uint64_t PieceIndex::StoredLength(size_t piece) const {
  const uint64_t end = piece + 1 < pieces.size() ? pieces[piece + 1].stored : storedSize;
  return end - pieces[piece].stored;
}

uint64_t PieceIndex::Length(size_t piece) const {
  const uint64_t end = piece + 1 < pieces.size() ? pieces[piece + 1].offset : size;
  return end - pieces[piece].offset;
}

std::string EncodePieceIndex(const std::vector<PieceStart>& pieces) {
  std::string out(kFormatSize + kCountSize + kPieceSize * pieces.size(), '\0');
  auto* at = reinterpret_cast<uint8_t*>(&out[0]);
  *at++ = kFormat;
  WriteLe32(at, static_cast<uint32_t>(pieces.size()));
  at += kCountSize;
  for (const PieceStart& piece : pieces) {
    WriteLe64(at, piece.stored);
    WriteLe64(at + 8, piece.offset);
    for (int k = 0; k < 3; ++k) WriteLe32(at + 16 + 4 * k, piece.cipher.keys[k]);
    WriteLe32(at + 28, piece.crc);
    at += kPieceSize;
  }
  return out;
}

bool DecodePieceIndex(const uint8_t* encoded, size_t n, uint64_t storedSize, uint64_t size,
                      PieceIndex& index) {
  index = PieceIndex();
  if (n < kFormatSize + kCountSize || encoded[0] != kFormat) return false;
  const uint32_t count = ReadLe32(encoded + kFormatSize);
  if (count < 2 || count > kMostIndexedPieces ||
      n != kFormatSize + kCountSize + kPieceSize * count) {
    return false;
  }
  PieceIndex read;
  read.storedSize = storedSize;
  read.size = size;
  const uint8_t* at = encoded + kFormatSize + kCountSize;
  for (uint32_t i = 0; i < count; ++i, at += kPieceSize) {
    PieceStart piece;
    piece.stored = ReadLe64(at);
    piece.offset = ReadLe64(at + 8);
    for (int k = 0; k < 3; ++k) piece.cipher.keys[k] = ReadLe32(at + 16 + 4 * k);
    piece.crc = ReadLe32(at + 28);
    // Each piece starts where the one before ends, and holds at least a byte of each: none
    // overlaps another, and none is left out.
    const bool follows = i == 0 ? piece.stored == 0 && piece.offset == 0
                                : piece.stored > read.pieces.back().stored &&
                                      piece.offset > read.pieces.back().offset;
    if (!follows || piece.stored >= storedSize || piece.offset >= size) return false;
    read.pieces.push_back(piece);
  }
  index = std::move(read);
  return true;
}

std::string PieceIndexField(const std::vector<PieceStart>& pieces, const std::string& entryName,
                            const char* password) {
  if (pieces.size() < 2 || pieces.size() > kMostIndexedPieces) return std::string();
  std::string plain = EncodePieceIndex(pieces);
  const uint32_t crc = Crc(reinterpret_cast<const uint8_t*>(plain.data()), plain.size());
  plain.resize(plain.size() + kCrcSize);
  WriteLe32(reinterpret_cast<uint8_t*>(&plain[plain.size() - kCrcSize]), crc);
  EntryCipher cipher(password);
  // Drawn from a name no entry has (no entry name holds a zero byte), so that the index's header
  // is never its entry's.
  const std::string header = cipher.Header(entryName + '\0' + "pieces", plain.size(), crc);
  cipher.Encrypt(reinterpret_cast<uint8_t*>(&plain[0]), plain.size());
  std::string field(kFieldHeaderSize, '\0');
  WriteLe16(reinterpret_cast<uint8_t*>(&field[0]), kPieceIndexFieldId);
  WriteLe16(reinterpret_cast<uint8_t*>(&field[2]),
            static_cast<uint16_t>(header.size() + plain.size()));
  return field + header + plain;
}

bool FindPieceIndex(const uint8_t* extra, size_t n, const char* password, uint64_t storedSize,
                    uint64_t size, PieceIndex& index) {
  index = PieceIndex();
  for (size_t at = 0; n - at >= kFieldHeaderSize;) {
    const uint16_t id = ReadLe16(extra + at);
    const size_t length = ReadLe16(extra + at + 2);
    at += kFieldHeaderSize;
    if (length > n - at) return false;
    if (id != kPieceIndexFieldId) {
      at += length;
      continue;
    }
    if (length < EntryCipher::kHeaderSize + kCrcSize) return false;
    std::vector<uint8_t> plain(extra + at, extra + at + length);
    EntryCipher cipher(password);
    cipher.Decrypt(plain.data(), plain.size());
    const uint8_t* body = plain.data() + EntryCipher::kHeaderSize;
    const size_t bodySize = plain.size() - EntryCipher::kHeaderSize - kCrcSize;
    if (Crc(body, bodySize) != ReadLe32(body + bodySize)) return false;
    return DecodePieceIndex(body, bodySize, storedSize, size, index);
  }
  return false;
}
