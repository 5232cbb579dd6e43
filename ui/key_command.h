#pragma once

#include <cstdint>

// What a key press does in a window whose elements take the keyboard as standard controls do.

// The virtual keys it knows (the Windows VK_ values).
constexpr int32_t kKeyTab = 0x09;
constexpr int32_t kKeyReturn = 0x0D;
constexpr int32_t kKeyEscape = 0x1B;
constexpr int32_t kKeySpace = 0x20;

// How the element with the focus takes the keyboard.
enum class FocusKind {
  kNone,      // no element, or one that takes no keys
  kButton,    // Space or Enter presses it
  kLink,      // Space or Enter follows it
  kCheckBox,  // Space toggles it; Enter is the window's default button's
};

struct KeyPress {
  int32_t key;   // the virtual key
  bool shift;
  bool alt;      // held with Alt: a system key, the system's own (Alt+F4 reaches the window as
                 // the system's close)
  bool repeat;   // sent again while the key is held
};

enum class KeyCommand {
  kNone,             // not the window's: the key goes on as it would
  kFocusNext,        // Tab
  kFocusPrevious,    // Shift+Tab
  kActivate,         // press, follow or toggle the element with the focus
  kActivateDefault,  // press the window's default button
  kClose,            // Esc: what the window's close button does
};

// The command of a key press with focused taking the focus. Tab goes on repeating while held;
// the other commands happen once a press.
KeyCommand CommandForKey(const KeyPress& press, FocusKind focused);
