#include "ui/controls/check_ui.h"

void CCheckUI::Draw(IRender* render) {
  DrawImageFrame(render, IsChecked() ? &checkedImage : &image);
}
