#include "tests/helpers/pixel_canvas.h"

#include <vector>

PixelCanvas::PixelCanvas(int width, int height) {
  if (target_.Create(width, height, 32, nullptr)) render_.SetTarget(&target_);
}

uint32_t PixelCanvas::At(int x, int y) {
  GdiFlush();
  return reinterpret_cast<const uint32_t*>(target_.GetBits())[y * target_.GetWidth() + x];
}

bool PixelCanvas::UntouchedOutside(const RECT& rect) {
  for (int y = 0; y < Height(); ++y) {
    for (int x = 0; x < Width(); ++x) {
      bool inside = x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
      if (!inside && At(x, y) != 0) return false;
    }
  }
  return true;
}

bool MakeFrames(CImage& image, int width, int frameHeight,
                std::initializer_list<uint32_t> colors) {
  std::vector<uint32_t> pixels;
  for (uint32_t color : colors) pixels.insert(pixels.end(), width * frameHeight, 0xFF000000 | color);
  return image.Create(width, static_cast<int>(pixels.size()) / width, 32, pixels.data());
}
