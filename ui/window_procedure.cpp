#include "ui/window_procedure.h"

#include "ui/window.h"
#include "ui/window_geometry.h"

namespace {

// The cursor a grip zone replaced, shown again when the mouse leaves the zones. Kept from the
// first entry into a zone until then, so that moving within a zone does not remember the
// zone's own cursor.
HCURSOR g_replacedCursor = nullptr;

void RestoreReplacedCursor() {
  if (g_replacedCursor == nullptr) return;
  SetCursor(g_replacedCursor);
  g_replacedCursor = nullptr;
}

// The grip zone under the mouse of a resizable window: the sizing cursor, and the message turned
// into its non-client form so that the system sizes the window. Handled sets the result.
bool HandleGrip(IWindow& object, HWND window, UINT message, LPARAM l, LRESULT* result) {
  if (message == WM_LBUTTONUP) {
    RestoreReplacedCursor();
    return false;
  }
  if (message != WM_MOUSEMOVE && message != WM_LBUTTONDOWN) return false;
  RECT client{};
  GetClientRect(window, &client);
  const ResizeGrip grip =
      GripAt(ElementRect{client.left, client.top, client.right, client.bottom},
             static_cast<int16_t>(LOWORD(l)), static_cast<int16_t>(HIWORD(l)));
  if (grip.hitCode == 0) {
    RestoreReplacedCursor();
    return false;
  }
  HCURSOR replaced = SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(grip.cursorId)));
  if (g_replacedCursor == nullptr) g_replacedCursor = replaced;
  const UINT nonClient = message == WM_MOUSEMOVE ? WM_NCMOUSEMOVE : WM_NCLBUTTONDOWN;
  if (HWND parent = GetParent(window)) {
    PostMessageW(parent, nonClient, static_cast<WPARAM>(grip.hitCode), l);
    *result = 0;
  } else {
    *result = object.HandleMessage(window, nonClient, static_cast<WPARAM>(grip.hitCode), l);
  }
  return true;
}

}  // namespace

LRESULT CALLBACK FrameworkWindowProcedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  auto* object = reinterpret_cast<IWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (object == nullptr) return DefWindowProcW(window, message, w, l);
  if (message == WM_SIZE) object->UpdateBlur();
  if (object->IsResizable() && !object->IsMaximized()) {
    LRESULT result = 0;
    if (HandleGrip(*object, window, message, l, &result)) return result;
  }
  return object->HandleMessage(window, message, w, l);
}
