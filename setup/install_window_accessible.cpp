// The install window to screen readers: its elements as the items of its accessible object,
// named, with their roles and states, and what changes on them announced.
#include "setup/install_element_access.h"
#include "setup/install_window.h"
#include "ui/controls/progress_ui.h"

void CInstallWnd::ListAccessibleElements() {
  accessibleRoles_.clear();
  for (int i = 0; i < kElementRoleCount; ++i) {
    const auto role = static_cast<ElementRole>(i);
    if (Element(role) != nullptr && AccessOf(role, false).exposed) accessibleRoles_.push_back(role);
  }
}

std::vector<AccessibleItem> CInstallWnd::AccessibleItems() {
  std::vector<AccessibleItem> items;
  for (ElementRole role : accessibleRoles_) {
    ILayer* element = Element(role);
    if (element == nullptr) continue;
    const ElementAccess access = AccessOf(role, finishButton_);
    AccessibleItem item;
    item.role = access.role;
    const char16_t* text = TextOf(role);
    if (access.name != nullptr) {
      item.name = access.name;
      // A box of text shows its text as its value.
      if (text != nullptr) item.value = text;
    } else if (text != nullptr) {
      item.name = text;
    }
    if (auto* bar = dynamic_cast<CProgressUI*>(element)) {
      item.value = ProgressValueText(bar->position, bar->range);
    }
    const RECT rect = element->GetRect();
    item.rect = ElementRect{rect.left, rect.top, rect.right, rect.bottom};
    item.visible = element->IsVisible();
    item.checked = access.role == AccessibleRole::kCheckBox && element->IsChecked();
    item.focusable = FocusKindOf(role) != FocusKind::kNone;
    item.readOnly = access.role == AccessibleRole::kText ||
                    access.role == AccessibleRole::kStaticText ||
                    access.role == AccessibleRole::kProgressBar;
    items.push_back(std::move(item));
  }
  return items;
}

int32_t CInstallWnd::FocusedItem() {
  ElementRole focused = ElementRole::kBackground;
  if (!RoleOfKey(GetFocusKey(), &focused) || FocusKindOf(focused) == FocusKind::kNone) return -1;
  for (size_t i = 0; i < accessibleRoles_.size(); ++i) {
    if (accessibleRoles_[i] == focused) return static_cast<int32_t>(i);
  }
  return -1;
}

bool CInstallWnd::FocusItem(int32_t item) {
  if (item < 0 || item >= static_cast<int32_t>(accessibleRoles_.size())) return false;
  const ElementRole role = accessibleRoles_[item];
  ILayer* element = Element(role);
  if (element == nullptr || !element->IsVisible() || FocusKindOf(role) == FocusKind::kNone) {
    return false;
  }
  FocusRole(role);
  return true;
}

bool CInstallWnd::ActivateItem(int32_t item) {
  if (item < 0 || item >= static_cast<int32_t>(accessibleRoles_.size())) return false;
  ILayer* element = Element(accessibleRoles_[item]);
  if (element == nullptr || !element->IsVisible() || element->GetId() <= 0) return false;
  // Posted, as a click would arrive: a screen reader asking for it is not kept waiting while
  // the command asks its own questions.
  return PostMessageW(GetHwnd(), WM_COMMAND, MAKEWPARAM(LOWORD(element->GetId()), 0), 0) != FALSE;
}

void CInstallWnd::AnnounceAccessibleChanges() {
  std::vector<AccessibleItem> items = AccessibleItems();
  AnnounceChanges(GetHwnd(), AccessibleChanges(announced_, items));
  announced_ = std::move(items);
}
