#pragma once

class CWindowsInstallEdge;

// Runs the install flow of the installer at setup without a window, into folder, over edge, and
// waits for it to end. Every question the install asks is printed and answered with Yes (OK),
// so a repair goes ahead and a running client is ended. The client is not launched at the end.
// Returns the exit code the install ended with (install/exit_codes.h).
int RunHeadlessInstall(const char16_t* setup, const char16_t* folder, CWindowsInstallEdge& edge);
