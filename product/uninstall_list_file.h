#pragma once

// The file in the install folder that lists what the install put there, for its uninstall.
extern const char16_t kUninstallListName[];  // "uninst.dat"

// folder joined with kUninstallListName, a backslash between them when folder lacks one, into
// out (kPathCapacity units). False, with out empty, when it does not fit.
bool UninstallListPath(const char16_t* folder, char16_t* out);
