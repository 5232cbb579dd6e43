// The yardstick of the first-frame figure of `make bench`: the plainest Win32 program with a
// window of the installer's size, a 612 x 412 popup centred on the screen (600 x 400 inside the
// installer's 6-pixel border) whose client area GDI fills with one colour on its first paint.
// The bench starts it as it starts setup.exe and times both to the first frame on the screen.
// It runs until it is closed.
#include <windows.h>

namespace {

constexpr int kWidth = 612;
constexpr int kHeight = 412;
// What the bench looks for on the screen: a colour no skin image has in its corners.
constexpr COLORREF kFill = RGB(0x20, 0xC0, 0x60);

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      HBRUSH brush = CreateSolidBrush(kFill);
      FillRect(dc, &paint.rcPaint, brush);
      DeleteObject(brush);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = L"PlainWindow";
  if (!RegisterClassW(&windowClass)) return 1;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
  HWND window = CreateWindowExW(0, L"PlainWindow", L"plain window", WS_POPUP | WS_VISIBLE, left,
                                top, kWidth, kHeight, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  UpdateWindow(window);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
