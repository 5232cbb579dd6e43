#pragma once

#include "draw/image_decoding.h"
#include "tests/fuzz/fuzz_check.h"

// What every image decoder promises: a failed decode leaves the image empty, a decode that
// succeeds gives it a size and pixels. Returns whether the image was decoded.
inline bool CheckDecodeOutcome(bool decoded, const DecodedImage& image) {
  if (!decoded) {
    FuzzCheck(image.width == 0 && image.height == 0 && !image.pixels,
              "a failed decode leaves the image empty");
    return false;
  }
  FuzzCheck(image.width > 0 && image.height > 0 && image.pixels != nullptr,
            "a decoded image has pixels");
  return true;
}
