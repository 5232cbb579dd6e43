#pragma once

#include "ui/controls/layer_ui.h"

// A rectangle of the element's colour, 0xAARRGGBB with the top byte as the opacity: the default
// colour 0x00FFFFFF draws nothing.
class CFillUI : public CLayerUI {
 public:
  // It stores the type code of a text element; only the base Draw reads it, and this one
  // replaces it.
  CFillUI() : CLayerUI(kLayerText) {}

  void Draw(IRender* render) override;
};
