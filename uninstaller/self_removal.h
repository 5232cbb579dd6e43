#pragma once

#include <string>
#include <vector>

class IClientInfo;

// A running program cannot delete its own file. The uninstaller leaves that, with "uninst.dat"
// and then its folder when that is empty, to a hidden copy of itself in the temporary folder,
// which waits for it to end, and has its own copy deleted when Windows next starts. The list
// goes after the uninstaller's file: while the file is there the list is too, so that running
// the uninstaller again finishes what a run cut off, or a copy that could not remove it, left.

// What RemoveAfterExit could not leave to the copy.
struct LeftAfterExit {
  bool atRestart = false;             // something is removed when Windows next starts
  std::vector<std::u16string> stays;  // the paths left to neither, which stay
};

// Starts that copy for self, the uninstaller's file, just before the uninstaller ends. When the
// copy cannot be started, self, the list and the folder (when empty by then) are left to be
// removed when Windows next starts. Logged.
LeftAfterExit RemoveAfterExit(const IClientInfo& product, const char16_t* self);

// True when the command line is the copy's; then the copy's work is done, within a bounded time
// whatever the uninstaller does, and logged in the uninstaller's log (the one its command line
// names, which the uninstaller hands it). *exitCode is then 0,
// kExitEntriesLeft when the uninstaller did not end in time or its file or the list could not be
// removed, or kExitNotRemoved when the handed-over process was not the product's uninstaller.
// arguments is the process's command line, split.
bool RunRemovalCopy(const IClientInfo& product, const std::vector<std::u16string>& arguments,
                    int* exitCode);
