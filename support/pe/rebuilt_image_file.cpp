#include "support/pe/rebuilt_image_file.h"

#include <algorithm>
#include <vector>

#include "support/core/little_endian.h"
#include "support/files/file_stream.h"
#include "support/pe/pe_image.h"

namespace {

constexpr uint32_t kCopyPiece = 4 << 20;

bool WriteSummed(const uint8_t* bytes, size_t n, PeChecksumSum& sum, std::FILE* out) {
  sum.Add(bytes, n);
  return std::fwrite(bytes, 1, n, out) == n;
}

}  // namespace

bool WriteRebuiltImage(const RebuiltImage& image, std::FILE* gapSource, std::FILE* out) {
  if (out == nullptr || (image.gapLength != 0 && gapSource == nullptr) ||
      image.gapAt > image.bytes.size()) {
    return false;
  }
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(image.bytes.data());
  const size_t gapAt = static_cast<size_t>(image.gapAt);
  PeChecksumSum sum(image.checkSumOffset);
  if (!WriteSummed(bytes, gapAt, sum, out)) return false;
  std::vector<uint8_t> piece(std::min(image.gapLength, kCopyPiece));
  for (uint32_t done = 0; done < image.gapLength;) {
    const uint32_t n = std::min(image.gapLength - done, kCopyPiece);
    if (std::fread(piece.data(), 1, n, gapSource) != n || !WriteSummed(piece.data(), n, sum, out)) {
      return false;
    }
    done += n;
  }
  if (!WriteSummed(bytes + gapAt, image.bytes.size() - gapAt, sum, out)) return false;
  if (image.checkSumOffset != 0) {
    uint8_t field[4];
    WriteLe32(field, sum.Result());
    if (!SeekStream(out, image.checkSumOffset) || std::fwrite(field, 1, 4, out) != 4) return false;
  }
  return std::fflush(out) == 0;
}
