#pragma once

#include <cstdint>

class IUninstInfo;

// The size of an install as the system's list of programs shows it: the files the uninstall list
// names below folder, in kilobytes rounded up. Folder entries, files that are gone and names that
// would lead outside the folder count for nothing; the result stops at the largest 32-bit value.
uint32_t InstalledKilobytes(const char16_t* folder, const IUninstInfo& list);
