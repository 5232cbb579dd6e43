#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// Pixels decoded from a skin image: width x height 32-bit values 0xAARRGGBB (bytes B, G, R, A),
// top row first, rows of width x 4 bytes. Colour is premultiplied by alpha.
struct DecodedImage {
  int width = 0;
  int height = 0;
  std::unique_ptr<uint8_t[]> pixels;
};

// The decoders leave image empty on every failure. A PNG must be 8-bit or 16-bit RGB or RGBA
// (a transparent colour and interlacing are fine); a JPEG must be Huffman-coded and decode to
// colour or grey. Damaged or truncated data, any other kind of image, a size whose bytes would
// not fit in 31 bits, and a size the compressed data could not hold fail, before any buffer is
// made for it. Nothing is read outside data.
bool DecodePng(const uint8_t* data, size_t size, DecodedImage& image);
bool DecodeJpeg(const uint8_t* data, size_t size, DecodedImage& image);

enum class ImageFormat { kUnknown, kPng, kJpeg };

// The format by signature: 0x89 "PNG" or 0xFF 0xD8 0xFF; unknown for null or fewer than 4 bytes.
ImageFormat DetectImageFormat(const uint8_t* data, size_t size);

// Decodes by signature: the one entry point for whatever bytes a skin file holds.
bool DecodeImage(const uint8_t* data, size_t size, DecodedImage& image);
