#include "ui/controls/progress_ui.h"

void CProgressUI::Draw(IRender* render) {
  if (render == nullptr) return;
  if (range == 0) range = 1;
  DrawProgressBar(render, &image, &fillImage, &thumbImage, position, range, insets);
  SetDirty(false);
}
