#pragma once

// Shell shortcuts (".lnk" files) and the special folders they go in. Paths are built in
// kPathCapacity-unit buffers. Each call sets COM up on the calling thread for its own duration
// when needed.

// The file-system path (kPathCapacity units) of a shell special folder (a CSIDL_ value).
bool GetSpecialFolder(char16_t* out, int folderId);

// Writes a shortcut to target at link, holding only the target and, when hotKey is not 0, the
// hot key Ctrl+Shift+hotKey (letters as their capitals, which are their virtual-key codes). The
// creation is announced to the shell.
bool CreateShortcut(const char16_t* target, const char16_t* link, char16_t hotKey);
