#pragma once

#include <windows.h>

// The DPI of the monitor a window is on, as a program aware of each monitor's DPI sees it:
// GetDpiForWindow where the system has it (Windows 10), else the monitor's DPI (Windows 8.1),
// else the system's. 96 when none answers.
int WindowDpi(HWND window);
