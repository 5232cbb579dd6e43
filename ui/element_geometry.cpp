#include "ui/element_geometry.h"

#include <algorithm>

namespace {

// One axis of the anchor layout: the container spans [low, high); start and anchor are left and
// right anchor (or top and bottom anchor). A negative margin keeps the end on the container's edge
// only when clampNegativeMargin is set.
void PlaceAxis(int32_t low, int32_t high, int16_t start, int16_t anchor, int16_t size,
               int16_t margin, bool clampNegativeMargin, int32_t* outLow, int32_t* outHigh) {
  int16_t extent = static_cast<int16_t>(high - low);
  int32_t length = size == -1 ? (extent >> 1) : size;
  int32_t from = low + start;
  int32_t to = from + length;
  if (start == -1 && anchor == -1) {
    from = low + ((extent - length) >> 1);
    to = from + length;
  } else if (start == -1) {
    to = margin < 0 && clampNegativeMargin ? high : high - margin;
    from = to - length;
  } else if (size == 0 && margin >= 0) {
    to = high - margin;
  }
  *outLow = from;
  *outHigh = to;
}

// Splits limit between the two insets of one axis in proportion to them, when they exceed it.
void FitPair(int32_t* first, int32_t* second, int32_t limit) {
  *first = std::max(*first, 0);
  *second = std::max(*second, 0);
  limit = std::max(limit, 0);
  int64_t sum = static_cast<int64_t>(*first) + *second;
  if (sum <= limit) return;
  *first = static_cast<int32_t>(static_cast<int64_t>(*first) * limit / sum);
  *second = limit - *first;
}

}  // namespace

LayoutRecord LayoutFromWords(const int32_t words[4]) {
  auto low = [](int32_t word) { return static_cast<int16_t>(word & 0xFFFF); };
  auto high = [](int32_t word) { return static_cast<int16_t>((word >> 16) & 0xFFFF); };
  return LayoutRecord{low(words[0]), high(words[0]), low(words[1]), high(words[1]),
                      low(words[2]), high(words[2]), low(words[3]), high(words[3])};
}

ElementRect AnchorLayout(const ElementRect& container, const LayoutRecord& layout) {
  ElementRect placed{};
  PlaceAxis(container.left, container.right, layout.left, layout.rightAnchor, layout.width,
            layout.rightMargin, true, &placed.left, &placed.right);
  PlaceAxis(container.top, container.bottom, layout.top, layout.bottomAnchor, layout.height,
            layout.bottomMargin, false, &placed.top, &placed.bottom);
  return placed;
}

bool RectContains(const ElementRect& rect, int32_t x, int32_t y) {
  return rect.left <= x && x < rect.right && rect.top <= y && y < rect.bottom;
}

Insets FitInsets(const Insets& insets, int32_t sourceWidth, int32_t sourceHeight,
                 int32_t destWidth, int32_t destHeight) {
  Insets fitted = insets;
  FitPair(&fitted.left, &fitted.right, std::min(sourceWidth, destWidth));
  FitPair(&fitted.top, &fitted.bottom, std::min(sourceHeight, destHeight));
  return fitted;
}
