#include "ui/window_dpi.h"

#include "draw/dpi_scale.h"
#include "draw/gdi_handles.h"

namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
// MDT_EFFECTIVE_DPI is 0.
using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
constexpr int kEffectiveDpi = 0;

// The functions are looked up at run time: the program also runs on systems without them.
template <typename Function>
Function Lookup(HMODULE module, const char* name) {
  return module == nullptr ? nullptr
                           : reinterpret_cast<Function>(
                                 reinterpret_cast<void*>(GetProcAddress(module, name)));
}

int MonitorDpi(HWND window) {
  // shcore.dll is a system library; it is loaded from the system folder only.
  HMODULE shcore = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  auto getDpiForMonitor = Lookup<GetDpiForMonitorFunction>(shcore, "GetDpiForMonitor");
  UINT x = 0;
  UINT y = 0;
  const bool found = getDpiForMonitor != nullptr &&
                     SUCCEEDED(getDpiForMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST),
                                                kEffectiveDpi, &x, &y));
  if (shcore != nullptr) FreeLibrary(shcore);
  return found ? static_cast<int>(x) : 0;
}

int SystemDpi() {
  ScreenDC screen;
  return screen.Get() != nullptr ? GetDeviceCaps(screen.Get(), LOGPIXELSX) : 0;
}

}  // namespace

int WindowDpi(HWND window) {
  auto getDpiForWindow =
      Lookup<GetDpiForWindowFunction>(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
  int dpi = getDpiForWindow != nullptr && window != nullptr
                ? static_cast<int>(getDpiForWindow(window))
                : 0;
  if (dpi <= 0) dpi = MonitorDpi(window);
  if (dpi <= 0) dpi = SystemDpi();
  return dpi > 0 ? dpi : kDefaultDpi;
}
