#include "ui/controls/text_ui.h"

void CTextUI::Draw(IRender* render) {
  if (render == nullptr) return;
  DrawElementText(render, IndentedRect(), text.Units(), text.Length(), font.GetHandle(),
                  textFormat);
  SetDirty(false);
}
