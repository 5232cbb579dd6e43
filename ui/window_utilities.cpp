#include "ui/window_utilities.h"

#include "support/core/wide_text.h"
#include "ui/window_centering.h"

namespace {

// Where the drag is said to start, inside the caption area.
constexpr int kDragPointX = 100;
constexpr int kDragPointY = 10;

}  // namespace

bool RegisterWindowClass(HINSTANCE instance, const char16_t* className, WNDPROC procedure,
                         bool doubleClicks) {
  if (className == nullptr || procedure == nullptr) return false;
  WNDCLASSEXW existing = {};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(instance, AsWide(className), &existing)) return true;
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW | (doubleClicks ? CS_DBLCLKS : 0);
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = AsWide(className);
  return RegisterClassExW(&windowClass) != 0;
}

void CenterWindow(HWND window, HWND reference, int width, int height, bool repaint) {
  RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (reference != nullptr) GetWindowRect(reference, &area);
  WindowOrigin origin = CenteredOrigin(area.left, area.top, area.right - area.left,
                                       area.bottom - area.top, width, height);
  MoveWindow(window, origin.left, origin.top, width, height, repaint);
}

bool BeginWindowDrag(HWND window) {
  if (!IsWindow(window)) return false;
  ReleaseCapture();
  PostMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(kDragPointX, kDragPointY));
  return true;
}
