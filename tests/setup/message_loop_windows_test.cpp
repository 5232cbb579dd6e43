// The installer's message loop over real windows of the framework, on the test's thread.
#include "setup/message_loop.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "setup/application_globals.h"
#include "tests/helpers/answered_program.h"
#include "ui/window.h"
#include "ui/window_globals.h"

namespace {

constexpr UINT_PTR kActionTimer = 77;

// What happens to the main window once the loop runs.
enum class Action { kNone, kQuit, kClose };

Action g_action = Action::kNone;
int g_idleTurns = 0;
bool g_runningSeen = false;

void CALLBACK Act(HWND window, UINT, UINT_PTR timer, DWORD) {
  KillTimer(window, timer);
  if (g_action == Action::kQuit) PostQuitMessage(0);
  if (g_action == Action::kClose) PostMessageW(window, WM_CLOSE, 0, 0);
}

bool CountIdle(IWindow*) {
  ++g_idleTurns;
  g_runningSeen = g_loopRunning;
  return true;
}

WindowHandlers CountingHandlers() {
  WindowHandlers handlers = {};
  handlers.idle = &CountIdle;
  return handlers;
}

const WindowHandlers kCountingHandlers = CountingHandlers();

void CALLBACK EndLoop(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  PostQuitMessage(0);
}

// Runs the loop with the main window of the case, if any; true when it returned within the
// watchdog's time (after which the test posts WM_QUIT itself and fails).
bool LoopEnds(Action action, bool withWindow, std::unique_ptr<CWindow>* window) {
  g_action = action;
  g_idleTurns = 0;
  g_runningSeen = false;
  g_mainWindow = nullptr;
  if (withWindow) {
    *window = std::make_unique<CWindow>();
    if (!(*window)->Create(WS_POPUP, 0, nullptr, GetModuleHandleW(nullptr))) return false;
    (*window)->SetWindowHandlers(&kCountingHandlers);
    g_mainWindow = (*window)->GetHwnd();
    g_windowMap.Add(-1, window->get());
    SetTimer(g_mainWindow, kActionTimer, 200, &Act);
  }
  // A loop that does not end by itself is ended here, so the test fails instead of hanging.
  const DWORD start = GetTickCount();
  UINT_PTR watchdog = SetTimer(nullptr, 0, 5000, &EndLoop);
  RunMessageLoop();
  KillTimer(nullptr, watchdog);
  return GetTickCount() - start < 4000;
}

TEST(MessageLoop, EndsWhenTheMainWindowIsGoneOrOnQuit) {
  ASSERT_TRUE(CanShowWindows()) << "needs a display (scripts/run-tests.sh provides one)";
  struct Case {
    const char* name;
    bool withWindow;
    Action action;
    bool windowLeft;  // the main window still exists after the loop
  };
  const Case cases[] = {
      {"no window at all: nothing to wait for", false, Action::kNone, false},
      {"a quit message while the window remains", true, Action::kQuit, true},
      {"the main window closed", true, Action::kClose, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<CWindow> window;
    EXPECT_TRUE(LoopEnds(c.action, c.withWindow, &window));
    EXPECT_FALSE(g_loopRunning);
    EXPECT_EQ(IsWindow(g_mainWindow) != FALSE, c.windowLeft);
    if (c.withWindow) {
      // The windows had their idle turns while the loop ran, without it spinning: it sleeps
      // between them (about 20 in the 200 ms before the action).
      EXPECT_TRUE(g_runningSeen);
      EXPECT_GT(g_idleTurns, 2);
      EXPECT_LT(g_idleTurns, 200);
    }
    g_windowMap.DestroyAll();
    g_mainWindow = nullptr;
    // The main window's destruction posted a quit of its own, meant for no later loop.
    MSG left;
    while (PeekMessageW(&left, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
}

}  // namespace
