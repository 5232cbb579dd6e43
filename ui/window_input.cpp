// How a window's input reaches its elements: the mouse goes to the element under it (to the
// pressed one while the left button is held), the keyboard to the focus element.
#include "ui/layer.h"
#include "ui/window.h"
#include "ui/window_globals.h"

namespace {

constexpr int32_t kMenuKeyCoordinate = -1;

int32_t SignedLow(LPARAM l) { return static_cast<int16_t>(LOWORD(l)); }
int32_t SignedHigh(LPARAM l) { return static_cast<int16_t>(HIWORD(l)); }

bool IsButtonDown(UINT message) {
  return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
}

// The element's answer to a mouse message at the client point, in its own coordinates.
bool SendMouse(ILayer& element, UINT message, int32_t x, int32_t y, WPARAM w) {
  RECT rect = element.GetRect();
  return element.OnMouse(message, x - rect.left, y - rect.top, static_cast<uint32_t>(w));
}

}  // namespace

void CWindow::LeaveHoverElement() {
  // While the left button is held the pressed element keeps the mouse.
  if (GetCapture() == window_) return;
  ILayer* left = FindElement(hoverKey_);
  hoverKey_ = -1;
  previousHoverKey_ = -1;
  if (left != nullptr) SendMouse(*left, WM_MOUSELEAVE, -1, -1, 0);
}

void CWindow::RouteMouse(UINT message, WPARAM w, int32_t x, int32_t y, bool* handled) {
  // While the left button is held the hover key stays on the pressed element.
  if (GetCapture() != window_) {
    const int32_t oldHoverKey = hoverKey_;
    hoverKey_ = HitTestElements(x, y);
    if (hoverKey_ != oldHoverKey) {
      previousHoverKey_ = oldHoverKey;
      if (message == WM_MOUSEMOVE) {
        if (ILayer* left = FindElement(oldHoverKey)) {
          SendMouse(*left, WM_MOUSELEAVE, x, y, w);
          previousHoverKey_ = -1;
        }
        if (ILayer* entered = FindElement(hoverKey_)) SendMouse(*entered, WM_MOUSEHOVER, x, y, w);
      }
    }
  }
  if (message == WM_LBUTTONDOWN) {
    if (!HasExStyle(WS_EX_TOOLWINDOW) || modal_) SetFocus(window_);
    SetCapture(window_);
    if (focusKey_ != hoverKey_) {
      previousFocusKey_ = focusKey_;
      focusKey_ = hoverKey_;
    }
    SetElementFocus(focusKey_, true);
    pressedKey_ = focusKey_;
    if (ILayer* pressed = FindElement(pressedKey_)) OnElementPressed(pressed);
  } else if (message == WM_LBUTTONUP) {
    ReleaseCapture();
    const int32_t key = HitTestElements(x, y);
    if (ILayer* released = FindElement(key)) OnElementReleased(released);
    // Looked up again: the release handler may have removed it.
    if (key == pressedKey_) {
      if (ILayer* clicked = FindElement(key)) OnElementClicked(clicked);
    }
  }
  if (ILayer* hovered = FindElement(hoverKey_)) {
    *handled = SendMouse(*hovered, message, x, y, w);
    if (IsButtonDown(message)) {
      // Looked up again: the element's answer may have changed the tree.
      if (ILayer* still = FindElement(hoverKey_)) EnableIme(still->WantsIme());
    }
  }
}

bool CWindow::RouteInput(HWND window, UINT message, WPARAM w, LPARAM l) {
  bool handled = true;
  const int32_t x = SignedLow(l);
  const int32_t y = SignedHigh(l);
  if (message >= WM_MOUSEMOVE && message <= WM_MBUTTONDBLCLK) {
    RouteMouse(message, w, x, y, &handled);
    return handled;
  }
  switch (message) {
    case WM_MOUSEWHEEL:
      if (ILayer* hovered = FindElement(hoverKey_)) {
        POINT point{x, y};
        ScreenToClient(window, &point);
        RECT rect = hovered->GetRect();
        handled = hovered->OnMouseWheel(point.x - rect.left, point.y - rect.top,
                                        static_cast<int16_t>(HIWORD(w)), static_cast<uint32_t>(w));
      }
      return handled;
    case WM_CONTEXTMENU:
      if (ILayer* focused = FindElement(focusKey_)) {
        POINT point{x, y};
        if (x != kMenuKeyCoordinate && y != kMenuKeyCoordinate) ScreenToClient(window, &point);
        handled = focused->OnContextMenu(point.x, point.y, static_cast<uint32_t>(w));
      }
      return handled;
    case WM_KEYDOWN:
      if (ILayer* focused = FindElement(focusKey_)) {
        handled = focused->OnKeyDown(static_cast<int32_t>(w), HIWORD(l), 0);
      }
      return handled;
    case WM_KEYUP:
      if (ILayer* focused = FindElement(focusKey_)) {
        handled = focused->OnKeyUp(static_cast<int32_t>(w), HIWORD(l), 0);
        if (w == VK_TAB) {
          if (ILayer* still = FindElement(focusKey_)) EnableIme(still->WantsIme());
        }
      }
      return handled;
    case WM_CHAR:
      if (ILayer* focused = FindElement(focusKey_)) {
        handled = focused->OnChar(static_cast<int32_t>(w), HIWORD(l), 0);
      }
      return handled;
    case WM_HOTKEY:
      // Hot keys are registered with the key of the element that handles them in the id's high
      // word.
      if (g_forwardHotKeys) {
        PostMessageW(window, kHotKeyDownMessage, MAKEWPARAM(HIWORD(l), HIWORD(w)), 0);
      }
      return handled;
    case kHotKeyDownMessage:
      if (ILayer* target = FindElement(HIWORD(w))) {
        handled = target->OnHotKeyDown(LOBYTE(LOWORD(w)), HIWORD(l));
      }
      return handled;
    case kHotKeyUpMessage:
      if (ILayer* target = FindElement(HIWORD(w))) {
        handled = target->OnHotKeyUp(LOBYTE(LOWORD(w)), HIWORD(l));
      }
      return handled;
    default:
      return false;
  }
}
