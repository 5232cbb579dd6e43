#pragma once

#include "draw/font.h"
#include "support/core/fixed_wstring.h"
#include "ui/controls/image_ui.h"

// A push button: its state image, then its text over the whole element, centred on one line.
class CButtonUI : public CImageUI {
 public:
  CButtonUI() : CImageUI(kLayerButton) {}

  void Draw(IRender* render) override;

  FixedWString<512> text;
  CFont font;
  uint32_t textFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
};
