#pragma once

#include <cstdint>
#include <vector>

// The keyboard's way through a window's elements: Tab goes to the next element of the window's
// tab order, Shift+Tab to the previous one, each passing over the elements that cannot take the
// focus now (hidden ones) and going round at either end.

// One element of a tab order.
struct FocusStop {
  int32_t key;     // the element's key
  bool available;  // it can take the focus now
};

// The key Tab (or, backwards, Shift+Tab) moves the focus to from the element current along
// stops; from an element that is not among them (or none, -1), forwards starts at the first and
// backwards at the last. current itself when it is the only available one; -1 when none is.
int32_t NextFocusKey(const std::vector<FocusStop>& stops, int32_t current, bool backwards);
