#include "draw/image_decoding.h"

#include <png.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "draw/jpeg_encoding.h"
#include "tests/helpers/image_files.h"

namespace {

const uint8_t* Bytes(const std::string& data) {
  return reinterpret_cast<const uint8_t*>(data.data());
}

bool Decode(const std::string& data, DecodedImage& image) {
  return DecodeImage(Bytes(data), data.size(), image);
}

// Bytes B, G, R, A of pixel i.
std::vector<int> PixelBytes(const DecodedImage& image, int i) {
  const uint8_t* p = image.pixels.get() + i * 4;
  return {p[0], p[1], p[2], p[3]};
}

PngPicture Picture(int colorType, std::vector<Rgba> colours, int width = 0) {
  const int w = width != 0 ? width : static_cast<int>(colours.size());
  return {w, static_cast<int>(colours.size()) / w, colorType, 8, false, false, {}, colours};
}

TEST(ImageDecodingTest, PngPixelsBecomePremultipliedBgra) {
  struct Case {
    const char* name;
    PngPicture picture;
    std::vector<std::vector<int>> expected;  // B, G, R, A of each pixel
  };
  PngPicture sixteen = Picture(PNG_COLOR_TYPE_RGB_ALPHA, {{200, 100, 50, 128}, {1, 2, 3, 255}});
  sixteen.bitDepth = 16;
  PngPicture keyed = Picture(PNG_COLOR_TYPE_RGB, {{9, 8, 7, 255}, {200, 100, 50, 255}});
  keyed.transparentColour = true;
  keyed.transparent = {9, 8, 7, 255};
  const std::vector<Case> cases = {
      {"RGBA", Picture(PNG_COLOR_TYPE_RGB_ALPHA, {{200, 100, 50, 128}, {255, 255, 255, 0},
                                                  {10, 20, 30, 255}}),
       {{25, 50, 100, 128}, {0, 0, 0, 0}, {30, 20, 10, 255}}},
      {"RGB", Picture(PNG_COLOR_TYPE_RGB, {{200, 100, 50, 255}, {0, 1, 2, 255}}),
       {{50, 100, 200, 255}, {2, 1, 0, 255}}},
      {"16-bit RGBA", sixteen, {{25, 50, 100, 128}, {3, 2, 1, 255}}},
      {"RGB with a transparent colour", keyed, {{0, 0, 0, 0}, {50, 100, 200, 255}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DecodedImage image;
    ASSERT_TRUE(Decode(EncodePng(c.picture), image));
    ASSERT_EQ(image.width, c.picture.width);
    ASSERT_EQ(image.height, c.picture.height);
    for (size_t i = 0; i < c.expected.size(); ++i) {
      EXPECT_EQ(PixelBytes(image, static_cast<int>(i)), c.expected[i]) << "pixel " << i;
    }
  }
}

TEST(ImageDecodingTest, InterlacedPngsMatchTheirPlainTwins) {
  for (int colorType : {PNG_COLOR_TYPE_RGB, PNG_COLOR_TYPE_RGB_ALPHA}) {
    SCOPED_TRACE(colorType);
    PngPicture picture{13, 11, colorType, 8, false, false, {},
                       PatternColours(13, 11, colorType == PNG_COLOR_TYPE_RGB_ALPHA)};
    DecodedImage plain;
    ASSERT_TRUE(Decode(EncodePng(picture), plain));
    picture.interlaced = true;
    DecodedImage interlaced;
    ASSERT_TRUE(Decode(EncodePng(picture), interlaced));
    ASSERT_EQ(interlaced.width, 13);
    ASSERT_EQ(interlaced.height, 11);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(interlaced.pixels.get()), 13 * 11 * 4),
              std::string(reinterpret_cast<char*>(plain.pixels.get()), 13 * 11 * 4));
  }
}

TEST(ImageDecodingTest, JpegColourAndGreyBecomeOpaqueBgra) {
  struct Case {
    const char* name;
    std::string jpeg;
    std::vector<int> expected;  // B, G, R, A of every pixel, within a small error
  };
  std::vector<uint8_t> bgra;
  for (int i = 0; i < 16 * 8; ++i) bgra.insert(bgra.end(), {50, 100, 200, 255});
  JpegBytes encoded;
  ASSERT_TRUE(EncodeJpeg(bgra.data(), 16, 8, 4, 16 * 4, 95, encoded));
  // 24-bit rows padded to four bytes, as DIB sections keep them.
  std::vector<uint8_t> padded;
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) padded.insert(padded.end(), {90, 60, 30});
    padded.push_back(0);
  }
  JpegBytes encodedPadded;
  ASSERT_TRUE(EncodeJpeg(padded.data(), 5, 3, 3, 16, 95, encodedPadded));
  const std::vector<Case> cases = {
      {"colour", std::string(reinterpret_cast<char*>(encoded.data.get()), encoded.size),
       {50, 100, 200, 255}},
      {"padded colour rows",
       std::string(reinterpret_cast<char*>(encodedPadded.data.get()), encodedPadded.size),
       {90, 60, 30, 255}},
      {"grey", EncodeJpegSamples(8, 8, 1, std::vector<uint8_t>(64, 77)), {77, 77, 77, 255}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DecodedImage image;
    ASSERT_TRUE(Decode(c.jpeg, image));
    for (int i = 0; i < image.width * image.height; ++i) {
      const std::vector<int> pixel = PixelBytes(image, i);
      for (int channel = 0; channel < 4; ++channel) {
        EXPECT_NEAR(pixel[channel], c.expected[channel], 3) << "pixel " << i;
      }
    }
  }
}

