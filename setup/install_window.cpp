#include "setup/install_window.h"

#include <string_view>

#include "draw/image_decoding.h"
#include "draw/language_twin_name.h"
#include "records/current_language.h"
#include "setup/install_page.h"
#include "startup/command_line.h"
#include "startup/homepage_opener.h"
#include "startup/install_package.h"
#include "support/core/wide_text.h"
#include "support/files/xdata.h"
#include "support/system/user_question.h"
#include "ui/controls/edit_ui.h"
#include "ui/controls/image_ui.h"
#include "ui/controls/progress_ui.h"
#include "ui/controls/text_ui.h"
#include "ui/file_dialogs.h"
#include "ui/window_dpi.h"
#include "ui/window_globals.h"

namespace {

// Posted by the flow's observer when the view changed; the window then takes the view.
constexpr UINT kViewChangedMessage = WM_APP + 1;
// The view is shown at most this often (10 frames a second, smooth enough for a progress bar): a
// frame recomposes and delivers the whole window, some 13 ms of the window's thread and the
// display's under Wine, taken from the install on a machine of few cores.
constexpr DWORD kViewIntervalMs = 100;
// Brings the view when the interval is over; the framework's blink timer is 10001.
constexpr UINT_PTR kViewTimerId = 4200;

constexpr int kIconId = 1;

constexpr uint32_t kThemeForeColor = 0xFF808080;
constexpr uint32_t kThemeBackColor = 0xFFFFFFFF;
constexpr uint32_t kThemeTextColor = 0xFF000000;

// The stub's own skin: resources of type "image" named after the files.
bool DecodeImageResource(HINSTANCE module, const char16_t* name, DecodedImage& image) {
  HRSRC found = FindResourceW(module, AsWide(name), L"IMAGE");
  HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  return bytes != nullptr &&
         DecodeImage(static_cast<const uint8_t*>(bytes), SizeofResource(module, found), image);
}

}  // namespace

void CInstallWnd::FlowObserver::OnViewChanged() {
  // One message stands for every change until the window has taken the view: a worker that
  // reports faster than the window paints never floods the queue.
  if (viewPosted_.exchange(true)) return;
  HWND handle = handle_;
  if (handle == nullptr || !PostMessageW(handle, kViewChangedMessage, 0, 0)) viewPosted_ = false;
}

