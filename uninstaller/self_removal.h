#pragma once

class IClientInfo;

// A running program cannot delete its own file. The uninstaller leaves that to a hidden copy of
// itself in the temporary folder, which waits for it to end, deletes its file and then its folder
// when that is empty, and has its own copy deleted when Windows next starts.

// Starts that copy for self, the uninstaller's file, just before the uninstaller ends. When the
// copy cannot be started, self and its folder (when empty by then) are left to be removed when
// Windows next starts.
void RemoveAfterExit(const IClientInfo& product, const char16_t* self);

// True when the command line is the copy's; then the copy's work is done and *exitCode is 0, or
// 1 when the handed-over process was not the product's uninstaller.
bool RunRemovalCopy(const IClientInfo& product, const char16_t* commandLine, int* exitCode);
