#include "support/files/whole_write.h"

uint32_t WriteWhole(const WriteCall& write, const uint8_t* bytes, size_t count, uint32_t diskFull) {
  while (count > 0) {
    const uint32_t piece =
        count < kLargestWriteCall ? static_cast<uint32_t>(count) : kLargestWriteCall;
    uint32_t written = 0;
    uint32_t error = 0;
    if (!write(bytes, piece, &written, &error) || written != piece) {
      return error != 0 ? error : diskFull;
    }
    bytes += piece;
    count -= piece;
  }
  return 0;
}
