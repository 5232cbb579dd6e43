#include "ui/window.h"

#include "draw/image.h"
#include "draw/render.h"
#include "support/core/wide_text.h"
#include "ui/file_dialogs.h"
#include "ui/window_caption.h"
#include "ui/window_geometry.h"
#include "ui/window_globals.h"
#include "ui/window_map.h"
#include "ui/window_procedure.h"
#include "ui/window_utilities.h"

namespace {

constexpr DWORD kOwnlessStyle = WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr DWORD kClippingStyle = WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr UINT kIdleSleepMilliseconds = 10;

ElementRect ToElementRect(const RECT& rect) {
  return ElementRect{rect.left, rect.top, rect.right, rect.bottom};
}

// Brings a window forward the way its kind allows: a child only within its parent.
void BringForward(HWND window) {
  if (GetParent(window) != nullptr) {
    BringWindowToTop(window);
  } else {
    SetForegroundWindow(window);
  }
}

}  // namespace

CWindow::CWindow() {
  RECT workArea{};
  if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0) &&
      workArea.bottom - workArea.top != 0) {
    maxHeight_ = workArea.bottom - workArea.top;
  }
}

CWindow::~CWindow() {
  if (IsAlive()) DestroyWindow(window_);
  RemoveAllElements(false);
  PurgeRemovedElements();
  render_.reset();
  backingImage_.reset();
  TrayRemove();
  trayTracker_.reset();
  UnloadComposition();
}

bool CWindow::Create(DWORD style, DWORD exStyle, HWND owner, HINSTANCE module) {
  if (IsAlive()) return false;
  if (module == nullptr) {
    if (owner == nullptr || !IsWindow(owner)) return false;
    module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE));
    if (module == nullptr) return false;
  }
  if (!RegisterWindowClass(module, kFrameworkWindowClass, FrameworkWindowProcedure, false)) {
    return false;
  }
  if (owner == nullptr) {
    style |= kOwnlessStyle;
    exStyle |= WS_EX_APPWINDOW;
  }
  style |= kClippingStyle;
  HWND window = CreateWindowExW(exStyle, AsWide(kFrameworkWindowClass), L"", style, 0, 0, 0, 0,
                                owner, nullptr, module, nullptr);
  if (window == nullptr || !IsWindow(window)) return false;
  window_ = window;
  owner_ = owner;
  releaseGuard_ = true;
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  if ((exStyle & WS_EX_TOPMOST) != 0) {
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
  ModifyStyle(WS_CAPTION, 0);
  SetIcon(g_largeIcon, true);
  SetIcon(g_smallIcon, false);
  if (g_mainWindow == nullptr && (style & WS_CHILD) == 0) g_mainWindow = window;
  SetBorder(g_defaultImage.get(), g_defaultImageEdge, g_defaultImageFlag);
  OnCreate();
  return true;
}

