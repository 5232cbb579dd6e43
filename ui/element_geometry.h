#pragma once

#include <cstdint>

// Geometry of elements in window client coordinates, shared by both builds: the Windows layer
// keeps rectangles as RECT (the same four signed 32-bit values) and converts at its edge.

// Left, top, right, bottom; right and bottom exclusive.
struct ElementRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

// Margins of a nine-part grid: the borders drawn unscaled when an image is stretched.
struct Insets {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

// Where an element goes inside its container (see AnchorLayout). -1 means "not given" for the
// positions, anchors and sizes.
struct LayoutRecord {
  int16_t left;
  int16_t rightAnchor;
  int16_t top;
  int16_t bottomAnchor;
  int16_t width;
  int16_t rightMargin;
  int16_t height;
  int16_t bottomMargin;
};

// The record from the four 32-bit words that layout tables keep: word 0 holds left (low half) and
// the right anchor (high half), word 1 top and the bottom anchor, word 2 width and the right
// margin, word 3 height and the bottom margin; so a word of -1 leaves both of its values unset.
LayoutRecord LayoutFromWords(const int32_t words[4]);

// Places a layout record inside a container. A size of -1 is half the container's. Horizontally:
// no left and no right anchor centres; no left with a right anchor aligns the right edge the right
// margin inside the container's (on it for a negative margin); a left with width 0 and a margin of
// 0 or more stretches to the margin; otherwise left and width stand. Vertically the same, except
// that a bottom-anchored element always takes the bottom margin, also a negative one.
ElementRect AnchorLayout(const ElementRect& container, const LayoutRecord& layout);

// True when left <= x < right and top <= y < bottom: the edges right and bottom are outside, so an
// element without width or height is never hit.
bool RectContains(const ElementRect& rect, int32_t x, int32_t y);

// Insets that fit both a source of sourceWidth x sourceHeight and a destination of destWidth x
// destHeight: negative insets become 0, and a pair (left and right, top and bottom) wider than
// either side shrinks in proportion, so no corner or edge reaches past the source or the
// destination.
Insets FitInsets(const Insets& insets, int32_t sourceWidth, int32_t sourceHeight,
                 int32_t destWidth, int32_t destHeight);
