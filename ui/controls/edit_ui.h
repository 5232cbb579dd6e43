#pragma once

#include "draw/font.h"
#include "support/core/fixed_wstring.h"
#include "ui/controls/image_ui.h"

// A read-only text box: its state image, then its text on one line, centred vertically, from 3
// pixels right of the left edge.
class CEditUI : public CImageUI {
 public:
  CEditUI() : CImageUI(kLayerEdit) {}

  void Draw(IRender* render) override;

  FixedWString<512> text;
  CFont font;
};
