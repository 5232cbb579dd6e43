// The install window and the keyboard: Tab and Shift+Tab move the focus through the tab order,
// Space and Enter press what has it, Enter alone the default button, Esc the close button (as
// Alt+F4 does, through the system's close); the element with the focus shows the focus ring.
#include <memory>

#include "setup/install_element_access.h"
#include "setup/install_window.h"
#include "ui/controls/focus_ring_ui.h"
#include "ui/focus_order.h"
#include "ui/key_command.h"

void CInstallWnd::SetUpFocus() {
  auto ring = std::make_unique<CFocusRingUI>();
  ring->SetColors(theme_.GetForeColor(), theme_.GetBackColor());
  ring->SetDpi(dpi_);
  ringKey_ = AddElement(ring.get());
  // The window owns it once it is in.
  if (ringKey_ != -1) ring.release();
  FocusRole(kDefaultButton);
  announced_ = AccessibleItems();
}

bool CInstallWnd::RoleOfKey(int32_t key, ElementRole* role) const {
  if (key < 0) return false;
  for (int i = 0; i < kElementRoleCount; ++i) {
    if (keys_[i] == key) {
      *role = static_cast<ElementRole>(i);
      return true;
    }
  }
  return false;
}

bool CInstallWnd::OnKey(WPARAM key, LPARAM flags) {
  const WORD keyFlags = HIWORD(flags);
  const KeyPress press{static_cast<int32_t>(key), GetKeyState(VK_SHIFT) < 0,
                       (keyFlags & KF_ALTDOWN) != 0, (keyFlags & KF_REPEAT) != 0};
  ElementRole focused = ElementRole::kBackground;
  const bool onElement = RoleOfKey(GetFocusKey(), &focused);
  const KeyCommand command =
      CommandForKey(press, onElement ? FocusKindOf(focused) : FocusKind::kNone);
  switch (command) {
    case KeyCommand::kNone:
      return false;
    case KeyCommand::kFocusNext:
    case KeyCommand::kFocusPrevious: {
      std::vector<FocusStop> stops;
      for (ElementRole role : kInstallTabOrder) {
        if (ILayer* element = Element(role)) {
          stops.push_back({keys_[static_cast<int>(role)], element->IsVisible()});
        }
      }
      const int32_t next =
          NextFocusKey(stops, GetFocusKey(), command == KeyCommand::kFocusPrevious);
      if (next != -1) FocusKey(next);
      return true;
    }
    case KeyCommand::kActivate:
      if (ILayer* element = FindElement(GetFocusKey());
          element != nullptr && element->IsVisible()) {
        OnElementClicked(element);
      }
      return true;
    case KeyCommand::kActivateDefault:
      if (ILayer* button = Element(kDefaultButton); button != nullptr && button->IsVisible()) {
        OnElementClicked(button);
      }
      return true;
    case KeyCommand::kClose:
      OnMenuCommand(kCloseCommand);
      return true;
  }
  return false;
}

void CInstallWnd::FocusRole(ElementRole role) { FocusKey(keys_[static_cast<int>(role)]); }

void CInstallWnd::FocusKey(int32_t key) {
  ElementRole role = ElementRole::kBackground;
  const bool takesKeys = RoleOfKey(key, &role) && FocusKindOf(role) != FocusKind::kNone;
  MoveFocus(key);
  if (auto* ring = dynamic_cast<CFocusRingUI*>(FindElement(ringKey_))) {
    ring->SetTarget(takesKeys ? key : -1);
  }
  if (key != announcedFocusKey_) {
    announcedFocusKey_ = key;
    AnnounceFocus(GetHwnd(), FocusedItem());
  }
}

void CInstallWnd::FollowFocus() {
  ElementRole role = ElementRole::kBackground;
  const int32_t key = GetFocusKey();
  if (!RoleOfKey(key, &role)) {
    FocusKey(-1);
    return;
  }
  // Looked at again, also when the press left the key as it was: the ring shows it either way.
  const int32_t target = keys_[static_cast<int>(FocusTargetOf(role))];
  FocusKey(target != -1 ? target : key);
}

void CInstallWnd::FollowView(const InstallView& view) {
  const InstallPage page = PageOfView(view);
  if (page != shownPage_) {
    shownPage_ = page;
    FocusKey(page == InstallPage::kProgress ? -1 : keys_[static_cast<int>(kDefaultButton)]);
  }
  ILayer* focused = FindElement(GetFocusKey());
  if (focused != nullptr && !focused->IsVisible()) FocusKey(-1);
  AnnounceAccessibleChanges();
}
