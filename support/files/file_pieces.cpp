#include "support/files/file_pieces.h"

#include <cstdio>

#include "support/files/file_stream.h"

namespace {

constexpr size_t kPieceBytes = 65536;

}  // namespace

bool ReadFileInPieces(const char16_t* path,
                      const std::function<void(const uint8_t* bytes, size_t n)>& consume) {
  FileStream file = OpenFileStream(path, "rb");
  if (!file) return false;
  uint8_t piece[kPieceBytes];
  size_t got;
  while ((got = std::fread(piece, 1, sizeof piece, file.get())) > 0) consume(piece, got);
  return !std::ferror(file.get());
}
