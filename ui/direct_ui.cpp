#include "ui/direct_ui.h"

#include "ui/controls/button_ui.h"
#include "ui/controls/check_ui.h"
#include "ui/controls/edit_ui.h"
#include "ui/controls/fill_ui.h"
#include "ui/controls/image_ui.h"
#include "ui/controls/progress_ui.h"
#include "ui/controls/text_ui.h"
#include "ui/window_utilities.h"

namespace {

ILayer* NewControl(int32_t type) {
  switch (type) {
    case kLayerFill:
      return new CFillUI();
    case kLayerText:
      return new CTextUI();
    case kLayerEdit:
      return new CEditUI();
    case kLayerImage:
      return new CImageUI();
    case kLayerButton:
      return new CButtonUI();
    case kLayerCheck:
      return new CCheckUI();
    case kLayerProgress:
      return new CProgressUI();
    default:
      return nullptr;
  }
}

}  // namespace

ILayer* CDirectUI::CreateElement(int32_t type) {
  ILayer* element = NewControl(type);
  if (element == nullptr) return CWindow::CreateElement(type);
  element->SetWindowId(GetId());
  return element;
}

void CDirectUI::OnElementPressed(ILayer* element) {
  // The element with id 0, normally the background, moves the window.
  if (element != nullptr && element->GetId() == 0) {
    BeginWindowDrag(GetHwnd());
    return;
  }
  CWindow::OnElementPressed(element);
}

void CDirectUI::OnElementClicked(ILayer* element) {
  if (element != nullptr && element->GetId() > 0) {
    SendMessageW(GetHwnd(), WM_COMMAND, MAKEWPARAM(LOWORD(element->GetId()), 0),
                 reinterpret_cast<LPARAM>(element));
    return;
  }
  CWindow::OnElementClicked(element);
}

int32_t CDirectUI::CreateAndAddElement(int32_t type) {
  ILayer* element = CreateElement(type);
  if (element == nullptr) return -1;
  const int32_t key = AddElement(element);
  if (key == -1) element->Release();
  return key;
}
