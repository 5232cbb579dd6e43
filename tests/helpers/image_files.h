#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Real PNG and JPEG files for the decoding tests, written by libpng and libjpeg.

// An 8-bit RGBA colour.
struct Rgba {
  uint8_t r, g, b, a;
};

// A picture to store as PNG: width x height colours, row by row, written in the colour type
// and depth asked for (16-bit samples repeat each byte; grey takes the red channel).
struct PngPicture {
  int width;
  int height;
  int colorType;  // PNG_COLOR_TYPE_RGB, _RGB_ALPHA, _GRAY, _GRAY_ALPHA or _PALETTE
  int bitDepth;   // 8 or 16 (palette: 8)
  bool interlaced;
  bool transparentColour;  // a tRNS chunk naming transparent (RGB only)
  Rgba transparent;
  std::vector<Rgba> colours;
};

std::string EncodePng(const PngPicture& picture);

// Colours of a pattern where no two neighbours are alike; opaque unless varyAlpha.
std::vector<Rgba> PatternColours(int width, int height, bool varyAlpha);

// A JPEG of width x height samples in the colour space given: 1 (grey), 3 (RGB) or 4 (CMYK)
// bytes a pixel.
std::string EncodeJpegSamples(int width, int height, int components,
                              const std::vector<uint8_t>& samples);

// The PNG chunk with its length and CRC, for files made byte by byte.
std::string PngChunk(const std::string& type, const std::string& data);
