#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "draw/image.h"

// Process-wide state of the window framework. The application sets the resources before it
// creates its first window; everything here belongs to the user-interface thread.

// The executable's own module; null until the application sets it.
extern HINSTANCE g_instance;
// The first top-level window ever created, recorded by CWindow::Create.
extern HWND g_mainWindow;
// The application icon at the large and small system sizes; every window created afterwards
// shows them. Null until loaded.
extern HICON g_largeIcon;
extern HICON g_smallIcon;
// The default border image, its border width and its centre flag, given to every window created
// afterwards (null, 0 and false until the application loads the image).
extern std::unique_ptr<CImage> g_defaultImage;
extern int32_t g_defaultImageEdge;
extern bool g_defaultImageFlag;
// While set, WM_HOTKEY is forwarded to the element that registered the hot key; set from the
// start of the process, cleared by the application's cleanup.
extern bool g_forwardHotKeys;
