#pragma once

#include "install/install_run.h"

class XZip;

// Extracts the nested client archive nestedName of payload into folder, entry by entry, each
// held whole in memory while it is written, and tells run of each: a progress report after the
// entry (the entry count as total, the entries done so far, the name relative to folder with "\"
// separators, or null for a name that was refused or unreadable), and whether it was put in
// place. False, before any progress, when the nested archive cannot be read or opened, or the
// folder cannot be created; false too when run's stop is set, checked before each entry. An entry that cannot be read (a damaged one among them) or written,
// or whose name would land outside folder, fails and is skipped.
bool InstallFromArchive(XZip& payload, const char16_t* nestedName, const char16_t* folder,
                        const InstallRun& run);
