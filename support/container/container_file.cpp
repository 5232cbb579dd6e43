#include "support/container/container_file.h"

#include <algorithm>
#include <vector>

#include "support/container/byte_scrambler.h"
#include "support/container/crc16.h"
#include "support/container/packed_container.h"
#include "support/files/file_stream.h"

namespace {

bool ReadAt(std::FILE* file, uint64_t offset, uint8_t* bytes, uint32_t n) {
  return SeekStream(file, offset) && std::fread(bytes, 1, n, file) == n;
}

bool WriteAt(std::FILE* file, uint64_t offset, const uint8_t* bytes, uint32_t n) {
  return SeekStream(file, offset) && std::fwrite(bytes, 1, n, file) == n;
}

// The CRC-16 of the length bytes of file from offset on; false when they cannot all be read.
bool FileCrc16(std::FILE* file, uint64_t offset, uint32_t length, uint16_t& crc) {
  std::vector<uint8_t> piece(std::min(length, kContainerFilePiece));
  crc = 0;
  if (!SeekStream(file, offset)) return false;
  for (uint32_t done = 0; done < length;) {
    const uint32_t n = std::min(length - done, kContainerFilePiece);
    if (std::fread(piece.data(), 1, n, file) != n) return false;
    crc = Crc16Update(crc, piece.data(), n, nullptr);
    done += n;
  }
  return true;
}

}  // namespace

bool ScrambleFileBytes(std::FILE* file, uint64_t offset, uint32_t length, uint32_t key,
                       uint32_t rounds) {
  if (file == nullptr || length == 0 || rounds == 0) return false;
  std::vector<uint8_t> piece(std::min(length, kContainerFilePiece));
  const uint32_t pieces = (length - 1) / kContainerFilePiece + 1;
  auto pieceLength = [&](uint32_t index) {
    return std::min(length - index * kContainerFilePiece, kContainerFilePiece);
  };
  for (uint32_t round = 0; round < rounds; ++round) {
    // Each half carries the byte it chains to from one piece into the next.
    uint8_t carried = 0;
    for (uint32_t index = 0; index < pieces; ++index) {
      const uint64_t at = offset + uint64_t{index} * kContainerFilePiece;
      const uint32_t n = pieceLength(index);
      if (!ReadAt(file, at, piece.data(), n)) return false;
      ScrambleForward(piece.data(), n, index == 0 ? nullptr : &carried, index + 1 == pieces, key);
      carried = piece[n - 1];
      if (!WriteAt(file, at, piece.data(), n)) return false;
    }
    for (uint32_t index = pieces; index-- > 0;) {
      const uint64_t at = offset + uint64_t{index} * kContainerFilePiece;
      const uint32_t n = pieceLength(index);
      if (!ReadAt(file, at, piece.data(), n)) return false;
      ScrambleBackward(piece.data(), n, index + 1 == pieces ? nullptr : &carried, key);
      carried = piece[0];
      if (!WriteAt(file, at, piece.data(), n)) return false;
    }
  }
  return std::fflush(file) == 0;
}

uint32_t SealContainerFile(std::FILE* file, uint32_t payloadLength) {
  if (file == nullptr || payloadLength == 0 || payloadLength > UINT32_MAX - kContainerHeaderSize) {
    return 0;
  }
  uint16_t word = 0;
  if (!FileCrc16(file, kContainerHeaderSize, payloadLength, word)) return 0;
  uint8_t header[kContainerHeaderSize];
  WriteContainerHeader(header, payloadLength, word);
  const uint32_t key = ContainerKey(payloadLength, word);
  if (!WriteAt(file, 0, header, kContainerHeaderSize) ||
      !ScrambleFileBytes(file, kContainerHeaderSize, payloadLength, key, ContainerRounds(key))) {
    return 0;
  }
  return payloadLength + kContainerHeaderSize;
}
