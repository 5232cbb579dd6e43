#include "ui/progress_geometry.h"

#include <algorithm>

namespace {

// The top of a band of height centred in the bar; each half rounds toward zero.
int32_t CentredTop(const ElementRect& bar, int32_t height) {
  return bar.top + ((bar.bottom - bar.top) / 2 - height / 2);
}

}  // namespace

ProgressGeometry LayOutProgress(const ElementRect& bar, int64_t position, int64_t range,
                                int32_t fillHeight, int32_t thumbWidth, int32_t thumbHeight) {
  range = std::clamp<int64_t>(range, 1, UINT32_MAX);
  position = std::clamp<int64_t>(position, 0, range);
  // Both factors stay below 2^32, so the product fits 64 unsigned bits and the quotient the width.
  uint64_t width = static_cast<uint64_t>(std::max<int64_t>(int64_t{bar.right} - bar.left, 0));
  int32_t edge = static_cast<int32_t>(bar.left + static_cast<int64_t>(
                                                     width * static_cast<uint64_t>(position) /
                                                     static_cast<uint64_t>(range)));

  ProgressGeometry geometry{};
  int32_t fillTop = CentredTop(bar, fillHeight);
  geometry.fill = ElementRect{bar.left, fillTop, bar.right, fillTop + fillHeight};
  geometry.revealed = ElementRect{bar.left, bar.top, edge, bar.bottom};
  int32_t thumbLeft = edge - thumbWidth / 2;
  int32_t thumbTop = CentredTop(bar, thumbHeight);
  geometry.thumb = ElementRect{thumbLeft, thumbTop, thumbLeft + thumbWidth, thumbTop + thumbHeight};
  return geometry;
}
