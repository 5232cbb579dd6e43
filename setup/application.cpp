#include "setup/application.h"

#include <windows.h>

#include "draw/dpi_scale.h"
#include "install/install_flow.h"
#include "setup/application_globals.h"
#include "setup/install_window.h"
#include "setup/message_loop.h"
#include "startup/command_line.h"
#include "startup/install_package.h"
#include "startup/product_lock_windows.h"
#include "support/core/com_scope_windows.h"
#include "ui/window_globals.h"

namespace {

constexpr int kIconId = 1;
constexpr int kBorderImageId = 1;
constexpr int32_t kBorderEdge = 6;
constexpr int kWindowWidth = 600;
constexpr int kWindowHeight = 400;

// Icon images come in sizes of multiples of 16: a system size between them takes the next.
int IconSide(int systemSide) { return (systemSide + 15) / 16 * 16; }

HICON LoadAppIcon(HINSTANCE instance, int width, int height) {
  return static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON, width, height, 0));
}

void ReplaceIcon(HICON* slot, HICON icon) {
  if (*slot != nullptr) DestroyIcon(*slot);
  *slot = icon;
}

}  // namespace

bool InitApplication(ModuleHandle instance) {
  g_instance = static_cast<HINSTANCE>(instance);
  g_mainThreadId = GetCurrentThreadId();
  ReplaceIcon(&g_largeIcon, LoadAppIcon(g_instance, IconSide(GetSystemMetrics(SM_CXICON)),
                                        IconSide(GetSystemMetrics(SM_CYICON))));
  ReplaceIcon(&g_smallIcon, LoadAppIcon(g_instance, GetSystemMetrics(SM_CXSMICON),
                                        GetSystemMetrics(SM_CYSMICON)));
  auto border = std::make_unique<CImage>();
  if (border->LoadFromResource(instance, kBorderImageId, u"image")) {
    g_defaultImage = std::move(border);
    g_defaultImageEdge = kBorderEdge;
    g_defaultImageFlag = false;
  }
  return true;
}

std::unique_ptr<CInstallWnd> CreateInstallWindow(CInstallPackage& package,
                                                 const RunSwitches& switches) {
  // A very silent install runs the same window and flow as a silent one, never shown: nothing
  // is drawn on the screen, and the flow's view goes nowhere.
  const bool shown = !switches.Has(kSwitchVerySilent);
  auto window = std::make_unique<CInstallWnd>(package, switches);
  if (!window->Create(WS_POPUP | (shown ? WS_VISIBLE : 0), 0, nullptr, g_instance)) {
    return nullptr;
  }
  if (g_windowMap.Add(-1, window.get()) == -1) {
    window->Destroy();
    return nullptr;
  }
  window->SetCaption(package.Product().GetName().Units());
  // Left and top not given: centred on the screen, at the size of its DPI.
  window->PlaceOnScreenValues(-1, -1, ScaleToDpi(kWindowWidth, window->Dpi()),
                              ScaleToDpi(kWindowHeight, window->Dpi()));
  if (shown) {
    window->Show(SW_SHOW);
    window->Present();
  }
  return window;
}

void CleanupApplication() {
  g_windowMap.DestroyAll();
  g_forwardHotKeys = false;
  g_defaultImage.reset();
  g_defaultImageEdge = 0;
  g_defaultImageFlag = false;
  ReplaceIcon(&g_largeIcon, nullptr);
  ReplaceIcon(&g_smallIcon, nullptr);
  g_instance = nullptr;
}

int RunApplication(ModuleHandle instance, CInstallPackage& package, const RunSwitches& switches,
                   CProductLock& lock) {
  // The window's accessible object is handed to screen readers through COM, which serves their
  // calls on this thread while its loop runs.
  ComApartment apartment;
  InitApplication(instance);
  std::unique_ptr<CInstallWnd> window = CreateInstallWindow(package, switches);
  if (window != nullptr) window->SetBeforeLaunch([&lock] { lock.Release(); });
  // Without a window there is nothing to wait for: the loop would only idle.
  if (window != nullptr) RunMessageLoop();
  CleanupApplication();
  if (window != nullptr) return window->ExitCode();
  return switches.Unattended() ? kExitNotStarted : kExitInstalled;
}
