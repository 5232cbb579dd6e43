#pragma once

#include <cstdint>

#include "ui/controls/image_ui.h"

// A progress bar: the inherited image is the track, stretched over the element; the fill image is
// stretched over the whole width at its own height and revealed from the left up to position of
// range; the thumb sits at its own size on the edge of what is revealed. A range of 0 becomes 1,
// and a position past the range shows the bar full.
class CProgressUI : public CImageUI {
 public:
  // It stores the type code of a button; only the base Draw reads it, and this one replaces it.
  CProgressUI() : CImageUI(kLayerButton) {}

  void Draw(IRender* render) override;

  CImage fillImage;
  CImage thumbImage;
  uint32_t position = 0;
  uint32_t range = 100;
};
