#pragma once

#include <windows.h>

#include "ui/window_globals.h"

// A stand-in main window for the length of a scope: the windows a test makes are secondary, so
// closing them does not post the quit message that ends the process's loop. A quit posted anyway
// is taken off the queue at the end.
class StandInMainWindow {
 public:
  StandInMainWindow()
      : window_(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr)) {
    g_mainWindow = window_;
  }
  ~StandInMainWindow() {
    g_mainWindow = nullptr;
    DestroyWindow(window_);
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }
  StandInMainWindow(const StandInMainWindow&) = delete;
  StandInMainWindow& operator=(const StandInMainWindow&) = delete;
  HWND Handle() const { return window_; }

 private:
  HWND window_;
};
