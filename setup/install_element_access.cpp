#include "setup/install_element_access.h"

#include "records/current_language.h"

namespace {

// The run's language is chosen once, before the window is made, so its texts outlive every
// element that names itself with them.
const char16_t* Named(TextKey key) {
  return CurrentLanguage().texts[static_cast<int>(key)].c_str();
}

}  // namespace

FocusKind FocusKindOf(ElementRole role) {
  switch (role) {
    case ElementRole::kCloseButton:
    case ElementRole::kMinimiseButton:
    case ElementRole::kStartButton:
    case ElementRole::kBrowseButton:
      return FocusKind::kButton;
    case ElementRole::kLogo:
    case ElementRole::kProtocolLink:
      return FocusKind::kLink;
    case ElementRole::kAgreeCheck:
    case ElementRole::kAgreeText:
      return FocusKind::kCheckBox;
    case ElementRole::kBackground:
    case ElementRole::kCopyright:
    case ElementRole::kWaitingImage:
    case ElementRole::kFolderBox:
    case ElementRole::kStatusText:
    case ElementRole::kPercentText:
    case ElementRole::kProgressBar:
    case ElementRole::kDetailText:
    case ElementRole::kSlowNetworkShade:
    case ElementRole::kSlowNetworkText:
      break;
  }
  return FocusKind::kNone;
}

ElementRole FocusTargetOf(ElementRole role) {
  return role == ElementRole::kAgreeText ? ElementRole::kAgreeCheck : role;
}

ElementAccess AccessOf(ElementRole role, bool finishPage) {
  using R = AccessibleRole;
  switch (role) {
    case ElementRole::kLogo:
      return {true, R::kLink, Named(TextKey::kWindowHomepage)};
    case ElementRole::kCloseButton:
      return {true, R::kPushButton, Named(TextKey::kWindowClose)};
    case ElementRole::kMinimiseButton:
      return {true, R::kPushButton, Named(TextKey::kWindowMinimise)};
    case ElementRole::kCopyright:
      return {true, R::kGraphic, Named(TextKey::kWindowCopyright)};
    case ElementRole::kWaitingImage:
      return {true, R::kGraphic, Named(TextKey::kWindowInstalling)};
    case ElementRole::kStartButton:
      return {true, R::kPushButton,
              Named(finishPage ? TextKey::kWindowFinish : TextKey::kWindowStart)};
    case ElementRole::kFolderBox:
      return {true, R::kText, Named(TextKey::kWindowFolder)};
    case ElementRole::kBrowseButton:
      return {true, R::kPushButton, Named(TextKey::kWindowBrowse)};
    case ElementRole::kAgreeCheck:
      return {true, R::kCheckBox, Named(TextKey::kWindowAgree)};
    case ElementRole::kProtocolLink:
      return {true, R::kLink, Named(TextKey::kWindowLicence)};
    case ElementRole::kProgressBar:
      return {true, R::kProgressBar, Named(TextKey::kWindowProgress)};
    case ElementRole::kStatusText:
    case ElementRole::kPercentText:
    case ElementRole::kDetailText:
    case ElementRole::kSlowNetworkText:
      return {true, R::kStaticText, nullptr};
    case ElementRole::kBackground:
    case ElementRole::kAgreeText:
    case ElementRole::kSlowNetworkShade:
      break;
  }
  return {false, R::kGraphic, nullptr};
}

std::u16string ProgressValueText(uint32_t position, uint32_t range) {
  const uint64_t percent =
      range == 0 ? 0 : static_cast<uint64_t>(position < range ? position : range) * 100 / range;
  std::u16string text;
  for (char digit : std::to_string(percent)) text += static_cast<char16_t>(digit);
  return text + u"%";
}
