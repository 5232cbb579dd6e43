#include "ui/controls/image_ui.h"

void CImageUI::Draw(IRender* render) { DrawImageFrame(render, &image); }

void CImageUI::DrawImageFrame(IRender* render, IImage* image) {
  DrawStateFrames(render, image, frameCount, insets);
}
