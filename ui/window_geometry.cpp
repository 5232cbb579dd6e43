#include "ui/window_geometry.h"

namespace {

constexpr int32_t kCornerSize = 7;
constexpr int32_t kEdgeSize = 3;

// The system's hit codes and cursor identifiers, which the portable build has no header for.
constexpr int32_t kHitRight = 11;
constexpr int32_t kHitBottom = 15;
constexpr int32_t kHitBottomRight = 17;
constexpr uint16_t kCursorSizeNwse = 32642;
constexpr uint16_t kCursorSizeWe = 32644;
constexpr uint16_t kCursorSizeNs = 32645;

constexpr uint32_t kAutomaticKeyBase = 0x10000000;

int32_t Limited(int32_t value, int32_t minimum, int32_t maximum, int32_t growth) {
  if (minimum != -1 && value < minimum + growth) value = minimum + growth;
  if (maximum != -1 && value > maximum + growth) value = maximum + growth;
  return value;
}

}  // namespace

ResizeGrip GripAt(const ElementRect& client, int32_t x, int32_t y) {
  const int32_t l = client.left, t = client.top, r = client.right, b = client.bottom;
  if (RectContains(ElementRect{r - kCornerSize, b - kCornerSize, r, b}, x, y)) {
    return ResizeGrip{kHitBottomRight, kCursorSizeNwse};
  }
  if (RectContains(ElementRect{r - kEdgeSize, t, r, b - kCornerSize}, x, y)) {
    return ResizeGrip{kHitRight, kCursorSizeWe};
  }
  if (RectContains(ElementRect{l, b - kEdgeSize, r - kCornerSize, b}, x, y)) {
    return ResizeGrip{kHitBottom, kCursorSizeNs};
  }
  return ResizeGrip{0, 0};
}

WindowSize LimitSize(WindowSize proposed, const SizeLimits& limits, int32_t borderWidth) {
  const int32_t growth = 2 * borderWidth;
  return WindowSize{Limited(proposed.width, limits.minWidth, limits.maxWidth, growth),
                    Limited(proposed.height, limits.minHeight, limits.maxHeight, growth)};
}

ElementRect InflateRect(const ElementRect& rect, int32_t width) {
  return ElementRect{rect.left - width, rect.top - width, rect.right + width, rect.bottom + width};
}

ElementRect PlaceContentOnScreen(int32_t screenWidth, int32_t screenHeight,
                                 const LayoutRecord& layout, int32_t borderWidth) {
  ElementRect content = AnchorLayout(ElementRect{0, 0, screenWidth, screenHeight}, layout);
  return InflateRect(content, borderWidth);
}

int32_t AutomaticWindowKey(uint64_t handleValue) {
  return static_cast<int32_t>(static_cast<uint32_t>(handleValue) + kAutomaticKeyBase);
}
