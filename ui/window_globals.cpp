#include "ui/window_globals.h"

HINSTANCE g_instance = nullptr;
HWND g_mainWindow = nullptr;
HICON g_largeIcon = nullptr;
HICON g_smallIcon = nullptr;
std::unique_ptr<CImage> g_defaultImage;
int32_t g_defaultImageEdge = 0;
bool g_defaultImageFlag = false;
bool g_forwardHotKeys = true;
