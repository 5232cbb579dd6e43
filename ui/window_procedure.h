#pragma once

#include <windows.h>

// The window class every framework window is made of: one space as its name.
constexpr char16_t kFrameworkWindowClass[] = u" ";

// The procedure of that class: finds the window object stored with the native window, handles
// the resize grip of resizable windows and gives every message to the object's HandleMessage.
// Messages that arrive before the object is stored get the default handling.
LRESULT CALLBACK FrameworkWindowProcedure(HWND window, UINT message, WPARAM w, LPARAM l);
