#include "ui/controls/edit_ui.h"

void CEditUI::Draw(IRender* render) {
  if (render == nullptr) return;
  DrawImageFrame(render, &image);
  DrawElementText(render, IndentedRect(), text.Units(), text.Length(), font.GetHandle(),
                  kEditTextFormat);
}
