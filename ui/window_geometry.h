#pragma once

#include <cstdint>

#include "ui/element_geometry.h"

// The arithmetic of top-level windows, shared by both builds: the resize grip, size limits, the
// border band and the keys of the window map.

// Where a point of a resizable window's client area starts a resize: the system's hit code
// (HTBOTTOMRIGHT, HTRIGHT, HTBOTTOM; 0 outside every zone) and the numeric identifier of the
// sizing cursor shown there (IDC_SIZENWSE, IDC_SIZEWE, IDC_SIZENS; 0 outside).
struct ResizeGrip {
  int32_t hitCode;
  uint16_t cursorId;
};

// The zones, tested in this order: the 7-pixel corner at the bottom right, the 3-pixel right
// edge above it, the 3-pixel bottom edge left of it. Zones include their left and top edges and
// exclude their right and bottom ones.
ResizeGrip GripAt(const ElementRect& client, int32_t x, int32_t y);

// A window's size limits; -1 means no limit.
struct SizeLimits {
  int32_t minWidth;
  int32_t minHeight;
  int32_t maxWidth;
  int32_t maxHeight;
};

struct WindowSize {
  int32_t width;
  int32_t height;
};

// The proposed size within the limits, each limit (except -1) grown by twice borderWidth: first
// raised to the minimum, then lowered to the maximum, so the maximum wins.
WindowSize LimitSize(WindowSize proposed, const SizeLimits& limits, int32_t borderWidth);

// rect grown (width > 0) or shrunk (width < 0) by width on all four sides.
ElementRect InflateRect(const ElementRect& rect, int32_t width);

// Where a window goes whose content is placed by layout on a screen of screenWidth x
// screenHeight, with a border band of borderWidth around the content.
ElementRect PlaceContentOnScreen(int32_t screenWidth, int32_t screenHeight,
                                 const LayoutRecord& layout, int32_t borderWidth);

// The key the window map gives a window entered without one: the value of its handle plus
// 0x10000000, kept to 32 bits.
int32_t AutomaticWindowKey(uint64_t handleValue);