void CInstallWnd::FlowObserver::PostCommand(int id) {
  HWND handle = handle_;
  if (handle != nullptr) PostMessageW(handle, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void CInstallWnd::FlowObserver::Close(int exitCode) { window_->OnFlowClosed(exitCode); }

CInstallWnd::CInstallWnd(CInstallPackage& package, const RunSwitches& switches)
    : package_(package),
      silent_(switches.Unattended()),
      cancelable_(!switches.Has(kSwitchNoCancel)),
      exitCode_(silent_ ? kExitNotStarted : kExitInstalled),
      flow_(&observer_, edge_, package.Product(), package.Payload(), silent_,
            package.ClientParts()) {
  folder_.Assign(switches.folder.c_str());
  edge_.SetDesktopShortcut(!switches.Has(kSwitchNoIcons));
  theme_.SetForeColor(kThemeForeColor);
  theme_.SetBackColor(kThemeBackColor);
  theme_.SetTextColor(kThemeTextColor);
  for (int32_t& key : keys_) key = -1;
  edge_.SetListKey(package.VendorKey());
}

CInstallWnd::~CInstallWnd() {
  // The window and its elements go before the icon they show and the flow they draw.
  Destroy();
  flow_.Cancel();
  if (icon_ != nullptr) DestroyIcon(icon_);
}

void CInstallWnd::OnCreate() {
  CDirectUI::OnCreate();
  dpi_ = WindowDpi(GetHwnd());
  ScaleBorder();
  accessible_.reset(new CElementAccessible(GetHwnd(), this));
  observer_.Attach(GetHwnd());
  edge_.SetOwnerWindow(GetHwnd());
  SetSubCaption(Text(TextKey::kWindowPreparing).c_str());
  icon_ = static_cast<HICON>(
      LoadImageW(g_instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
  if (icon_ != nullptr) {
    SetIcon(icon_, true);
    SetIcon(icon_, false);
  }

  SetSubCaption(
      Text(TextKey::kWindowCaption, {{u"name", package_.Product().GetName().Units()}}).c_str());
  // No recorded folder and no Windows folder: nowhere to propose.
  if (!flow_.Prepare()) {
    exitCode_ = flow_.EarlierRunGoing() ? kExitAnotherRunGoing : kExitNotStarted;
    CloseNow();
    return;
  }
  LoadTheme();
  CreateElements();
  // /DIR's folder is the folder box's text, as if typed there, and goes through the same checks
  // as the start; a silent install has no box and hands it to the flow directly.
  if (!folder_.Empty()) {
    if (auto* box = ControlOf<CEditUI>(ElementRole::kFolderBox)) box->text.Assign(folder_.Units());
    flow_.SetFolderText(folder_.Units());
  }
  SetUpFocus();
  // Before a silent install starts, so that nothing is written over a newer version.
  flow_.CheckVersion();
  if (silent_ && !closing_ && flow_.GetState() == CInstallFlow::kReady) StartInstall();
}

bool CInstallWnd::ReadSkinImage(const std::u16string& name, DecodedImage& image) {
  // Each image from the payload when it carries it, else the stub's own default skin: a payload
  // made without a skin carries no images, and one image left out keeps the default.
  XData bytes;
  if (package_.ReadPayloadEntry(name.c_str(), &bytes) &&
      DecodeImage(bytes.Data(), bytes.Length(), image)) {
    return true;
  }
  return DecodeImageResource(g_instance, name.c_str(), image);
}

bool CInstallWnd::ReadLanguageSkinImage(const std::u16string& name, DecodedImage& image,
                                        std::u16string& shown) {
  // A twin comes only from the payload: the stub's default skin has none.
  XData bytes;
  for (const std::u16string& twin : LanguageTwinNames(name, CurrentLanguage().code)) {
    if (package_.ReadPayloadEntry(twin.c_str(), &bytes) &&
        DecodeImage(bytes.Data(), bytes.Length(), image)) {
      shown = twin;
      return true;
    }
  }
  shown = name;
  return ReadSkinImage(name, image);
}

void CInstallWnd::LoadTheme() {
  XData text;
  if (!package_.ReadPayloadEntry(u"theme.txt", &text)) return;
  theme_.ParseText(reinterpret_cast<const char16_t*>(text.Data()),
                   static_cast<int>(text.Length() / 2));
}

void CInstallWnd::CreateElements() {
  const bool downloadMode = !flow_.IsArchiveMode();
  for (const ElementRow& row : kInstallElements) {
    if ((row.presence == ElementPresence::kFirstPage && silent_) ||
        (row.presence == ElementPresence::kDownloadMode && !downloadMode)) {
      continue;
    }
    keys_[static_cast<int>(row.role)] = CreateElement(row);
  }
  ApplyDpi();
  ListAccessibleElements();
}

int32_t CInstallWnd::CreateElement(const ElementRow& row) {
  const int32_t key = CreateAndAddElement(row.type);
  ILayer* element = FindElement(key);
  if (element == nullptr) return -1;
  if (auto* image = dynamic_cast<CImageUI*>(element)) image->frameCount = row.frames;
  if (auto* text = dynamic_cast<CTextUI*>(element)) {
    text->text.Assign(StartingText(row).c_str());
    if (row.textFormat != 0) text->textFormat = row.textFormat;
  } else if (auto* edit = dynamic_cast<CEditUI*>(element)) {
    edit->text.Assign(flow_.GetInstallFolder().Units());
  }
  if (row.color == ElementColor::kThemeText) element->SetColor(theme_.GetTextColor());
  if (row.color == ElementColor::kFixed) element->SetColor(row.fixedColor);
  element->SetCursorKind(row.cursor);
  element->SetBlended(row.blended);
  element->SetChecked(row.checked);
  element->SetVisible(row.visible);
  if (row.id != kKeyAsId) element->SetId(row.id);
  return key;
}

ILayer* CInstallWnd::Element(ElementRole role) const {
  const int32_t key = keys_[static_cast<int>(role)];
  return key >= 0 ? FindElement(key) : nullptr;
}

void CInstallWnd::StartInstall() {
  if (auto* box = ControlOf<CEditUI>(ElementRole::kFolderBox)) {
    flow_.SetFolderText(box->text.Units());
  } else if (!silent_) {
    return;
  }
  flow_.OnCommand(CInstallFlow::kStartCommand);
}

void CInstallWnd::ShowProgress() {
  if (viewTimerSet_) return;
  const DWORD elapsed = GetTickCount() - viewShownAt_;
  if (elapsed < kViewIntervalMs) {
    // Until the timer brings the view, the flow posts nothing more.
    viewTimerSet_ = SetTimer(GetHwnd(), kViewTimerId, kViewIntervalMs - elapsed, nullptr) != 0;
    if (viewTimerSet_) return;
  }
  TakeView();
}

void CInstallWnd::TakeView() {
  viewShownAt_ = GetTickCount();
  // Taken before the copy: a change after it posts the message again.
  observer_.ViewTaken();
  ApplyView(flow_.View());
}

void CInstallWnd::ApplyView(const InstallView& view) {
  ILayer* check = Element(ElementRole::kAgreeCheck);
  const bool agreed = check != nullptr && check->IsChecked();
  bool pageChanged = false;
  for (int role = 0; role < kElementRoleCount; ++role) {
    ILayer* element = Element(static_cast<ElementRole>(role));
    const bool shown = IsShownInView(static_cast<ElementRole>(role), view, agreed);
    if (element == nullptr || element->IsVisible() == shown) continue;
    element->SetVisible(shown);
    pageChanged = true;
  }
  if (view.finishButtonVisible && !shownView_.finishButtonVisible) ShowFinishPage();
  ShowText(ElementRole::kStatusText, shownView_.statusText, view.statusText);
  ShowText(ElementRole::kPercentText, shownView_.percentText, view.percentText);
  ShowText(ElementRole::kDetailText, shownView_.detailText, view.detailText);
  auto* bar = ControlOf<CProgressUI>(ElementRole::kProgressBar);
  if (bar != nullptr && (bar->range != view.progressRange || bar->position != view.progressPosition)) {
    bar->range = view.progressRange;
    bar->position = view.progressPosition;
    bar->SetDirty(true);
  }
  // A hidden element alone would not repaint what it covered.
  if (pageChanged) SetAllDirty(true);
  shownView_ = view;
  FollowView(view);
}

template <int N>
void CInstallWnd::ShowText(ElementRole role, const FixedWString<N>& shown,
                           const FixedWString<N>& wanted) {
  auto* text = ControlOf<CTextUI>(role);
  if (text == nullptr || shown == wanted) return;
  text->text.Assign(wanted.Units());
  text->SetDirty(true);
}

void CInstallWnd::FinishInstall() { flow_.OnCommand(CInstallFlow::kCompletedCommand); }

void CInstallWnd::ShowFinishPage() {
  ILayer* button = Element(ElementRole::kStartButton);
  if (button == nullptr) return;
  finishButton_ = true;
  button->SetId(CInstallFlow::kFinishCommand);
  // Laid out again for the finish image's own height.
  ApplyLook(ElementRole::kStartButton);
}

const char16_t* CInstallWnd::TextOf(ElementRole role) const {
  if (auto* text = ControlOf<CTextUI>(role)) return text->text.Units();
  if (auto* edit = ControlOf<CEditUI>(role)) return edit->text.Units();
  return nullptr;
}

void CInstallWnd::ChooseInstallFolder() {
  char16_t choice[MAX_PATH] = {};
  if (!ChooseFolder(choice, MAX_PATH, GetHwnd(), Text(TextKey::kWindowFolderTitle).c_str())) return;
  auto* box = ControlOf<CEditUI>(ElementRole::kFolderBox);
  if (box == nullptr) return;
  flow_.ChooseInstallFolder(choice);
  box->text.Assign(flow_.GetInstallFolder().Units());
  box->SetDirty(true);
  AnnounceAccessibleChanges();
}

void CInstallWnd::ToggleAgreement() {
  ILayer* check = Element(ElementRole::kAgreeCheck);
  if (check == nullptr) return;
  check->SetChecked(!check->IsChecked());
  check->SetDirty(true);
  ApplyView(shownView_);
}

void CInstallWnd::AskToClose() {
  if (flow_.CouldNotStart()) {
    exitCode_ = kExitNotStarted;
  } else if (flow_.GetState() == CInstallFlow::kInstalling) {
    if (!cancelable_) return;
    // The install goes on while the question is open, and may complete meanwhile: its finish
    // waits for the answer, so that an install the user ends is never registered.
    askingToClose_ = true;
    const bool ending = AskUser(GetHwnd(), Text(TextKey::kWindowAbortQuestion).c_str(),
                                Text(TextKey::kInstallCaption).c_str(),
                                MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
    askingToClose_ = false;
    const bool completed = completedWhileAsking_;
    completedWhileAsking_ = false;
    if (!ending) {
      if (completed) FinishInstall();
      return;
    }
    // The window goes at once; the worker stops and the install is undone behind it, leaving
    // the machine as it was, and the process ends with kExitCancelled.
    Show(SW_HIDE);
    flow_.Cancel();
    exitCode_ = kExitCancelled;
  }
  CloseNow();
}

void CInstallWnd::CloseNow() {
  closing_ = true;
  Close();
}

void CInstallWnd::OnFlowClosed(int exitCode) {
  exitCode_ = exitCode;
  CloseNow();
}

bool CInstallWnd::OnMenuCommand(int32_t id) {
  switch (id) {
    case kCloseCommand:
      AskToClose();
      return true;
    case kMinimiseCommand:
      Show(SW_MINIMIZE);
      return true;
    case CInstallFlow::kStartCommand:
      if (flow_.GetState() == CInstallFlow::kReady) StartInstall();
      return true;
    case CInstallFlow::kCompletedCommand:
      if (askingToClose_) {
        completedWhileAsking_ = true;
      } else {
        FinishInstall();
      }
      return true;
    case kBrowseCommand:
      ChooseInstallFolder();
      return true;
    case kHomepageCommand:
      OpenHomepage(package_.Product().GetHomepage().Units());
      return true;
    case kProtocolCommand:
      OpenHomepage(package_.Product().GetProtocol().Units());
      return true;
    case kAgreeCommand:
      ToggleAgreement();
      return true;
    default:
      // The finish button and the worker's reports that the install could not start or ran out
      // of time.
      return flow_.OnCommand(id) || CDirectUI::OnMenuCommand(id);
  }
}

bool CInstallWnd::OnCloseQuery() {
  if (!closing_ && flow_.GetState() == CInstallFlow::kInstalling) return false;
  // Closed before it installed, by the close button or from outside, with nothing else said:
  // the person cancelled.
  if (flow_.GetState() == CInstallFlow::kReady && exitCode_ == kExitInstalled) {
    exitCode_ = kExitCancelled;
  }
  return CDirectUI::OnCloseQuery();
}

void CInstallWnd::OnDestroy() {
  flow_.Cancel();
  observer_.Attach(nullptr);
  // Screen readers may hold the accessible object past the window: it answers no more.
  if (accessible_) accessible_->Disconnect();
  accessible_.reset();
  CDirectUI::OnDestroy();
}

LRESULT CInstallWnd::HandleMessage(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == kViewChangedMessage) {
    ShowProgress();
    return 0;
  }
  if (message == WM_TIMER && w == kViewTimerId) {
    KillTimer(window, kViewTimerId);
    viewTimerSet_ = false;
    TakeView();
    return 0;
  }
  // The session ends and the process with it, without the window being destroyed: the worker
  // stops first, leaving no half-written file.
  if (message == WM_ENDSESSION && w != FALSE) flow_.Cancel();
  switch (message) {
    case WM_KEYDOWN:
      if (OnKey(w, l)) return 0;
      break;
    case WM_SYSCOMMAND:
      // Alt+F4 and the task bar's close ask as the close button does. (Alt+F4 is left to the
      // default window procedure, which turns it into this: a window that took the key itself
      // would leave that procedure waiting for the key after Alt, and the Alt key's release
      // would open the window's menu.)
      if ((w & 0xFFF0) == SC_CLOSE) {
        OnMenuCommand(kCloseCommand);
        return 0;
      }
      break;
    case WM_GETOBJECT:
      if (static_cast<LONG>(l) == static_cast<LONG>(OBJID_CLIENT) && accessible_) {
        return accessible_->AnswerGetObject(w);
      }
      break;
    case WM_DPICHANGED:
      // The system always proposes a rectangle; a message without one is no one's to act on.
      if (l == 0) break;
      OnDpiChanged(LOWORD(w), *reinterpret_cast<const RECT*>(l));
      return 0;
    default:
      break;
  }
  const LRESULT result = CDirectUI::HandleMessage(window, message, w, l);
  // A press moves the focus to what it pressed; the window's focus reaches the element's.
  if (message == WM_LBUTTONDOWN) FollowFocus();
  if (message == WM_SETFOCUS) AnnounceFocus(window, FocusedItem());
  return result;
}
