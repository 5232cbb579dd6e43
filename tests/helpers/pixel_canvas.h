#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>

#include "draw/image.h"
#include "draw/render.h"

// A cleared (fully transparent) 32-bit target image with the real render device attached, for
// tests that draw elements and read back the pixels.
class PixelCanvas {
 public:
  PixelCanvas(int width, int height);
  PixelCanvas(const PixelCanvas&) = delete;
  PixelCanvas& operator=(const PixelCanvas&) = delete;

  bool Ready() const { return target_.GetBits() != nullptr; }
  IRender* Render() { return &render_; }
  void Clear() { render_.Clear(); }
  // The pixel 0xAARRGGBB at (x, y), after GDI has finished drawing.
  uint32_t At(int x, int y);
  // True when every pixel outside rect is still 0.
  bool UntouchedOutside(const RECT& rect);
  int Width() const { return target_.GetWidth(); }
  int Height() const { return target_.GetHeight(); }

 private:
  CImage target_;
  CRenderGDI render_;
};

// Makes image a column of frames of width x frameHeight, each one opaque colour (0xRRGGBB), the
// first colour on top.
bool MakeFrames(CImage& image, int width, int frameHeight, std::initializer_list<uint32_t> colors);
