#include "draw/image_decoding.h"

ImageFormat DetectImageFormat(const uint8_t* data, size_t size) {
  if (data == nullptr || size < 4) return ImageFormat::kUnknown;
  if (data[0] == 0x89 && data[1] == 'P' && data[2] == 'N' && data[3] == 'G') {
    return ImageFormat::kPng;
  }
  if (data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) return ImageFormat::kJpeg;
  return ImageFormat::kUnknown;
}

bool DecodeImage(const uint8_t* data, size_t size, DecodedImage& image) {
  switch (DetectImageFormat(data, size)) {
    case ImageFormat::kPng:
      return DecodePng(data, size, image);
    case ImageFormat::kJpeg:
      return DecodeJpeg(data, size, image);
    case ImageFormat::kUnknown:
      break;
  }
  image = DecodedImage();
  return false;
}
