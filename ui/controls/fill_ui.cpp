#include "ui/controls/fill_ui.h"

#include "draw/render.h"

void CFillUI::Draw(IRender* render) {
  if (render == nullptr) return;
  render->FillRect(GetRect(), GetColor());
  SetDirty(false);
}
