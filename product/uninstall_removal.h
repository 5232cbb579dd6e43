#pragma once

class IUninstInfo;

// Removing what the product's uninstall list names. Entries are data read from a file: one
// that would reach outside the folder is refused, and the running program's own file is never
// deleted.

// Deletes what the entry at index names below folder (which ends with a backslash): a file even
// when a running program holds it (that program is ended, without asking); a folder only when it
// is empty, so that what the user put into the product's folders stays. False for a missing
// index, a missing file, a folder that still holds something, or a refused entry.
bool RemoveEntryFile(const IUninstInfo& list, int index, const char16_t* folder);

// Deletes the file or folder that entry names below folder, a folder with everything below it:
// what an update list marks for deletion. False as above.
bool RemoveInstalledEntry(const char16_t* folder, const char16_t* entry);

// True when entry names a place inside folder where nothing is (already removed, or never
// there); false for a refused entry.
bool IsEntryGone(const char16_t* folder, const char16_t* entry);
