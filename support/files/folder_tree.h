#pragma once

// Creating folders with their parents and removing folder trees, each change announced to the
// shell so that Explorer windows follow.

// Creates the folder and every missing parent; path's parts are divided by separator. True when
// the folder exists afterwards (nothing is announced when it existed before). False for paths of
// 2 units or fewer, paths of 1,024 units or more, and when something in the way is a file.
bool CreateDirectories(const char16_t* path, char16_t separator);

// Creates the folder that holds filePath (divided by "\\") with every missing parent; true when it
// exists afterwards. False for a path without a folder part.
bool CreateParentFolder(const char16_t* filePath);

// Removes a folder only when it holds nothing (a link is removed itself); announced. False when
// it is missing, not empty or cannot be removed.
bool RemoveEmptyFolder(const char16_t* folder);

// Removes a folder with everything below it, read-only files included. A junction or symbolic
// link met in the tree (or given as folder) is removed itself; what it points to is never
// entered. Stops at the first entry it cannot remove, leaving the rest in place.
bool DeleteTree(const char16_t* folder);
