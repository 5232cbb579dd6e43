#include "ui/cursor_kind.h"

namespace {

// The system's own identifiers, which the Windows headers spell as MAKEINTRESOURCE values.
constexpr uint16_t kArrowCursorId = 32512;
constexpr uint16_t kIBeamCursorId = 32513;
constexpr uint16_t kHandCursorId = 32649;

}  // namespace

uint16_t SystemCursorId(int32_t cursorKind) {
  switch (cursorKind) {
    case kCursorKindHand:
      return kHandCursorId;
    case kCursorKindIBeam:
      return kIBeamCursorId;
    default:
      return kArrowCursorId;
  }
}
