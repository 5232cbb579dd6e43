#include "draw/pixel_operations.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

bool Usable(const PixelSurface& surface) {
  return surface.pixels != nullptr && surface.width > 0 && surface.height > 0;
}

uint32_t Channel(uint32_t pixel, int shift) { return (pixel >> shift) & 0xFF; }

// Mixes the channels at the given shifts of top over bottom by opacity a.
uint32_t Mix(uint32_t top, uint32_t bottom, uint32_t a, const int* shifts, int count) {
  uint32_t result = bottom;
  for (int i = 0; i < count; ++i) {
    const int shift = shifts[i];
    const uint32_t value = (Channel(top, shift) * a + Channel(bottom, shift) * (255 - a)) >> 8;
    result = (result & ~(0xFFu << shift)) | (value << shift);
  }
  return result;
}

constexpr int kColourShifts[] = {16, 8, 0};
constexpr int kAllShifts[] = {24, 16, 8, 0};

template <typename Change>
void ForEachPixel(const PixelSurface& surface, PixelRect rect, Change change) {
  if (!Usable(surface) || !ClipToSurface(surface, rect)) return;
  for (int y = rect.top; y < rect.bottom; ++y) {
    uint32_t* row = surface.pixels + static_cast<size_t>(y) * surface.width;
    for (int x = rect.left; x < rect.right; ++x) row[x] = change(row[x]);
  }
}

PixelRect Whole(const PixelSurface& surface) { return {0, 0, surface.width, surface.height}; }

}  // namespace

bool ClipToSurface(const PixelSurface& surface, PixelRect& rect) {
  rect.left = std::max(rect.left, 0);
  rect.top = std::max(rect.top, 0);
  rect.right = std::min(rect.right, surface.width);
  rect.bottom = std::min(rect.bottom, surface.height);
  return rect.left < rect.right && rect.top < rect.bottom;
}

void BlendColor(const PixelSurface& surface, PixelRect rect, uint32_t color) {
  const uint32_t a = color >> 24;
  if (a == 0) return;
  ForEachPixel(surface, rect,
               [&](uint32_t pixel) { return Mix(color, pixel, a, kColourShifts, 3); });
}

void TintPixels(const PixelSurface& surface, uint32_t color, int inset) {
  if (inset <= 0) {
    BlendColor(surface, Whole(surface), color);
  } else if (2 * static_cast<int64_t>(inset) < surface.width) {
    BlendColor(surface, {inset, inset, surface.width - inset, surface.height - inset}, color);
  }
}

void GrayPixels(const PixelSurface& surface) {
  ForEachPixel(surface, Whole(surface), [](uint32_t pixel) {
    const uint32_t gray = (Channel(pixel, 16) + Channel(pixel, 8) + Channel(pixel, 0)) / 3;
    return (pixel & 0xFF000000u) | gray << 16 | gray << 8 | gray;
  });
}

void RepairTextAlpha(const PixelSurface& surface, PixelRect rect) {
  ForEachPixel(surface, rect, [](uint32_t pixel) {
    return (pixel & 0xFF000000u) == 0 ? pixel | 0xFF000000u : pixel;
  });
}

void CopyPixelBlock(const PixelSurface& surface, const uint32_t* pixels, int width, int height,
                    bool blend) {
  if (!Usable(surface) || pixels == nullptr) return;
  width = std::min(width, surface.width);
  height = std::min(height, surface.height);
  if (width <= 0 || height <= 0) return;
  const size_t count = static_cast<size_t>(width) * height;
  if (!blend) {
    std::memcpy(surface.pixels, pixels, count * sizeof(uint32_t));
    return;
  }
  for (size_t i = 0; i < count; ++i) {
    const uint32_t a = pixels[i] >> 24;
    if (a == 255) {
      surface.pixels[i] = pixels[i];
    } else if (a != 0) {
      surface.pixels[i] = Mix(pixels[i], surface.pixels[i], a, kAllShifts, 4);
    }
  }
}
