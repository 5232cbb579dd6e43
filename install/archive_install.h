#pragma once

#include "install/install_run.h"

class XZip;

// Extracts the nested client archive nestedName of payload into folder (which exists: the
// run's journal made it), entry by entry, each held whole in memory while it is written beside
// its place and renamed into it through run's journal, and tells run of each: a progress report
// after the entry (the entry count as total, the entries done so far, the name relative to
// folder with "\" separators, or null for a name that was refused or unreadable), and whether
// it was put in place. An entry that cannot be read (a damaged one among them) or written, or
// whose name would land outside folder, fails, and ends the run there: the install is undone
// whole. False, before any progress, when the nested archive cannot be read or opened or the
// run has no journal; false too when run's stop is set, checked before each entry.
bool InstallFromArchive(XZip& payload, const char16_t* nestedName, const char16_t* folder,
                        const InstallRun& run);
