#include "ui/focus_ring_geometry.h"

#include <algorithm>

#include "draw/dpi_scale.h"
#include "ui/window_geometry.h"

namespace {

ElementRect Intersect(const ElementRect& a, const ElementRect& b) {
  ElementRect cut{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                  std::min(a.bottom, b.bottom)};
  if (IsEmptyRect(cut)) return ElementRect{0, 0, 0, 0};
  return cut;
}

}  // namespace

RingBand RingBandAround(const ElementRect& around, int32_t from, int32_t to,
                        const ElementRect& clip) {
  const ElementRect outside = InflateRect(around, to);
  const ElementRect inside = InflateRect(around, from);
  RingBand band{};
  band.strips[0] = Intersect({outside.left, outside.top, outside.right, inside.top}, clip);
  band.strips[1] = Intersect({outside.left, inside.bottom, outside.right, outside.bottom}, clip);
  band.strips[2] = Intersect({outside.left, inside.top, inside.left, inside.bottom}, clip);
  band.strips[3] = Intersect({inside.right, inside.top, outside.right, inside.bottom}, clip);
  return band;
}

FocusRing FocusRingAround(const ElementRect& element, int dpi, const ElementRect& content) {
  const int32_t inner = std::max(1, ScaleToDpi(kFocusRingInnerWidth, dpi));
  const int32_t outer = inner + std::max(1, ScaleToDpi(kFocusRingOuterWidth, dpi));
  return FocusRing{RingBandAround(element, 0, inner, content),
                   RingBandAround(element, inner, outer, content)};
}