bool CWindow::MoveToRect(const RECT& rect) {
  return Move(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

bool CWindow::Move(int x, int y, int width, int height) {
  if (!IsAlive()) return false;
  if (IsMaximized()) ShowWindow(window_, SW_RESTORE);
  return MoveWindow(window_, x, y, width, height, TRUE) != FALSE;
}

bool CWindow::PlaceOnScreen(const LayoutRecord& layout) {
  if (!IsAlive()) return false;
  ElementRect placed =
      PlaceContentOnScreen(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), layout,
                           ShowsBorder() ? borderWidth_ : 0);
  return MoveToRect(RECT{placed.left, placed.top, placed.right, placed.bottom});
}

bool CWindow::PlaceOnScreenValues(int32_t word0, int32_t word1, int32_t word2, int32_t word3) {
  const int32_t words[4] = {word0, word1, word2, word3};
  return PlaceOnScreen(LayoutFromWords(words));
}

void CWindow::CentreOn(HWND owner, int width, int height) {
  if (!IsAlive()) return;
  if (IsMaximized()) ShowWindow(window_, SW_RESTORE);
  if (ShowsBorder()) {
    width += 2 * borderWidth_;
    height += 2 * borderWidth_;
  }
  CenterWindow(window_, owner, width, height, true);
}

void CWindow::CentreOnKeepSize(HWND owner) {
  if (!IsAlive()) return;
  if (IsMaximized()) ShowWindow(window_, SW_RESTORE);
  RECT frame{};
  GetWindowRect(window_, &frame);
  CenterWindow(window_, owner, frame.right - frame.left, frame.bottom - frame.top, true);
}

void CWindow::SetMaxSize(int32_t width, int32_t height) {
  maxWidth_ = width;
  maxHeight_ = height;
}

void CWindow::SetMinSize(int32_t width, int32_t height) {
  minWidth_ = width;
  minHeight_ = height;
}

bool CWindow::Show(int showCommand) {
  if (!IsAlive()) return false;
  ShowWindow(window_, showCommand);
  return true;
}

bool CWindow::Present() {
  if (!IsAlive()) return false;
  if (!HasExStyle(WS_EX_LAYERED) || !render_) return UpdateWindow(window_) != FALSE;
  RECT frame{};
  RECT client{};
  GetWindowRect(window_, &frame);
  GetClientRect(window_, &client);
  POINT destination{frame.left, frame.top};
  SIZE size{client.right - client.left, client.bottom - client.top};
  POINT source{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  return UpdateLayeredWindow(window_, nullptr, &destination, &size, render_->GetDC(), &source, 0,
                             &blend, ULW_ALPHA) != FALSE;
}

bool CWindow::Close() {
  return IsAlive() && PostMessageW(window_, WM_CLOSE, 0, 0) != FALSE;
}

void CWindow::Destroy() {
  if (IsAlive()) DestroyWindow(window_);
  if (!releaseGuard_) return;
  releaseGuard_ = false;
  RemoveAllElements(false);
  render_.reset();
  trayTracker_.reset();
}

bool CWindow::Maximize() { return Show(SW_MAXIMIZE); }

bool CWindow::Minimize() { return IsAlive() && CloseWindow(window_) != FALSE; }

bool CWindow::Activate() {
  if (!IsAlive()) return false;
  if (HasStyle(WS_CHILD)) return BringWindowToTop(window_) != FALSE;
  return SetForegroundWindow(window_) != FALSE;
}

bool CWindow::TakeFocus() {
  if (!IsAlive()) return false;
  SetFocus(window_);
  return GetFocus() == window_;
}

void CWindow::DropFocus() {
  if (IsAlive() && GetFocus() == window_) SetFocus(nullptr);
}

void CWindow::BroadcastHook1() {
  ForEachElement([](ILayer& element) { element.OnHook1(); });
}

void CWindow::BroadcastHook2() {
  ForEachElement([](ILayer& element) { element.OnHook2(); });
}

void CWindow::BroadcastHook3() {
  ForEachElement([](ILayer& element) { element.OnHook3(); });
}

void CWindow::SetAllDirty(bool dirty) {
  ForEachElement([dirty](ILayer& element) { element.SetDirty(dirty); });
}

int32_t CWindow::RunModal() {
  if (!IsAlive()) return 0;
  modal_ = true;
  HWND owner = owner_ != nullptr ? owner_ : g_mainWindow;
  if (owner == window_ || (owner != nullptr && !IsWindow(owner))) owner = nullptr;
  if (owner != nullptr) {
    EnableWindow(owner, FALSE);
    BringForward(owner);
  }
  BringWindowToTop(window_);
  SetFocus(window_);
  const uint32_t lastMessage = ModalLoop();
  // The loop also ends on a quit or a destroy; either way no modal loop runs any more.
  modal_ = false;
  if (owner != nullptr && IsWindow(owner)) {
    BringForward(owner);
    EnableWindow(owner, TRUE);
    SetFocus(owner);
  }
  if (lastMessage == WM_QUIT) PostQuitMessage(0);
  if (lastMessage == WM_DESTROY) Destroy();
  return modalResult_;
}

void CWindow::EndModal(int32_t result) {
  modalResult_ = result;
  modal_ = false;
}

uint32_t CWindow::ModalLoop() {
  uint32_t lastMessage = 0;
  while (modal_) {
    MSG message;
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      lastMessage = message.message;
      if (lastMessage == 0 || lastMessage == WM_DESTROY || lastMessage == WM_QUIT) {
        return lastMessage;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
      continue;
    }
    if (!IsAlive()) break;
    if (IdleStep()) Sleep(kIdleSleepMilliseconds);
  }
  return lastMessage;
}

bool CWindow::PaintNow() {
  if (!IsAlive()) return false;
  HDC dc = ::GetDC(window_);
  const bool painted = Paint(dc);
  if (dc != nullptr) ReleaseDC(window_, dc);
  return painted;
}

bool CWindow::IsMinimized() { return IsAlive() && IsIconic(window_); }

bool CWindow::IsMaximized() { return IsAlive() && IsZoomed(window_); }

bool CWindow::IsShown() { return HasStyle(WS_VISIBLE); }

bool CWindow::IsEnabled() { return !HasStyle(WS_DISABLED); }

bool CWindow::HasBorder() { return borderWidth_ > 0 && borderImage_ != nullptr; }

bool CWindow::HasStyle(DWORD bits) {
  return IsAlive() && (static_cast<DWORD>(GetWindowLongW(window_, GWL_STYLE)) & bits) == bits;
}

bool CWindow::HasExStyle(DWORD bits) {
  return IsAlive() && (static_cast<DWORD>(GetWindowLongW(window_, GWL_EXSTYLE)) & bits) == bits;
}

bool CWindow::SetGrey(bool grey) {
  grey_ = grey;
  return true;
}

bool CWindow::SetLayered(bool layered) {
  layered_ = layered;
  constexpr DWORD kLayeredStyles = WS_EX_LAYERED | WS_EX_APPWINDOW;
  ModifyExStyle(layered ? 0 : kLayeredStyles, layered ? kLayeredStyles : 0);
  return true;
}

bool CWindow::ModifyStyle(DWORD remove, DWORD add) {
  if (!IsAlive()) return false;
  DWORD style = static_cast<DWORD>(GetWindowLongW(window_, GWL_STYLE));
  SetWindowLongW(window_, GWL_STYLE, static_cast<LONG>((style | add) & ~remove));
  return true;
}

bool CWindow::ModifyExStyle(DWORD remove, DWORD add) {
  if (!IsAlive()) return false;
  DWORD style = static_cast<DWORD>(GetWindowLongW(window_, GWL_EXSTYLE));
  SetWindowLongW(window_, GWL_EXSTYLE, static_cast<LONG>((style | add) & ~remove));
  return true;
}

bool CWindow::GetFrameRect(RECT* rect) {
  return rect != nullptr && IsAlive() && GetWindowRect(window_, rect) != FALSE;
}

bool CWindow::GetContentRect(RECT* rect) {
  if (rect == nullptr || !IsAlive() || !GetClientRect(window_, rect)) return false;
  if (ShowsBorder()) {
    ElementRect content = InflateRect(ToElementRect(*rect), -borderWidth_);
    *rect = RECT{content.left, content.top, content.right, content.bottom};
  }
  return true;
}

bool CWindow::ShowsBorder() { return !IsMaximized() && (layered_ || blurWanted_); }

HICON CWindow::GetIcon(bool big) {
  if (!IsAlive()) return nullptr;
  return reinterpret_cast<HICON>(
      SendMessageW(window_, WM_GETICON, big ? ICON_BIG : ICON_SMALL, 0));
}

HICON CWindow::SetIcon(HICON icon, bool big) {
  if (!IsAlive()) return nullptr;
  return reinterpret_cast<HICON>(SendMessageW(window_, WM_SETICON, big ? ICON_BIG : ICON_SMALL,
                                              reinterpret_cast<LPARAM>(icon)));
}

void CWindow::SetCaption(const char16_t* caption) {
  caption_.Assign(caption);
  RefreshCaption();
}

void CWindow::SetSubCaption(const char16_t* subCaption) {
  subCaption_.Assign(subCaption);
  RefreshCaption();
}

bool CWindow::GetTitleText(char16_t* buffer, int capacity) {
  if (buffer == nullptr || capacity <= 0) return false;
  buffer[0] = 0;
  if (!IsAlive()) return false;
  GetWindowTextW(window_, AsWide(buffer), capacity);
  return true;
}

bool CWindow::SetTitleText(const char16_t* text) {
  return IsAlive() && text != nullptr && SetWindowTextW(window_, AsWide(text)) != FALSE;
}

bool CWindow::RefreshCaption() {
  FixedWString<1024> text = ComposeWindowText(caption_.Units(), subCaption_.Units());
  return SetTitleText(text.Units());
}

void CWindow::SetBorder(IImage* image, int32_t width, bool centre) {
  borderImage_ = image;
  borderWidth_ = width;
  borderCentre_ = centre;
}

bool CWindow::IdleStep() {
  const bool elementsIdle = AreElementsIdle();
  bool result;
  if (modal_ && map_ != nullptr) {
    // A modal loop keeps the other windows of the process alive as well.
    result = !map_->PaintAll() && elementsIdle;
  } else {
    result = !PaintNow() && elementsIdle;
  }
  if (windowHandlers_ != nullptr && windowHandlers_->idle != nullptr &&
      !windowHandlers_->idle(this)) {
    return false;
  }
  return result;
}

bool CWindow::ShowOpenFileDialog(int32_t, char16_t* result, const char16_t* extensions,
                                 uint32_t flags) {
  if (result == nullptr || !IsAlive()) return false;
  HWND parent = GetParent(window_);
  return ChooseFile(result, MAX_PATH, parent != nullptr ? parent : window_, extensions,
                    flags != 0);
}

bool CWindow::OnCommand(int32_t id, int32_t code) {
  switch (code) {
    case 0:
      return OnMenuCommand(id);
    case 1:
      return OnAcceleratorCommand(id);
    default:
      return OnControlCommand(id, code);
  }
}

bool CWindow::OnMenuCommand(int32_t id) {
  return windowHandlers_ != nullptr && windowHandlers_->command != nullptr &&
         windowHandlers_->command(this, id);
}

bool CWindow::OnAcceleratorCommand(int32_t id) {
  return windowHandlers_ != nullptr && windowHandlers_->accelerator != nullptr &&
         windowHandlers_->accelerator(this, id);
}

bool CWindow::OnControlCommand(int32_t id, int32_t code) {
  return windowHandlers_ != nullptr && windowHandlers_->controlCommand != nullptr &&
         windowHandlers_->controlCommand(this, id, code);
}

void CWindow::OnTrayMessage(WPARAM w, LPARAM l) {
  if (windowHandlers_ != nullptr && windowHandlers_->trayMessage != nullptr) {
    windowHandlers_->trayMessage(this, w, l);
  }
}

bool CWindow::OnCloseQuery() {
  if (windowHandlers_ == nullptr || windowHandlers_->closeQuery == nullptr) return true;
  return windowHandlers_->closeQuery(this);
}

void CWindow::OnCreate() {
  backingImage_ = std::make_unique<CImage>();
  render_.reset(new CRenderGDI());
  render_->SetTarget(backingImage_.get());
  if (windowHandlers_ != nullptr && windowHandlers_->created != nullptr) {
    windowHandlers_->created(this);
  }
}

void CWindow::OnDestroy() {
  TrayRemove();
  if (windowHandlers_ != nullptr && windowHandlers_->destroyed != nullptr) {
    windowHandlers_->destroyed(this);
  }
}

void CWindow::OnMouseHover() {
  if (windowHandlers_ != nullptr && windowHandlers_->mouseHover != nullptr) {
    windowHandlers_->mouseHover(this);
  }
}

void CWindow::OnMouseLeave() {
  if (windowHandlers_ != nullptr && windowHandlers_->mouseLeave != nullptr) {
    windowHandlers_->mouseLeave(this);
  }
}
