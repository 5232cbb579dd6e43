#pragma once

#include "draw/font.h"
#include "support/core/fixed_wstring.h"
#include "ui/controls/layer_ui.h"

// A text label in the element's colour, starting 3 pixels right of the left edge. Without a
// created font it draws with the device's current one.
class CTextUI : public CLayerUI {
 public:
  CTextUI() : CLayerUI(kLayerText) {}

  void Draw(IRender* render) override;

  FixedWString<512> text;
  CFont font;
  uint32_t textFormat = DT_VCENTER | DT_SINGLELINE;
};
