#pragma once

#include <cstdint>

#include "draw/font.h"
#include "support/core/fixed_wstring.h"
#include "ui/controls/layer_ui.h"
#include "ui/text_fitting.h"

// A text label in the element's colour, starting 3 pixels right of the left edge. Without a
// created font it draws with the device's current one. A text too long for the element is
// fitted to it (FitText): a smaller font, more lines, or an ending "…"; one that fits is drawn
// exactly as the format says.
class CTextUI : public CLayerUI {
 public:
  CTextUI() : CLayerUI(kLayerText) {}

  void Draw(IRender* render) override;

  FixedWString<512> text;
  CFont font;
  uint32_t textFormat = DT_VCENTER | DT_SINGLELINE;
  // The smallest height in pixels the font shrinks to for a long text; 0 never shrinks.
  int32_t minimumFontHeight = 0;

 private:
  // The font at height pixels: the element's own, or a copy of it made at that height.
  HFONT FontAt(int32_t height);
  // The lines of fitted, each in a band of the box one font height high, the bands placed in
  // the box as the format places a single line.
  void DrawLines(IRender* render, const RECT& box, const FittedText& fitted);

  CFont fittedFont_;  // the element's font at the height last fitted to, when smaller
};
