#pragma once

#include "ui/window.h"

// The window that hosts the drawn controls: it makes them by type code (0 fill, 1 text, 2 edit,
// 3 image, 4 button, 5 check box, 6 progress bar), and turns element notifications into window
// actions: pressing an element with id 0 drags the window, clicking one with a positive id sends
// WM_COMMAND with the id (and the element as l) to the window.
class CDirectUI : public CWindow {
 public:
  CDirectUI() = default;

  ILayer* CreateElement(int32_t type) override;
  void OnElementPressed(ILayer* element) override;
  void OnElementClicked(ILayer* element) override;

  // CreateElement, then AddElement; the key, or -1 (nothing kept) when either failed.
  virtual int32_t CreateAndAddElement(int32_t type);
};
