#pragma once

#include <cstdint>
#include <string>

#include "setup/install_elements.h"
#include "ui/accessible_content.h"
#include "ui/key_command.h"

// How the install window's elements take the keyboard and what they are to screen readers:
// the window draws every element itself, so this table says what a standard control would.

// The order Tab moves the focus in. Elements not shown (the start button while the agreement
// is unchecked, the first page's elements on the other pages) are passed over.
constexpr ElementRole kInstallTabOrder[] = {
    ElementRole::kAgreeCheck,  ElementRole::kProtocolLink, ElementRole::kBrowseButton,
    ElementRole::kStartButton, ElementRole::kCloseButton,  ElementRole::kMinimiseButton,
};

// The button Enter presses when the focus is on no button: the start button, which is the
// finish button on the finish page. It also takes the focus when either page shows.
constexpr ElementRole kDefaultButton = ElementRole::kStartButton;

// How the element of role takes the keyboard once it has the focus.
FocusKind FocusKindOf(ElementRole role);

// The element that takes the focus when it lands on role: the agreement's text hands it to its
// check box, as a label does.
ElementRole FocusTargetOf(ElementRole role);

// What the element of role is to a screen reader.
struct ElementAccess {
  bool exposed;         // false: decoration, or a label whose control carries its words
  AccessibleRole role;
  const char16_t* name; // null: the element's own text
};

// finishPage: the start button has become the finish button.
ElementAccess AccessOf(ElementRole role, bool finishPage);

// A progress bar's value as it is read out: position of range in whole percent, "0%" for an
// empty range.
std::u16string ProgressValueText(uint32_t position, uint32_t range);
