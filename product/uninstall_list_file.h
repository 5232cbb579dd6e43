#pragma once

// The file in the install folder that lists what the install put there, for its uninstall.
extern const char16_t kUninstallListName[];  // "uninst.dat"
// The journal of a run changing the install folder (an install or an update) while it runs;
// one left there was cut off, and the next run of any of the product's programs undoes it.
extern const char16_t kInstallJournalName[];  // "install.journal"

// folder joined with kUninstallListName, a backslash between them when folder lacks one, into
// out (kPathCapacity units). False, with out empty, when it does not fit.
bool UninstallListPath(const char16_t* folder, char16_t* out);
