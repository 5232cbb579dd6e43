#pragma once

#include <windows.h>

#include "ui/window_map.h"

// The installer's process-wide user-interface state, all of it the main thread's.

// Every window of the process: the message loop idles them, the cleanup destroys them.
extern CWindowMap g_windowMap;
// The thread that runs the entry point, the windows and the message loop.
extern DWORD g_mainThreadId;
// True while RunMessageLoop runs.
extern bool g_loopRunning;
