#pragma once
#include <cstdint>

class XZip;
struct InstallOutcome;

// Told after each entry of the nested archive: its name relative to the install folder (with
// "\" separators; null for an entry whose name was refused or unreadable), the entry count and
// how many entries are done.
using ArchiveProgress = void (*)(const char16_t* name, uint32_t total, uint32_t done,
                                 void* context);

// Extracts the nested client archive nestedName of payload into folder, entry by entry, each
// held whole in memory while it is written. False, before any progress, when the nested archive
// cannot be read or opened, or the folder cannot be created. An entry that cannot be read or
// written, or whose name would land outside folder, is counted in outcome and skipped.
bool InstallFromArchive(XZip& payload, const char16_t* nestedName, const char16_t* folder,
                        ArchiveProgress progress, void* context, InstallOutcome* outcome);
