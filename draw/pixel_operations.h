#pragma once

#include <cstdint>

// A rectangle in pixels; right and bottom are exclusive.
struct PixelRect {
  int left;
  int top;
  int right;
  int bottom;
};

// Borrowed 32-bit pixels 0xAARRGGBB, top row first, rows of width pixels.
struct PixelSurface {
  uint32_t* pixels;
  int width;
  int height;
};

// The operations work in place, one pixel at a time, and touch only pixels inside the surface
// whatever rectangle or size they are given. Colours are 0xAARRGGBB with the top byte as the
// opacity a: each of a pixel's red, green and blue becomes (colour x a + pixel x (255 - a)) >> 8,
// so a = 0 changes nothing and a = 255 gives 255/256 of the colour; alpha bytes stay.

// Cuts rect to the surface; false when nothing of it is left.
bool ClipToSurface(const PixelSurface& surface, PixelRect& rect);

// Blends color into the pixels of rect.
void BlendColor(const PixelSurface& surface, PixelRect rect, uint32_t color);

// Blends color into the whole surface (inset 0 or less) or into the surface less a border of
// inset pixels; nothing when twice the inset reaches the width.
void TintPixels(const PixelSurface& surface, uint32_t color, int inset);

// Each pixel's red, green and blue become (red + green + blue) / 3; alpha stays.
void GrayPixels(const PixelSurface& surface);

// Text output leaves alpha 0 in the pixels it writes: every pixel of rect whose alpha is 0
// becomes opaque.
void RepairTextAlpha(const PixelSurface& surface, PixelRect rect);

// Writes a width x height block into the surface from its first pixel on, both walked with the
// block's width (cut to the surface's) as the row length; the height is cut to the surface's.
// With blend each block pixel mixes by its own alpha a, all four channels
// (block x a + pixel x (255 - a)) >> 8; a = 0 keeps the pixel, 255 replaces it.
void CopyPixelBlock(const PixelSurface& surface, const uint32_t* pixels, int width, int height,
                    bool blend);
