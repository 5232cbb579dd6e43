#pragma once

#include <cstdint>

#include "ui/element_geometry.h"

// Where the focus ring goes around the element with the keyboard focus: two bands just outside
// the element, a thin inner one in the theme's back colour that parts the ring from the element,
// and a wider outer one in its fore colour, so the ring shows on light and dark skins alike.
// Widths are in 96-DPI pixels and scale with the DPI.

constexpr int32_t kFocusRingInnerWidth = 1;
constexpr int32_t kFocusRingOuterWidth = 2;

// One band of the ring: the four strips between around grown by from and grown by to, each cut
// to clip; strips left empty by the cut have no width or height.
struct RingBand {
  ElementRect strips[4];  // top, bottom, left, right
};

// The band between from and to pixels outside around (from < to).
RingBand RingBandAround(const ElementRect& around, int32_t from, int32_t to,
                        const ElementRect& clip);

struct FocusRing {
  RingBand inner;  // the back colour
  RingBand outer;  // the fore colour
};

// The ring around the element at dpi, cut to the window's content.
FocusRing FocusRingAround(const ElementRect& element, int dpi, const ElementRect& content);

// Whether rect has no pixel.
inline bool IsEmptyRect(const ElementRect& rect) {
  return rect.right <= rect.left || rect.bottom <= rect.top;
}
