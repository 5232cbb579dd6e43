// JPEG skin images, decoded from the payload's bytes.
#include "draw/image_decoding.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DecodedImage image;
  if (!DecodeJpeg(data, size, image)) {
    FuzzCheck(image.width == 0 && image.height == 0 && !image.pixels,
              "a failed decode leaves the image empty");
    return 0;
  }
  FuzzCheck(image.width > 0 && image.height > 0 && image.pixels != nullptr,
            "a decoded image has pixels");
  const size_t count = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
  const uint8_t* pixel = image.pixels.get();
  for (size_t i = 0; i < count; ++i, pixel += 4) {
    FuzzCheck(pixel[3] == 0xFF, "a JPEG pixel is opaque");
  }
  return 0;
}
