#include "ui/controls/button_ui.h"

void CButtonUI::Draw(IRender* render) {
  if (render == nullptr) return;
  DrawImageFrame(render, &image);
  DrawElementText(render, GetRect(), text.Units(), text.Length(), font.GetHandle(), textFormat);
}
