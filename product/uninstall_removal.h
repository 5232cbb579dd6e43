#pragma once

class IUninstInfo;

// Removing what the product's uninstall list names. Entries are data read from a file: one
// that would reach outside the folder is refused, and the running program's own file is never
// deleted.

// Deletes the file or folder that the entry at index names below folder (which ends with a
// backslash): a folder with everything below it, a file even when a running program holds it
// (that program is ended, without asking). False for a missing index, a missing file or a
// refused entry.
bool RemoveEntryFile(const IUninstInfo& list, int index, const char16_t* folder);

// The same for one entry's text.
bool RemoveInstalledEntry(const char16_t* folder, const char16_t* entry);
