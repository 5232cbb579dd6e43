#pragma once

#include "draw/image_decoding.h"

// Which picture a skin image shows at a monitor's DPI, and at what size.

// Where ImageForDpi took the picture from.
enum class ImageSource {
  kSingle,  // the standard image, as it is (96 DPI) or resampled
  kDouble,  // its larger twin, as it is (192 DPI) or resampled
};

// shown becomes the skin image single (of frames equal frames stacked from the top, each
// single.height / frames high) as it is shown at dpi: each frame single.width x frame height
// scaled to dpi, rounded to whole pixels. The source is twin, when one is given, dpi asks for
// larger images and twin is exactly twice single's size; otherwise single. A source already of
// that size is copied unchanged, any other is resampled frame by frame (ScaleFrames). False
// (shown empty) for an empty single or frames below 1 or above its height.
bool ImageForDpi(const DecodedImage& single, const DecodedImage* twin, int frames, int dpi,
                 DecodedImage& shown, ImageSource* source = nullptr);

// Whether twin is exactly twice single's width and height.
bool IsDoubleSizeTwin(const DecodedImage& single, const DecodedImage& twin);
