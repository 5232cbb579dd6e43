#include "setup/application_globals.h"

CWindowMap g_windowMap;
DWORD g_mainThreadId = 0;
bool g_loopRunning = false;
