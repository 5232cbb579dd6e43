#include "setup/install_element_access.h"

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
      return {true, R::kLink, u"官方网站"};
    case ElementRole::kCloseButton:
      return {true, R::kPushButton, u"关闭"};
    case ElementRole::kMinimiseButton:
      return {true, R::kPushButton, u"最小化"};
    case ElementRole::kCopyright:
      return {true, R::kGraphic, u"版权信息"};
    case ElementRole::kWaitingImage:
      return {true, R::kGraphic, u"正在安装"};
    case ElementRole::kStartButton:
      return {true, R::kPushButton, finishPage ? u"完成" : u"开始安装"};
    case ElementRole::kFolderBox:
      return {true, R::kText, u"安装目录"};
    case ElementRole::kBrowseButton:
      return {true, R::kPushButton, u"浏览..."};
    case ElementRole::kAgreeCheck:
      return {true, R::kCheckBox, u"我已阅读并同意用户许可协议"};
    case ElementRole::kProtocolLink:
      return {true, R::kLink, u"用户许可协议"};
    case ElementRole::kProgressBar:
      return {true, R::kProgressBar, u"安装进度"};
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
