// PNG skin images, decoded from the payload's bytes.
#include "tests/fuzz/decoded_image_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DecodedImage image;
  if (!CheckDecodeOutcome(DecodePng(data, size, image), image)) return 0;
  const size_t count = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
  const uint8_t* pixel = image.pixels.get();
  for (size_t i = 0; i < count; ++i, pixel += 4) {
    FuzzCheck(pixel[0] <= pixel[3] && pixel[1] <= pixel[3] && pixel[2] <= pixel[3],
              "colour is premultiplied by alpha");
  }
  DecodedImage again;
  FuzzCheck(DecodeImage(data, size, again) && again.width == image.width &&
                again.height == image.height,
            "the decoder chosen by signature decodes the same image");
  return 0;
}