// Makes a PNG byte by byte: the signature, IHDR with the given fields, the chunks after it.
std::string HandMadePng(uint32_t width, uint32_t height, const std::string& rest) {
  std::string header;
  for (uint32_t value : {width, height}) {
    for (int shift = 24; shift >= 0; shift -= 8) {
      header.push_back(static_cast<char>(value >> shift));
    }
  }
  header += std::string("\x08\x06\x00\x00\x00", 5);
  return std::string("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", header) + rest;
}

TEST(ImageDecodingTest, RefusesWhatTheInstallerCannotShowAndLeavesTheImageEmpty) {
  const std::string png = EncodePng(
      {16, 16, PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false, {}, PatternColours(16, 16, true)});
  std::string corruptPng = png;
  corruptPng[png.size() / 2] ^= 0x55;
  std::vector<uint8_t> pattern(32 * 32 * 3);
  for (size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<uint8_t>(i * 7);
  const std::string jpeg = EncodeJpegSamples(32, 32, 3, pattern);
  struct Case {
    const char* name;
    std::string data;
  };
  const std::vector<Case> cases = {
      {"grey PNG", EncodePng(Picture(PNG_COLOR_TYPE_GRAY, {{1, 1, 1, 255}, {2, 2, 2, 255}}))},
      {"grey and alpha PNG",
       EncodePng(Picture(PNG_COLOR_TYPE_GRAY_ALPHA, {{1, 1, 1, 9}, {2, 2, 2, 9}}))},
      {"palette PNG", EncodePng(Picture(PNG_COLOR_TYPE_PALETTE, {{0, 0, 0, 0}, {0, 0, 0, 0}}))},
      {"PNG signature only", png.substr(0, 8)},
      {"PNG cut in its header", png.substr(0, 20)},
      {"PNG cut in its data", png.substr(0, png.size() / 2)},
      {"PNG without its end", png.substr(0, png.size() - 12)},
      {"PNG with a damaged byte", corruptPng},
      {"PNG of zero width", HandMadePng(0, 4, PngChunk("IEND", ""))},
      {"PNG too big for memory", HandMadePng(40000, 40000, PngChunk("IEND", ""))},
      {"CMYK JPEG", EncodeJpegSamples(8, 8, 4, std::vector<uint8_t>(8 * 8 * 4, 40))},
      {"JPEG cut in its header", jpeg.substr(0, 30)},
      {"JPEG cut in its data", jpeg.substr(0, jpeg.size() / 2)},
      {"JPEG without its end", jpeg.substr(0, jpeg.size() - 2)},
      {"GIF", std::string("GIF89a\x01\x00\x01\x00\x00\x00\x00;", 14)},
      {"three bytes", std::string("\x89PN", 3)},
      {"nothing", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DecodedImage image;
    image.width = 7;
    EXPECT_FALSE(Decode(c.data, image));
    EXPECT_EQ(image.width, 0);
    EXPECT_EQ(image.height, 0);
    EXPECT_EQ(image.pixels, nullptr);
  }
  DecodedImage image;
  EXPECT_FALSE(DecodeImage(nullptr, 100, image));
}

}  // namespace
