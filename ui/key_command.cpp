#include "ui/key_command.h"

KeyCommand CommandForKey(const KeyPress& press, FocusKind focused) {
  if (press.alt) return KeyCommand::kNone;
  if (press.key == kKeyTab) {
    return press.shift ? KeyCommand::kFocusPrevious : KeyCommand::kFocusNext;
  }
  if (press.repeat) return KeyCommand::kNone;
  switch (press.key) {
    case kKeyEscape:
      return KeyCommand::kClose;
    case kKeySpace:
      return focused == FocusKind::kNone ? KeyCommand::kNone : KeyCommand::kActivate;
    case kKeyReturn:
      return focused == FocusKind::kButton || focused == FocusKind::kLink
                 ? KeyCommand::kActivate
                 : KeyCommand::kActivateDefault;
    default:
      return KeyCommand::kNone;
  }
}
