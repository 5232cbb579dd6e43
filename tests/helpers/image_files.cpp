#include "tests/helpers/image_files.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>
#include <zlib.h>

namespace {

void AppendToString(png_structp png, png_bytep data, size_t length) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<char*>(data), length);
}

void PutSample(std::vector<uint8_t>& row, int bitDepth, uint8_t value) {
  row.push_back(value);
  if (bitDepth == 16) row.push_back(value);
}

std::vector<uint8_t> Row(const PngPicture& picture, int y) {
  std::vector<uint8_t> row;
  for (int x = 0; x < picture.width; ++x) {
    const Rgba& c = picture.colours[static_cast<size_t>(y) * picture.width + x];
    switch (picture.colorType) {
      case PNG_COLOR_TYPE_PALETTE:
        row.push_back(static_cast<uint8_t>(x % 2));
        break;
      case PNG_COLOR_TYPE_GRAY:
      case PNG_COLOR_TYPE_GRAY_ALPHA:
        PutSample(row, picture.bitDepth, c.r);
        if (picture.colorType == PNG_COLOR_TYPE_GRAY_ALPHA) PutSample(row, picture.bitDepth, c.a);
        break;
      default:
        for (uint8_t value : {c.r, c.g, c.b}) PutSample(row, picture.bitDepth, value);
        if (picture.colorType == PNG_COLOR_TYPE_RGB_ALPHA) PutSample(row, picture.bitDepth, c.a);
    }
  }
  return row;
}

}  // namespace

std::string EncodePng(const PngPicture& picture) {
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::abort();
  }
  png_set_write_fn(png, &out, AppendToString, nullptr);
  png_set_IHDR(png, info, picture.width, picture.height, picture.bitDepth, picture.colorType,
               picture.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_color palette[2] = {{10, 20, 30}, {200, 100, 50}};
  if (picture.colorType == PNG_COLOR_TYPE_PALETTE) png_set_PLTE(png, info, palette, 2);
  png_color_16 transparent = {};
  if (picture.transparentColour) {
    const int scale = picture.bitDepth == 16 ? 257 : 1;
    transparent.red = static_cast<png_uint_16>(picture.transparent.r * scale);
    transparent.green = static_cast<png_uint_16>(picture.transparent.g * scale);
    transparent.blue = static_cast<png_uint_16>(picture.transparent.b * scale);
    png_set_tRNS(png, info, nullptr, 0, &transparent);
  }
  png_write_info(png, info);
  std::vector<std::vector<uint8_t>> rows;
  std::vector<png_bytep> pointers;
  for (int y = 0; y < picture.height; ++y) rows.push_back(Row(picture, y));
  for (auto& row : rows) pointers.push_back(row.data());
  png_write_image(png, pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::vector<Rgba> PatternColours(int width, int height, bool varyAlpha) {
  std::vector<Rgba> colours;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      colours.push_back({static_cast<uint8_t>(x * 37 + y * 11), static_cast<uint8_t>(y * 53 + 7),
                         static_cast<uint8_t>(x * y * 13 + 90),
                         static_cast<uint8_t>(varyAlpha ? (x * 29 + y * 71) % 256 : 255)});
    }
  }
  return colours;
}

std::string EncodeJpegSamples(int width, int height, int components,
                              const std::vector<uint8_t>& samples) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = width;
  info.image_height = height;
  info.input_components = components;
  info.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  for (int y = 0; y < height; ++y) {
    const size_t offset = static_cast<size_t>(y) * width * components;
    JSAMPROW row = const_cast<JSAMPLE*>(samples.data() + offset);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::string out(reinterpret_cast<char*>(buffer), size);
  std::free(buffer);
  return out;
}

std::string PngChunk(const std::string& type, const std::string& data) {
  auto bigEndian = [](uint32_t value) {
    return std::string{static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                       static_cast<char>(value >> 8), static_cast<char>(value)};
  };
  const std::string body = type + data;
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()),
                          static_cast<uInt>(body.size()));
  return bigEndian(static_cast<uint32_t>(data.size())) + body +
         bigEndian(static_cast<uint32_t>(crc));
}
