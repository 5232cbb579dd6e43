#pragma once

#include <cstdint>

#include "draw/dpi_scale.h"
#include "ui/controls/layer_ui.h"

// The ring around the element that has the keyboard focus (focus_ring_geometry.h), in the
// theme's two colours, made opaque so that the ring shows whatever the theme's opacity. The
// window adds it after its other elements, so that it is drawn over them; the mouse passes
// through it. Around no element, or a hidden one, it draws nothing.
class CFocusRingUI : public CLayerUI {
 public:
  CFocusRingUI() : CLayerUI(kLayerFill) {}

  // The key of the element to ring, -1 for none.
  void SetTarget(int32_t key);
  int32_t Target() const { return target_; }
  // outer is the ring's colour (the theme's fore colour), inner the line that parts it from the
  // element (the back colour); both 0xAARRGGBB.
  void SetColors(uint32_t outer, uint32_t inner);
  void SetDpi(int dpi);

  bool HitTest(int32_t x, int32_t y) override;
  void Draw(IRender* render) override;

 private:
  int32_t target_ = -1;
  uint32_t outer_ = 0xFF000000;
  uint32_t inner_ = 0xFFFFFFFF;
  int dpi_ = kDefaultDpi;
};
