#pragma once

// Pumps the messages of the thread's windows without ever blocking in the queue, and gives the
// windows of g_windowMap their idle turns (painting what changed). When nothing is waiting and
// every window is idle it sleeps 10 ms, or ends once the main window is gone. A WM_QUIT ends it
// at once.
void RunMessageLoop();
