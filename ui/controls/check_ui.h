#pragma once

#include "ui/controls/image_ui.h"

// A check box: the checked image while checked, the inherited image (unchecked) otherwise, each
// with its own state frames.
class CCheckUI : public CImageUI {
 public:
  CCheckUI() : CImageUI(kLayerCheck) {}

  void Draw(IRender* render) override;

  CImage checkedImage;
};
