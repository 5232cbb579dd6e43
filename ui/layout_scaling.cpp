#include "ui/layout_scaling.h"

#include <algorithm>
#include <cstdint>

#include "draw/dpi_scale.h"

namespace {

constexpr int16_t kNotGiven = -1;

int16_t ScaleLength(int16_t value, int dpi) {
  const int32_t scaled = ScaleToDpi(value, dpi);
  return static_cast<int16_t>(std::clamp<int32_t>(scaled, INT16_MIN, INT16_MAX));
}

// A position or size: -1 means it is not given.
int16_t ScaleGiven(int16_t value, int dpi) {
  return value == kNotGiven ? kNotGiven : ScaleLength(value, dpi);
}

}  // namespace

LayoutRecord ScaleLayout(const LayoutRecord& layout, int dpi) {
  return LayoutRecord{ScaleGiven(layout.left, dpi),  layout.rightAnchor,
                      ScaleGiven(layout.top, dpi),   layout.bottomAnchor,
                      ScaleGiven(layout.width, dpi), ScaleLength(layout.rightMargin, dpi),
                      ScaleGiven(layout.height, dpi), ScaleLength(layout.bottomMargin, dpi)};
}

Insets ScaleInsets(const Insets& insets, int dpi) {
  return Insets{ScaleToDpi(insets.left, dpi), ScaleToDpi(insets.top, dpi),
                ScaleToDpi(insets.right, dpi), ScaleToDpi(insets.bottom, dpi)};
}
