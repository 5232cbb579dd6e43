#include "draw/dpi_image.h"

#include <algorithm>

#include "draw/dpi_scale.h"
#include "draw/image_scaling.h"

bool IsDoubleSizeTwin(const DecodedImage& single, const DecodedImage& twin) {
  return twin.pixels &&
         static_cast<int64_t>(twin.width) == 2 * static_cast<int64_t>(single.width) &&
         static_cast<int64_t>(twin.height) == 2 * static_cast<int64_t>(single.height);
}

bool ImageForDpi(const DecodedImage& single, const DecodedImage* twin, int frames, int dpi,
                 DecodedImage& shown, ImageSource* source) {
  shown = DecodedImage();
  if (!single.pixels || single.width <= 0 || frames < 1 || single.height < frames) return false;
  const bool useTwin =
      twin != nullptr && WantsDoubleSizeImages(dpi) && IsDoubleSizeTwin(single, *twin);
  if (source != nullptr) *source = useTwin ? ImageSource::kDouble : ImageSource::kSingle;
  // However low the DPI, an image keeps at least one pixel each way.
  const int width = std::max(1, ScaleToDpi(single.width, dpi));
  const int frameHeight = std::max(1, ScaleToDpi(single.height / frames, dpi));
  return ScaleFrames(useTwin ? *twin : single, frames, width, frameHeight, shown);
}
