#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// A JPEG encoding, in memory libjpeg allocated.
struct JpegBytes {
  struct Releaser {
    void operator()(unsigned char* bytes) const;
  };
  std::unique_ptr<unsigned char, Releaser> data;
  size_t size = 0;
};

// Encodes width x height pixels whose bytes 2, 1, 0 are red, green and blue (0xAARRGGBB values,
// or 24-bit B, G, R), bytesPerPixel apart and rowBytes from one row to the next, as a colour
// JPEG of quality 0..100. Premultiplied colour is written as it is; alpha is dropped. False
// (and out empty) for bad sizes or when libjpeg fails.
bool EncodeJpeg(const uint8_t* pixels, int width, int height, int bytesPerPixel, size_t rowBytes,
                int quality, JpegBytes& out);
