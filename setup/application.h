#pragma once

#include <memory>

#include "support/core/module_handle.h"

class CInstallPackage;
class CInstallWnd;
class CProductLock;
struct RunSwitches;

// What the program does once its package has loaded: the application's
// resources, the install window and its message loop, then the cleanup. Returns the process's
// exit code (install/exit_codes.h): what the install window closed with; 0 for an interactive
// run it does not say otherwise about. The product's lock is let go as the client starts: what
// the run does after that (waiting for its report) touches neither the folder nor the keys.
int RunApplication(ModuleHandle instance, CInstallPackage& package, const RunSwitches& switches,
                   CProductLock& lock);

// The steps of RunApplication.

// Records the module and the main thread, loads the application icon at the system's large
// size (each side rounded up to a multiple of 16) and small size, and the default border image
// (image resource 1, 6 pixels wide). Always true: without them windows have no icon or border.
bool InitApplication(ModuleHandle instance);
// Creates the install window (which builds its pages), enters it in g_windowMap, titles it with
// the product's name, centres it on the screen at 600 x 400 (at 96 DPI; scaled to the window's
// DPI) and shows it, unless /VERYSILENT keeps it hidden. Null, with nothing left behind, when it
// cannot be created or entered.
std::unique_ptr<CInstallWnd> CreateInstallWindow(CInstallPackage& package,
                                                 const RunSwitches& switches);
// Destroys every window of g_windowMap and releases what InitApplication loaded.
void CleanupApplication();
