#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/element_geometry.h"

// What a window of drawn elements is to assistive technology (screen readers): no control of
// the system stands behind its elements, so the window itself says what each one is. Its
// accessible object (element_accessible.h) asks the window for its items; item i is the object's
// child i + 1 and keeps that number for the window's life.

enum class AccessibleRole {
  kPushButton,
  kCheckBox,
  kLink,
  kProgressBar,
  kStaticText,
  kText,     // a box showing text, such as a folder
  kGraphic,  // a picture that does nothing
};

struct AccessibleItem {
  AccessibleRole role = AccessibleRole::kStaticText;
  std::u16string name;
  std::u16string value;     // a progress bar's percentage, a text box's text; empty for none
  ElementRect rect{};       // in client coordinates
  bool visible = false;
  bool checked = false;     // a check box's state
  bool focusable = false;   // the keyboard's Tab reaches it
  bool readOnly = false;
};

// The window's side: a fresh picture of its items on every question, answered on the window's
// thread.
class IAccessibleContent {
 public:
  virtual std::vector<AccessibleItem> AccessibleItems() = 0;
  // The item with the keyboard focus, or -1.
  virtual int32_t FocusedItem() = 0;
  // Gives item the keyboard focus; false when it cannot take it.
  virtual bool FocusItem(int32_t item) = 0;
  // Does what a click on item does; false when it has nothing to do.
  virtual bool ActivateItem(int32_t item) = 0;

 protected:
  virtual ~IAccessibleContent() = default;
};

// What activating an item does, as screen readers say it; empty for items that do nothing.
std::u16string DefaultActionOf(const AccessibleItem& item);

// The changes between two pictures of one window's items, to be announced.
enum class AccessibleChange {
  kShown,
  kHidden,
  kNameChanged,
  kValueChanged,
  kStateChanged,  // checked or unchecked
};

struct AccessibleEvent {
  AccessibleChange change;
  int32_t item;
};

// Items that appeared or went, and, for items visible in both, what changed on them, in item
// order. An item that appears is announced once, as shown; hidden items change unheard.
std::vector<AccessibleEvent> AccessibleChanges(const std::vector<AccessibleItem>& before,
                                               const std::vector<AccessibleItem>& after);
