#pragma once

#include <cstdint>

// The cursor an element shows while the mouse is over it, by its cursor kind: 1 the hand, 2 the
// I-beam, any other value the arrow. The result is the numeric identifier of the shared system
// cursor (IDC_HAND, IDC_IBEAM, IDC_ARROW), for LoadCursorW with no module.
constexpr int32_t kCursorKindArrow = 0;
constexpr int32_t kCursorKindHand = 1;
constexpr int32_t kCursorKindIBeam = 2;

uint16_t SystemCursorId(int32_t cursorKind);
