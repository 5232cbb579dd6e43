// JPEG skin images, decoded from the payload's bytes.
#include "tests/fuzz/decoded_image_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DecodedImage image;
  if (!CheckDecodeOutcome(DecodeJpeg(data, size, image), image)) return 0;
  const size_t count = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
  const uint8_t* pixel = image.pixels.get();
  for (size_t i = 0; i < count; ++i, pixel += 4) {
    FuzzCheck(pixel[3] == 0xFF, "a JPEG pixel is opaque");
  }
  return 0;
}
