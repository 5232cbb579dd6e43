#include "setup/message_loop.h"

#include <windows.h>

#include "setup/application_globals.h"
#include "ui/window_globals.h"

namespace {

// Bounds the idle wake-ups to about a hundred a second.
constexpr DWORD kIdleSleepMs = 10;

}  // namespace

void RunMessageLoop() {
  g_loopRunning = true;
  MSG message = {};
  for (;;) {
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) break;
      // The process has no accelerator table: every message is translated and dispatched.
      TranslateMessage(&message);
      DispatchMessageW(&message);
      continue;
    }
    // A window with idle work left (an animation) gets its next turn at once.
    if (!g_windowMap.IdleAll()) continue;
    if (!IsWindow(g_mainWindow)) break;
    Sleep(kIdleSleepMs);
  }
  g_loopRunning = false;
}
