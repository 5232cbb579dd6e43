#pragma once

#include "draw/image.h"
#include "ui/controls/layer_ui.h"
#include "ui/element_geometry.h"

// A skinned image stretched over the element as a nine-part grid: a state image of frameCount
// frames stacked vertically (normal, hover, pressed), cross-fading between states. The image and
// the controls derived from this one own their images.
class CImageUI : public CLayerUI {
 public:
  CImageUI() : CLayerUI(kLayerImage) {}

  void Draw(IRender* render) override;
  // Draws the current state's frame of image with this control's frame count and insets, the
  // centre always filled. The element stays dirty while a fade runs and when the frame count is
  // below 1.
  virtual void DrawImageFrame(IRender* render, IImage* image);

  CImage image;
  int32_t frameCount = 1;
  Insets insets{};

 protected:
  explicit CImageUI(int32_t type) : CLayerUI(type) {}
};
