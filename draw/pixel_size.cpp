#include "draw/pixel_size.h"

#include <cstdint>

bool PixelBufferBytes(int width, int height, int bytesPerPixel, size_t& bytes) {
  bytes = 0;
  if (width <= 0 || height <= 0 || bytesPerPixel <= 0) return false;
  const uint64_t rowBytes = (static_cast<uint64_t>(width) * bytesPerPixel + 3) / 4 * 4;
  const uint64_t total = rowBytes * static_cast<uint64_t>(height);
  if (rowBytes > INT32_MAX || total > INT32_MAX) return false;
  bytes = static_cast<size_t>(total);
  return true;
}
