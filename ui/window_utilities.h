#pragma once

#include <windows.h>

// Window chores shared by the program's windows.

// Registers a window class for instance with horizontal and vertical redraw (and double-click
// messages when asked), the arrow cursor and nothing else. True when the class is registered,
// also when it already was.
bool RegisterWindowClass(HINSTANCE instance, const char16_t* className, WNDPROC procedure,
                         bool doubleClicks);

// Sizes window to width x height and centres it on reference's screen rectangle, or on the
// primary screen when reference is null.
void CenterWindow(HWND window, HWND reference, int width, int height, bool repaint);

// Starts moving window as if its caption were dragged: the system's move loop takes over from
// the next message dispatch. True when the window exists.
bool BeginWindowDrag(HWND window);
