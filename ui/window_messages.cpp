// The base message handling of a window, below whatever a subclass handles itself.
#include "draw/render.h"
#include "ui/layer.h"
#include "ui/window.h"
#include "ui/window_geometry.h"
#include "ui/window_globals.h"
#include "ui/window_map.h"

namespace {

// How long the mouse rests before the window hears WM_MOUSEHOVER.
constexpr DWORD kHoverMilliseconds = 1;

}  // namespace

LRESULT CWindow::HandleMessage(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (trayId_ != 0 && message == trayCallbackMessage_) {
    if (w == trayId_ && l == WM_MOUSEMOVE && trayTracker_) trayTracker_->OnTrayMouseMove();
    OnTrayMessage(w, l);
    return 0;
  }
  switch (message) {
    case WM_DESTROY: {
      OnDestroy();
      IWindowMap* map = map_;
      window_ = nullptr;
      modal_ = false;
      map_ = nullptr;
      if (window == g_mainWindow) {
        if (map != nullptr) map->DestroyAll();
        PostQuitMessage(0);
      } else if (map != nullptr) {
        map->Remove(id_);
      }
      return 0;
    }
    case WM_SIZE:
      RelayoutAll();
      break;
    case WM_ACTIVATE:
    case WM_SHOWWINDOW:
      SetAllDirty(true);
      break;
    case WM_SETFOCUS:
      SetElementFocus(focusKey_, true);
      break;
    case WM_KILLFOCUS:
      SetElementFocus(focusKey_, false);
      break;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      // A window that blits its surface must put it back wherever the system lost it, also
      // when nothing changed since the last frame.
      if (!Paint(dc) && render_ && dc != nullptr && !HasExStyle(WS_EX_LAYERED)) {
        render_->Present(dc);
      }
      EndPaint(window, &paint);
      break;
    }
    case WM_CLOSE:
      if (!OnCloseQuery()) return 0;
      break;
    case WM_SETCURSOR:
      // The element under the mouse keeps the cursor it set.
      if (FindElement(hoverKey_) != nullptr) return 0;
      break;
    case WM_MOUSEACTIVATE:
      if (HasExStyle(WS_EX_TOOLWINDOW) && !modal_) return MA_NOACTIVATE;
      break;
    case WM_WINDOWPOSCHANGING:
      ApplySizeLimits(reinterpret_cast<WINDOWPOS*>(l));
      break;
    case WM_IME_STARTCOMPOSITION:
      PlaceCandidateWindow();
      break;
    case WM_COMMAND:
      if (OnCommand(LOWORD(w), HIWORD(w))) return 0;
      break;
    case WM_TIMER:
      OnTimer(static_cast<uint32_t>(w));
      break;
    case WM_MOUSEMOVE:
      if (!mouseTracked_) {
        TRACKMOUSEEVENT tracking{sizeof tracking, TME_HOVER | TME_LEAVE, window,
                                 kHoverMilliseconds};
        mouseTracked_ = TrackMouseEvent(&tracking) != FALSE;
      }
      break;
    case WM_MOUSEHOVER:
      OnMouseHover();
      break;
    case WM_MOUSELEAVE:
      LeaveHoverElement();
      OnMouseLeave();
      mouseTracked_ = false;
      break;
    default:
      break;
  }
  if (RouteInput(window, message, w, l)) return 0;
  return DefWindowProcW(window, message, w, l);
}

void CWindow::ApplySizeLimits(WINDOWPOS* position) {
  if (position == nullptr) return;
  const SizeLimits limits{minWidth_, minHeight_, maxWidth_, maxHeight_};
  WindowSize size = LimitSize(WindowSize{position->cx, position->cy}, limits,
                              HasBorder() ? borderWidth_ : 0);
  position->cx = size.width;
  position->cy = size.height;
  if (IsMaximized()) {
    position->x = 0;
    position->y = 0;
  }
}

void CWindow::PlaceCandidateWindow() {
  ILayer* focused = FindElement(focusKey_);
  RECT caret{};
  if (focused == nullptr || !focused->GetCaretRect(&caret) || !IsAlive()) return;
  HIMC context = ImmGetContext(window_);
  if (context == nullptr) return;
  CANDIDATEFORM form{0, CFS_EXCLUDE, POINT{caret.left, caret.bottom}, caret};
  ImmSetCandidateWindow(context, &form);
  ImmReleaseContext(window_, context);
}

void CWindow::EnableIme(bool enable) {
  if (!IsAlive()) return;
  if (enable) {
    if (savedImeContext_ == nullptr) return;
    ImmAssociateContext(window_, savedImeContext_);
    savedImeContext_ = nullptr;
    return;
  }
  if (savedImeContext_ != nullptr) return;
  HIMC context = ImmGetContext(window_);
  if (context == nullptr) return;
  savedImeContext_ = context;
  ImmAssociateContext(window_, nullptr);
  ImmReleaseContext(window_, context);
}
