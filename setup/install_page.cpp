#include "setup/install_page.h"

bool IsShownInView(ElementRole role, const InstallView& view, bool agreed) {
  switch (role) {
    case ElementRole::kWaitingImage:
      return view.waitingVisible;
    case ElementRole::kStartButton:
      return view.finishButtonVisible || (view.firstPageVisible && agreed);
    case ElementRole::kFolderBox:
    case ElementRole::kBrowseButton:
    case ElementRole::kAgreeCheck:
    case ElementRole::kAgreeText:
    case ElementRole::kProtocolLink:
      return view.firstPageVisible;
    case ElementRole::kStatusText:
    case ElementRole::kPercentText:
    case ElementRole::kProgressBar:
    case ElementRole::kDetailText:
      return view.progressVisible;
    case ElementRole::kSlowNetworkShade:
    case ElementRole::kSlowNetworkText:
      return view.progressVisible && view.slowNetworkVisible;
    case ElementRole::kBackground:
    case ElementRole::kLogo:
    case ElementRole::kCloseButton:
    case ElementRole::kMinimiseButton:
    case ElementRole::kCopyright:
      break;
  }
  return true;
}

InstallPage PageOfView(const InstallView& view) {
  if (view.finishButtonVisible) return InstallPage::kFinish;
  return view.firstPageVisible ? InstallPage::kFirst : InstallPage::kProgress;
}
